#include "app/MousePageWindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/CMainWnd.h"
#include "app/StartupTrace.h"
#include "core/Utf16Text.h"
#include "platform/DebugLog.h"
#include "platform/dui/ControlOps.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/AppProfileRules.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "ui/DuiTextLookup.h"
#include "ui/NotificationRules.h"
#include "ui/dialogs/qt/CAppProfilesWnd.h"
#include "ui/dialogs/qt/FunctionDialogs.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/page/CMS_1_Page.h"
#include "ui/page/PageStatusView.h"
#include "ui/page/qt/DuiPageControls.h"
#include "ui/page/qt/DuiPageDialogs.h"
#include "ui/page/qt/PageAccessibility.h"
#include "ui/page/qt/ScaledSliderAccessible.h"

namespace ms1 {
namespace {

const char* const kUnconfirmedNotice = "ms_1_label_unconfirmed";

// Without xkb data, key names fall back to what the key tables know by themselves.
class NoKeyboardLayout : public KeyboardLayout {
  public:
    std::uint32_t VirtualKeyToScanCode(std::uint32_t) const override { return 0; }
    std::uint32_t ScanCodeToVirtualKey(std::uint32_t) const override { return 0; }
    std::u16string Characters(std::uint32_t, std::uint32_t) const override { return {}; }
};

std::unique_ptr<KeyboardLayout> SystemLayout() {
    if (auto layout = XkbKeyboardLayout::FromSystem()) {
        return layout;
    }
    qCWarning(lcMs1) << "no keyboard layout: key names may be missing";
    return std::make_unique<NoKeyboardLayout>();
}

// The page's status view, with the battery told to the notification rules as well.
class NoticedStatusView final : public StatusView {
  public:
    NoticedStatusView(StatusView& shown, NotificationRules& rules) : shown_(shown), rules_(rules) {}

    void ShowLink(StatusLink link, bool up) override { shown_.ShowLink(link, up); }
    void ShowBatteryLevel(int level) override {
        shown_.ShowBatteryLevel(level);
        rules_.BatteryLevel(level);
    }
    void ShowBatteryFull() override {
        shown_.ShowBatteryFull();
        rules_.BatteryCharging();
    }
    void ShowBatteryCharging(int level, bool cableArrived) override {
        shown_.ShowBatteryCharging(level, cableArrived);
        rules_.BatteryCharging();
    }
    void ShowBatteryUnreported() override { shown_.ShowBatteryUnreported(); }
    void ClearBattery() override { shown_.ClearBattery(); }
    void ShowChargeFrame() override { shown_.ShowChargeFrame(); }
    void ShowStage(int stage) override { shown_.ShowStage(stage); }
    void ShowPollingRate(int rate) override { shown_.ShowPollingRate(rate); }
    void ShowLightMode(int mode) override { shown_.ShowLightMode(mode); }
    void RefreshLightSections() override { shown_.RefreshLightSections(); }
    void ShowRateAndDebounce(bool shown) override { shown_.ShowRateAndDebounce(shown); }

