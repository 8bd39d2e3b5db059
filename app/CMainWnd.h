#pragma once

#include <QString>
#include <memory>

#include "platform/HookBinding.h"
#include "platform/dui/DuiWindow.h"
#include "platform/dui/MenuWindow.h"
#include "ports/WindowHandle.h"
#include "storage/SettingsFile.h"

class QSystemTrayIcon;

namespace ms1 {

class MainWndPage;

// The program's main window: skin "main.xml", tray icon and tray menu, the hook library, and
// the message hub every other part of the program posts to.
class CMainWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr const char* kPageName = "MS_1_Page";
    static constexpr int kEmptyTab = 0;
    static constexpr int kDeviceTab = 1;

    enum class Tray {
        Auto,    // a tray icon when the desktop has a system tray
        Off,     // never a tray icon
        Always,  // a tray icon even when no tray reports itself (tests)
    };
    struct Options {
        QString programFolder;  // where libHook.so is loaded from
        Tray tray = Tray::Auto;
    };

    CMainWnd(std::shared_ptr<const dui::SkinLoader> skins,
             std::shared_ptr<const dui::LanguageTexts> texts, Options options);
    ~CMainWnd() override;

    // The page registers itself before Create; its notifications and the page's share of the
    // messages and timers go to it. The page must outlive the window or unregister first.
    void RegisterPage(MainWndPage* page);
    // The data folder, before Create: the About box shows it and its setting.ini keeps the
    // page style. Without one the style is not kept.
    void SetDataFolder(const QString& folder) { dataFolder_ = folder; }
    void UnregisterPage();
    // The container in which the page builds its controls (page 1 of "device_tab_switch").
    QWidget* PageHost() const;

    const HookTable& Hooks() const { return hooks_.Table(); }
    // The handle run-time libraries post to (hook events 1034, wired monitor 1539/1540).
    const Ms1WindowHandle* Handle() const { return &handle_; }

    bool DeviceTabFlag() const { return deviceTabFlag_; }
    bool IsDestroyed() const { return destroyed_; }
    bool HasTray() const;
    QSystemTrayIcon* TrayIcon() const { return tray_.get(); }
    dui::MenuWindow* TrayMenu() const { return trayMenu_.get(); }
    dui::MenuWindow* MainMenu() const { return mainMenu_.get(); }
    Theme CurrentTheme() const { return theme_; }

    // Shows the window, restores it when minimised and brings it to the front.
    void ShowAndRaise();
    // Ends the program: removes the hooks, releases the library, hides the tray icon and the
    // window and signals Ended (the program's event loop quits on it).
    void Destroy();

  signals:
    void Ended();

  protected:
    QString GetSkinFile() const override { return QStringLiteral("main.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;
    bool HandleMessage(const Message& message) override;
    void OnTimer(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnClick(const dui::TNotify& notify);
    void OnMenuCommand(const Message& message);
    // Writes or removes the autostart entry ("Start with the desktop").
    void ToggleAutostart();
    // Turns all desktop notifications, or only those of rule switches, on or off; kept in
    // setting.ini and handed to the page.
    void ToggleNotifications(bool ruleSwitchesOnly);
    // The empty page says why there is no mouse: nothing plugged in, a receiver this user may
    // not open, or a receiver whose mouse does not answer.
    void ShowEmptyPage();
    void OpenTrayMenu();
    // The menu of "main_menu_btn", below the button.
    void OpenMainMenu();
    // Opens a menu skin in place of `menu`; "autostart" items show whether the entry is there,
    // "notifications" and "rule_notifications" whether those notifications are on.
    bool LoadMenu(std::unique_ptr<dui::MenuWindow>& menu, const QString& skinFile);
    // "skin_btn": the light and the dark page style in turn, kept in setting.ini.
    void ToggleTheme();
    void CreateTrayIcon();

    Options options_;
    Ms1WindowHandle handle_;
    MainWndPage* page_ = nullptr;
    HookBinding hooks_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<dui::MenuWindow> trayMenu_;
    std::unique_ptr<dui::MenuWindow> mainMenu_;
    QString dataFolder_;
    Theme theme_ = Theme::Light;
    QString darkSheet_;
    QWidget* skinButton_ = nullptr;
    QWidget* mainMenuButton_ = nullptr;
    QWidget* minButton_ = nullptr;
    QWidget* exitButton_ = nullptr;
    QWidget* applyProgress_ = nullptr;
    QWidget* deviceTabSwitch_ = nullptr;
    bool deviceTabFlag_ = false;
    bool destroyed_ = false;
};

}  // namespace ms1
