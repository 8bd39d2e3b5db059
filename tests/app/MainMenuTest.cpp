// The title bar's menu button with its About box, and the skin button's light and dark styles.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "TestResources.h"
#include "app/Autostart.h"
#include "app/CAboutWnd.h"
#include "app/CMainWnd.h"
#include "app/MainWndPage.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/MacroStore.h"
#include "storage/SettingsFile.h"
#include "tests/support/ModalActions.h"
#include "tests/support/QtTestApp.h"
#include "ui/macro/qt/CMS_1_Macro.h"

namespace ms1 {
namespace {

using test::WhenModal;

constexpr int kWaitMs = 5000;

// A page that only builds the real page skin in the window, so the style reaches it.
class SkinOnlyPage : public MainWndPage {
  public:
    void InitPage(CMainWnd& window) override {
        widget = window.LoadInto(window.PageHost(), "MS/MS_1/ms_1_page.xml");
    }
    void LoadProfiles() override {}
    void Notify(const dui::TNotify&) override {}
    bool AnyConnected() const override { return true; }
    void OnButtonMenuCommand(const QString&) override {}
    void SetNotificationSettings(const NotificationSettings& settings) override {
        notifications.push_back(settings);
    }

    QWidget* widget = nullptr;
    std::vector<NotificationSettings> notifications;
};

std::string FileText(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(data_.isValid());
        Open();
    }
    void Open() {
        window_.reset();
        window_ =
            std::make_unique<CMainWnd>(ProgramSkins(), ProgramTexts(),
                                       CMainWnd::Options{ProgramFolder(), CMainWnd::Tray::Off});
        window_->SetDataFolder(data_.path());
        window_->RegisterPage(&page_);
        ASSERT_TRUE(window_->Create());
        window_->Widget()->show();
    }
    void TearDown() override { window_.reset(); }
    void Click(const char* name) { window_->FindControlAs<QAbstractButton>(name)->click(); }
    QString DarkSheet() const {
        QFile file(QDir(ProgramFolder()).filePath("res/theme_dark.qss"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir data_;
    SkinOnlyPage page_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MainMenuTest, MenuButtonOpensAboutAutostartAndExitAndAboutShowsTheDataFolder) {
    Click("main_menu_btn");
    ASSERT_NE(window_->MainMenu(), nullptr);
    EXPECT_EQ(window_->MainMenu()->ItemNames(),
              (QStringList{"app_profiles", "about", "autostart", "notifications",
                           "rule_notifications", "exit"}));
    QAction* about = nullptr;
    for (QAction* action : window_->MainMenu()->Menu()->actions()) {
        if (action->objectName() == "about")
            about = action;
        if (action->objectName() == "autostart") {
            EXPECT_EQ(action->text(), "Start with the desktop");
            EXPECT_TRUE(action->isCheckable());
            EXPECT_EQ(action->isChecked(), Autostart::ForUser().IsEnabled());
        }
    }
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "About");

    // "about" posts 1027; the window opens the About box modally. Read it and close it.
    QString version;
    QString folder;
    QString title;
    WhenModal([&](QWidget* box) {
        title = box->windowTitle();
        version = box->findChild<QLabel*>("about_version")->text();
        folder = box->findChild<QLabel*>("about_data_folder")->text();
        box->findChild<QAbstractButton*>("btn_ok")->click();
    });
    about->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !folder.isEmpty(); }, kWaitMs));
    EXPECT_EQ(title, "About");
    EXPECT_EQ(version, QStringLiteral("Version " MS1_VERSION));
    EXPECT_EQ(folder, QDir::toNativeSeparators(data_.path()));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // A second click replaces the menu; its "exit" ends the program.
    Click("main_menu_btn");
    for (QAction* action : window_->MainMenu()->Menu()->actions()) {
        if (action->objectName() == "exit")
            action->trigger();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->IsDestroyed(); }, kWaitMs));
}

