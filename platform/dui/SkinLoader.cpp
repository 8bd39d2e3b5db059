#include "platform/dui/SkinLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUiLoader>
#include <QWidget>

#include "platform/DebugLog.h"

namespace ms1::dui {

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
    QUiLoader loader;
    loader.setWorkingDirectory(QDir(folder_));
    QWidget* widget = loader.load(&file, parent);
    if (widget == nullptr) {
        qCWarning(lcMs1) << "skin unreadable:" << file.fileName() << loader.errorString();
    }
    return widget;
}

}  // namespace ms1::dui