  private:
    StatusView& shown_;
    NotificationRules& rules_;
};

PageNotification ToPageNotification(const dui::TNotify& notify) {
    PageNotification page;
    page.type = notify.type.toStdString();
    page.sender = notify.sender.toStdString();
    const auto number = static_cast<int>(static_cast<std::intptr_t>(notify.wParam));
    page.index = notify.type == u"itemselect" ? number : -1;
    page.value = number;
    page.checked = notify.wParam != 0;
    return page;
}

}  // namespace

MousePageWindow::MousePageWindow(std::filesystem::path dataFolder,
                                 std::unique_ptr<PageDeviceSession> session,
                                 DesktopNotices* notices)
    : dataFolder_(std::move(dataFolder)),
      session_(std::move(session)),
      profiles_(std::make_unique<ProfileStore>(dataFolder_)),
      macros_(std::make_unique<MacroStore>(dataFolder_)),
      rules_(std::make_unique<AppProfileRules>(dataFolder_)),
      layout_(SystemLayout()),
      notices_(notices) {}

MousePageWindow::~MousePageWindow() {
    Shutdown();
}

void MousePageWindow::InitPage(CMainWnd& window) {
    window_ = &window;
    texts_ = std::make_unique<DuiTextLookup>(window.SharedTexts());
    QWidget* host = window.PageHost();
    if (QWidget* placeholder = window.FindControl("device_placeholder")) {
        placeholder->hide();
    }
    StartupTrace::Mark("main skin loaded");
    // Before the skin: a slider's first value already fixes which accessible interface it has.
    ScaledSliderAccessible::Install();
    pageWidget_ = window.LoadInto(host, kSkinFile);
    StartupTrace::Mark("page skin loaded");
    if (pageWidget_ == nullptr) {
        qCWarning(lcMs1) << "the mouse page skin is missing:" << kSkinFile;
    }
    controls_ = std::make_unique<DuiPageControls>(pageWidget_, window.Texts(),
                                                  window.Skins().ResourceFolder());
    statusView_ = std::make_unique<PageStatusView>(*controls_);
    StatusView* status = statusView_.get();
    if (notices_ != nullptr) {
        noticeRules_ = std::make_unique<NotificationRules>(*notices_, *texts_);
        noticeRules_->SetSettings(ReadNotificationSettings(dataFolder_));
        noticedStatus_ = std::make_unique<NoticedStatusView>(*statusView_, *noticeRules_);
        status = noticedStatus_.get();
    }
    dialogs_ = std::make_unique<DuiPageDialogs>(window, *controls_);
    page_ = std::make_unique<CMS_1_Page>(MousePageDeps{*controls_, *dialogs_, *this,
                                                       window.Timers(), *profiles_, *macros_,
                                                       dataFolder_, *texts_, *layout_});
    page_->SetAppProfileRules(rules_.get());
    page_->shortcutDialog = ShortcutDialogFor(window, window.Hooks(), *layout_);
    page_->macroDialog = MacroDialogFor(window);
    dialogs_->SetMacroEditor([this, &window] {
        return RunMacroEditor(window,
                              CMS_1_Macro::Deps{*macros_, window.Hooks(), *layout_, dataFolder_});
    });
    controls_->SetLightSectionsRefresher([this] { page_->RefreshLightSections(); });
    controls_->SetControlTimers(
        [&window](QWidget* control, int id, int ms) { window.SetControlTimer(control, id, ms); },
        [&window](QWidget* control, int id) { window.KillControlTimer(control, id); });
    if (session_ != nullptr) {
        page_->SetLinkSectionsRefresher([this] { session_->RefreshLinkSections(); });
    }
    StartupTrace::Mark("page logic and dialogs made");
    page_->InitPage();
    StartupTrace::Mark("page state shown");
    // What a screen reader hears: named once the page shows its values, and kept current.
    PageAccessibility::NameMainWindow(window.Widget(), window.Texts());
    if (pageWidget_ != nullptr) {
        QPointer<PageAccessibility> accessibility =
            new PageAccessibility(pageWidget_, window.Texts());
        accessibility->Apply();
        controls_->SetChangeWatcher([accessibility](QWidget* control) {
            if (accessibility != nullptr)
                accessibility->Refresh(control);
        });
    }
    if (session_ != nullptr) {
        session_->Start(
            PageDeviceContext{*page_, *status, *this, window.Messages(), window.Timers()});
    }
    StartupTrace::Mark("device session started");
}

void MousePageWindow::LoadProfiles() {
    if (page_ != nullptr) {
        page_->LoadProfiles();
        // Once the window is up and its event loop runs.
        QTimer::singleShot(0, window_, [this] {
            if (page_ != nullptr)
                page_->ShowStoreNotices();
        });
    }
}

void MousePageWindow::Notify(const dui::TNotify& notify) {
    if (page_ != nullptr) {
        page_->Notify(ToPageNotification(notify));
    }
}

bool MousePageWindow::AnyConnected() const {
    return session_ != nullptr && session_->AnyConnected();
}

void MousePageWindow::OnConnectionChanged(bool anyConnected) {
    if (!anyConnected || session_ == nullptr || page_ == nullptr)
        return;
    bool pending = false;
    {
        auto lock = page_->Lock();
        pending = page_->FullApplyPending();
    }
    if (pending)
        session_->RequestApply();
}

void MousePageWindow::OnWindowShown(bool shown) {
    if (session_ != nullptr)
        session_->SetWindowShown(shown);
    if (noticeRules_ != nullptr)
        noticeRules_->SetWindowShown(shown);
}

void MousePageWindow::SetNotificationSettings(const NotificationSettings& settings) {
    if (noticeRules_ != nullptr)
        noticeRules_->SetSettings(settings);
}

void MousePageWindow::ProfileSwitchedByRule(const QString& application, const QString& profile) {
    if (noticeRules_ != nullptr)
        noticeRules_->ProfileSwitchedByRule(application.toStdU16String(), profile.toStdU16String());
}

std::string MousePageWindow::AccessProblem() const {
    return session_ != nullptr ? session_->AccessProblem() : std::string();
}

bool MousePageWindow::ReceiverPluggedIn() const {
    return session_ != nullptr && session_->ReceiverPluggedIn();
}

bool MousePageWindow::OnOtherMessage(const Message& message) {
    return session_ != nullptr && session_->HandleMessage(message);
}

void MousePageWindow::OnButtonMenuCommand(const QString& itemName) {
    if (page_ != nullptr) {
        page_->OnMenuItem(itemName.toStdString());
    }
}

MainWndPage::ProfileChoices MousePageWindow::Profiles() const {
    ProfileChoices choices;
    if (page_ == nullptr || profiles_ == nullptr)
        return choices;
    {
        auto access = profiles_->Lock();
        for (const auto& profile : access.Profiles())
            choices.names.push_back(ToUtf8(profile->profileName.get()));
    }
    choices.active = page_->SelectedIndex();
    return choices;
}

void MousePageWindow::UseProfile(const std::string& name) {
    if (page_ != nullptr)
        page_->UseProfile(FromUtf8(name));
}

void MousePageWindow::OpenAppProfiles(CMainWnd& window) {
    if (page_ == nullptr)
        return;
    CMS_1_Page* page = page_.get();
    ShowAppProfilesDialog(window, {*rules_, [page] { return page->ProfileNames(); }, openWindows_,
                                   autoSwitchUnavailable_});
}

// The page's requests go straight to the session, which hands them to its worker.
void MousePageWindow::RequestApply() {
    if (session_ != nullptr) {
        session_->RequestApply();
    } else if (page_ != nullptr && !page_->SaveProfiles()) {
        // With no mouse side at all an apply still keeps the edits on disk.
        qCWarning(lcMs1) << "the profiles could not be saved";
    }
}

void MousePageWindow::RequestApplyDelayed(int milliseconds) {
    if (session_ != nullptr) {
        session_->RequestApplyDelayed(milliseconds);
    } else {
        RequestApply();
    }
}

void MousePageWindow::RequestApplyInstead() {
    if (session_ != nullptr) {
        session_->RequestApplyInstead();
    } else {
        RequestApply();
    }
}

void MousePageWindow::ShowApplyRing(bool visible) {
    if (window_ == nullptr) {
        return;
    }
    CMainWnd* window = window_;
    QMetaObject::invokeMethod(
        window,
        [window, visible] {
            dui::SetVisible(window->FindControl("apply_ring"), visible);
            dui::SetVisible(window->FindControl("apply_progress"), visible);
        },
        Qt::QueuedConnection);
}

void MousePageWindow::ApplyFinished(bool allConfirmed) {
    if (window_ == nullptr) {
        return;
    }
    // The notice is looked up on the window thread, where the page's widgets live.
    QMetaObject::invokeMethod(
        window_,
        [this, allConfirmed] {
            if (controls_ != nullptr) {
                controls_->SetVisible(kUnconfirmedNotice, !allConfirmed);
            }
            if (noticeRules_ != nullptr)
                noticeRules_->ApplyFinished(allConfirmed);
        },
        Qt::QueuedConnection);
}

void MousePageWindow::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (session_ != nullptr) {
        session_->Stop();
    }
    if (page_ != nullptr) {
        page_->SaveStores();
    }
}

}  // namespace ms1
