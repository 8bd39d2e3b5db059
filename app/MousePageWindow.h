#pragma once

#include <QPointer>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>

#include "app/MainWndPage.h"
#include "app/PageDeviceSession.h"
#include "protocol/ApplyEngine.h"
#include "ui/page/PageDialogs.h"

class QWidget;

namespace ms1 {

class CMainWnd;
class CMS_1_Page;
class DesktopNotices;
class NotificationRules;
class StatusView;
class DuiPageControls;
class DuiPageDialogs;
class DuiTextLookup;
class PageStatusView;
class KeyboardLayout;
class AppProfileRules;
class OpenWindowApps;
class MacroStore;
class ProfileStore;

// The mouse page as it lives in the main window: builds the page skin in the window's page
// host, owns the stores and the page logic with its controls and dialogs, and routes the
// window's notifications, menu commands, messages and timers to them. The device side is a
// PageDeviceSession; without one the page edits and stores profiles with no mouse.
class MousePageWindow : public MainWndPage, public ApplyView, private ApplyRequests {
  public:
    static constexpr const char* kSkinFile = "MS/MS_1/ms_1_page.xml";

    // `notices`: where the desktop notifications go, or null for none; must outlive the page.
    MousePageWindow(std::filesystem::path dataFolder,
                    std::unique_ptr<PageDeviceSession> session = nullptr,
                    DesktopNotices* notices = nullptr);
    ~MousePageWindow() override;

    // MainWndPage
    void InitPage(CMainWnd& window) override;
    void LoadProfiles() override;
    void Notify(const dui::TNotify& notify) override;
    bool AnyConnected() const override;
    // A link came up while the mouse may hold other settings than the page (after start-up or
    // a profile switch with no mouse): the full apply that waits runs now.
    void OnConnectionChanged(bool anyConnected) override;
    void OnWindowShown(bool shown) override;
    void SetNotificationSettings(const NotificationSettings& settings) override;
    std::string AccessProblem() const override;
    bool ReceiverPluggedIn() const override;
    void OnButtonMenuCommand(const QString& itemName) override;
    // Opens the application profiles dialog over the window.
    void OpenAppProfiles(CMainWnd& window) override;
    bool OnOtherMessage(const Message& message) override;
    ProfileChoices Profiles() const override;
    void UseProfile(const std::string& name) override;

    // ApplyView; called on the apply worker, shown on the window thread.
    void ShowApplyRing(bool visible) override;
    void ApplyFinished(bool allConfirmed) override;

    // An application rule made `profile` the active one while `application` has the focus:
    // said on the desktop while the window is hidden. Window thread.
    void ProfileSwitchedByRule(const QString& application, const QString& profile);

    // The program ends: the device side stops, then the stores are written.
    void Shutdown();

    // The application-profile rules, loaded with the stores; they follow the page's renames and
    // deletes of profiles.
    AppProfileRules* AppRules() const { return rules_.get(); }
    // Where the rules dialog finds the windows open now; none: it offers only a typed id.
    void SetOpenWindowApps(OpenWindowApps* windows) { openWindows_ = windows; }
    // Why automatic switching by application does not work on this desktop, for the dialog;
    // empty when it does.
    void SetAutoSwitchUnavailable(std::string why) { autoSwitchUnavailable_ = std::move(why); }

    // For the windows and tests built on the page.
    CMS_1_Page* Page() const { return page_.get(); }
    DuiPageControls* Controls() const { return controls_.get(); }
    DuiPageDialogs* Dialogs() const { return dialogs_.get(); }
    QWidget* PageWidget() const { return pageWidget_; }

  private:
    // ApplyRequests: the page's requests, straight to the session.
    void RequestApply() override;
    void RequestApplyDelayed(int milliseconds) override;
    void RequestApplyInstead() override;

    std::filesystem::path dataFolder_;
    std::unique_ptr<PageDeviceSession> session_;
    std::unique_ptr<ProfileStore> profiles_;
    std::unique_ptr<MacroStore> macros_;
    std::unique_ptr<AppProfileRules> rules_;
    OpenWindowApps* openWindows_ = nullptr;
    std::string autoSwitchUnavailable_;
    std::unique_ptr<KeyboardLayout> layout_;
    std::unique_ptr<DuiTextLookup> texts_;
    std::unique_ptr<DuiPageControls> controls_;
    std::unique_ptr<PageStatusView> statusView_;  // the status decoding's, over controls_
    std::unique_ptr<DuiPageDialogs> dialogs_;
    DesktopNotices* notices_ = nullptr;
    std::unique_ptr<NotificationRules> noticeRules_;  // over notices_, or null without them
    std::unique_ptr<StatusView> noticedStatus_;       // statusView_, battery told to the rules
    std::unique_ptr<CMS_1_Page> page_;
    CMainWnd* window_ = nullptr;
    QPointer<QWidget> pageWidget_;
    bool shutDown_ = false;
};

}  // namespace ms1
