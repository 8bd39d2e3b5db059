#include "platform/dui/SkinLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUiLoader>
#include <QWidget>
#include <memory>

#include "platform/DebugLog.h"

namespace ms1::dui {
namespace {

// QUiLoader's constructor loads every Qt Designer plugin under "designer/" in Qt's library
// paths; the Qt Quick widget's plugin brings Qt Quick and QML with it, which cost the first
// window about 60 ms and the process several MB. The skins use Qt's own widgets only, so the
// loader is made while the library paths are empty and they are put back at once.
std::unique_ptr<QUiLoader> MakeLoaderWithoutPlugins() {
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    auto loader = std::make_unique<QUiLoader>();
    QCoreApplication::setLibraryPaths(libraryPaths);
    return loader;
}

}  // namespace

SkinLoader::SkinLoader(QString resourceFolder) : folder_(std::move(resourceFolder)) {}

QString SkinLoader::DefaultResourceFolder() {
    return QDir(QCoreApplication::applicationDirPath()).filePath("res");
}

QWidget* SkinLoader::Load(const QString& skinFile, QWidget* parent) const {
    QFile file(QDir(folder_).filePath(skinFile));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcMs1) << "skin missing:" << file.fileName();
        return nullptr;
    }
    const std::unique_ptr<QUiLoader> loader = MakeLoaderWithoutPlugins();
    loader->setWorkingDirectory(QDir(folder_));
    QWidget* widget = loader->load(&file, parent);
    if (widget == nullptr) {
        qCWarning(lcMs1) << "skin unreadable:" << file.fileName() << loader->errorString();
    }
    return widget;
}

}  // namespace ms1::dui