// The two notification items show what setting.ini keeps, and each click turns one over,
// keeps it there beside the other keys and hands it to the page.
TEST_F(MainMenuTest, NotificationItemsTurnTheSettingsOverAndKeepThem) {
    {
        std::ofstream(QDir(data_.path()).filePath("setting.ini").toStdString())
            << "[SETTING]\nModel=2\nTheme=light\n";
    }
    struct Row {
        const char* click;  // the item clicked, null for none
        bool all;           // then: checked "notifications"
        bool rules;         // checked "rule_notifications"
        const char* file;   // setting.ini
    };
    const Row rows[] = {
        {nullptr, true, true, "[SETTING]\nModel=2\nTheme=light\n"},
        {"rule_notifications", true, false,
         "[SETTING]\nModel=2\nTheme=light\nNotifications=1\nRuleNotifications=0\n"},
        {"notifications", false, false,
         "[SETTING]\nModel=2\nTheme=light\nNotifications=0\nRuleNotifications=0\n"},
        {"notifications", true, false,
         "[SETTING]\nModel=2\nTheme=light\nNotifications=1\nRuleNotifications=0\n"},
        {"rule_notifications", true, true,
         "[SETTING]\nModel=2\nTheme=light\nNotifications=1\nRuleNotifications=1\n"},
    };
    std::size_t told = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.click ? row.click : "as read");
        if (row.click != nullptr) {
            Click("main_menu_btn");
            for (QAction* action : window_->MainMenu()->Menu()->actions()) {
                if (action->objectName() == row.click)
                    action->trigger();
            }
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return page_.notifications.size() > told; }, kWaitMs));
            told = page_.notifications.size();
            EXPECT_EQ(page_.notifications.back().all, row.all);
            EXPECT_EQ(page_.notifications.back().ruleSwitches, row.rules);
        }
        EXPECT_EQ(FileText(QDir(data_.path()).filePath("setting.ini")), row.file);
        Click("main_menu_btn");
        int seen = 0;
        for (QAction* action : window_->MainMenu()->Menu()->actions()) {
            if (action->objectName() == "notifications") {
                ++seen;
                EXPECT_EQ(action->text(), "Desktop notifications");
                EXPECT_TRUE(action->isCheckable());
                EXPECT_EQ(action->isChecked(), row.all);
            } else if (action->objectName() == "rule_notifications") {
                ++seen;
                EXPECT_EQ(action->text(), "Notify profile switches by application");
                EXPECT_EQ(action->isChecked(), row.rules);
                // Greyed out while every notification is off.
                EXPECT_EQ(action->isEnabled(), row.all);
            }
        }
        EXPECT_EQ(seen, 2);
        window_->MainMenu()->Close();
    }
}

TEST_F(MainMenuTest, AboutBoxOpensTheDataFolderAndCloses) {
    std::vector<QUrl> opened;
    CAboutWnd box(ProgramSkins(), ProgramTexts(), data_.path(), [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    ASSERT_TRUE(box.Create(window_->Widget()));
    EXPECT_EQ(box.FindControlAs<QLabel>("about_licence")->text(),
              "Licence: proprietary. All rights reserved.");
    box.FindControlAs<QAbstractButton>("about_open_folder_btn")->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(data_.path()));

    // The line that says where the folder is stays hidden while a file manager opens it.
    EXPECT_FALSE(box.FindControl("about_open_failed")->isVisibleTo(box.Widget()));

    // No file manager: the box says where the folder is.
    CAboutWnd nobody(ProgramSkins(), ProgramTexts(), data_.path(),
                     [](const QUrl&) { return false; });
    ASSERT_TRUE(nobody.Create(window_->Widget()));
    nobody.FindControlAs<QAbstractButton>("about_open_folder_btn")->click();
    auto* failed = nobody.FindControlAs<QLabel>("about_open_failed");
    ASSERT_NE(failed, nullptr);
    EXPECT_TRUE(failed->isVisibleTo(nobody.Widget()));
    EXPECT_EQ(failed->text(), "No file manager could open the folder. Open it yourself: " +
                                  QDir::toNativeSeparators(data_.path()));

    // Without a data folder there is nothing to open.
    CAboutWnd none(ProgramSkins(), ProgramTexts(), QString(), [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    ASSERT_TRUE(none.Create(window_->Widget()));
    EXPECT_FALSE(none.FindControl("about_open_folder_btn")->isEnabled());
}

TEST_F(MainMenuTest, SkinButtonSwitchesLightAndDarkAndSettingsKeepTheChoice) {
    const QString iniPath = QDir(data_.path()).filePath("setting.ini");
    ASSERT_NE(page_.widget, nullptr);
    const QString lightWindow = window_->Widget()->styleSheet();
    const QString lightPage = page_.widget->styleSheet();
    const QString dark = DarkSheet();
    ASSERT_FALSE(dark.isEmpty());
    EXPECT_EQ(window_->CurrentTheme(), Theme::Light);
    EXPECT_FALSE(lightPage.contains(dark));

    Click("skin_btn");
    EXPECT_EQ(window_->CurrentTheme(), Theme::Dark);
    EXPECT_TRUE(window_->Widget()->styleSheet().endsWith(dark));
    EXPECT_TRUE(page_.widget->styleSheet().startsWith(lightPage));
    EXPECT_TRUE(page_.widget->styleSheet().endsWith(dark));
    EXPECT_EQ(FileText(iniPath), "[SETTING]\nTheme=dark\n");

    // The next start comes up dark; "Model" is written beside it and both stay.
    ASSERT_TRUE(WriteModel(data_.path().toStdString(), 3));
    Open();
    EXPECT_EQ(window_->CurrentTheme(), Theme::Dark);
    EXPECT_TRUE(page_.widget->styleSheet().endsWith(dark));

    Click("skin_btn");
    EXPECT_EQ(window_->CurrentTheme(), Theme::Light);
    EXPECT_EQ(window_->Widget()->styleSheet(), lightWindow);
    EXPECT_EQ(page_.widget->styleSheet(), lightPage);
    EXPECT_EQ(FileText(iniPath), "[SETTING]\nTheme=light\nModel=3\n");
}

}  // namespace
}  // namespace ms1
