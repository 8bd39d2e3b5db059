// Building skins: Qt's own widgets from the file, and nothing of Qt Designer's plugins.
#include "platform/dui/SkinLoader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/QtTestApp.h"

namespace ms1::dui {
namespace {

const char* const kSkin = R"(<ui version="4.0"><widget class="QWidget" name="root">
 <layout class="QVBoxLayout" name="l">
  <item><widget class="QLabel" name="title"><property name="text"><string>hello</string></property></widget></item>
  <item><widget class="QPushButton" name="ok_btn"/></item>
 </layout></widget></ui>)";

std::string MappedFiles() {
    std::ifstream maps("/proc/self/maps");
    std::ostringstream text;
    text << maps.rdbuf();
    return text.str();
}

// The Designer plugins Qt would load from its library paths (the Qt Quick widget's among them
// where Qt Quick is installed).
QStringList DesignerPlugins() {
    QStringList plugins;
    for (const QString& path : QCoreApplication::libraryPaths()) {
        const QDir folder(QDir(path).filePath("designer"));
        for (const QString& name : folder.entryList({"*.so"}, QDir::Files))
            plugins << folder.filePath(name);
    }
    return plugins;
}

TEST(SkinLoaderTest, BuildsTheSkinWithoutLoadingDesignerPluginsAndKeepsTheLibraryPaths) {
    TestApp();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("skin.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kSkin);
    file.close();
    const QStringList pathsBefore = QCoreApplication::libraryPaths();
    const QStringList plugins = DesignerPlugins();

    SkinLoader loader(folder.path());
    for (int round = 0; round < 2; ++round) {
        std::unique_ptr<QWidget> root(loader.Load("skin.xml", nullptr));
        ASSERT_NE(root, nullptr);
        auto* title = root->findChild<QLabel*>("title");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), "hello");
        EXPECT_NE(root->findChild<QPushButton*>("ok_btn"), nullptr);
    }
    EXPECT_EQ(loader.Load("missing.xml", nullptr), nullptr);

    EXPECT_EQ(QCoreApplication::libraryPaths(), pathsBefore);
    const std::string mapped = MappedFiles();
    for (const QString& plugin : plugins)
        EXPECT_EQ(mapped.find(QFileInfo(plugin).fileName().toStdString()), std::string::npos)
            << plugin.toStdString() << " was loaded";
    EXPECT_EQ(mapped.find("libQt6Quick"), std::string::npos);
    EXPECT_EQ(mapped.find("libQt6Qml"), std::string::npos);
}

}  // namespace
}  // namespace ms1::dui
