#include "app/CMainWnd.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "app/AccessCommandView.h"
#include "app/AfterFirstPaint.h"
#include "app/Autostart.h"
#include "app/CAboutWnd.h"
#include "app/PageTheme.h"
#include "app/StartupTrace.h"
#include "transport/DeviceAccessHint.h"

#include "app/MainMessageRules.h"
#include "app/MainWndPage.h"
#include "platform/DebugLog.h"
#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"

namespace ms1 {
namespace {

// Mouse messages the tray icon reports in lParam of message 1025.
constexpr std::intptr_t kTrayLeftButtonUp = 514;
constexpr std::intptr_t kTrayRightButtonUp = 517;
// The tray menu opens this far above the cursor.
constexpr int kTrayMenuLift = 50;
// The tray's "Profiles" sub-menu, and the start of the names of its items: the rest of an
// item's name is the profile's.
const QString kTrayProfilesMenu = QStringLiteral("profiles");
const QString kTrayProfilePrefix = QStringLiteral("profile:");

const QString kIconFile = QStringLiteral("ms1.png");
const QString kPageHost = QStringLiteral("device_page");
const QString kSettingsPanel = QStringLiteral("ms_1_ver_setting");

AccessCommandTexts AccessCommandWords(const dui::LanguageTexts& texts) {
    return {texts.Text(QStringLiteral("access_copied_text")),
            texts.Text(QStringLiteral("acc_access_command_name")),
            texts.Text(QStringLiteral("acc_access_command_desc"))};
}

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments())
        arguments.push_back(argument.toStdString());
    return arguments;
}

}  // namespace

CMainWnd::CMainWnd(std::shared_ptr<const dui::SkinLoader> skins,
                   std::shared_ptr<const dui::LanguageTexts> texts, Options options)
    : DuiWindow(std::move(skins), std::move(texts)),
      options_(std::move(options)),
      handle_(MakeWindowHandle(Messages())) {}

CMainWnd::~CMainWnd() {
    UnregisterPage();
    hooks_.Release();
}

void CMainWnd::RegisterPage(MainWndPage* page) {
    page_ = page;
    AddVirtualWnd(kPageName, [this](const dui::TNotify& notify) {
        if (page_ != nullptr) {
            page_->Notify(notify);
        }
    });
}

void CMainWnd::UnregisterPage() {
    RemoveVirtualWnd(kPageName);
    page_ = nullptr;
}

QWidget* CMainWnd::PageHost() const {
    return FindControl(kPageHost);
}

bool CMainWnd::HasTray() const {
    return tray_ != nullptr;
}

void CMainWnd::InitWindow() {
    if (page_ != nullptr) {
        page_->InitPage(*this);
    }
    StartupTrace::Mark("page built");
    const QIcon icon(QDir(Skins().ResourceFolder()).filePath(kIconFile));
    Widget()->setWindowIcon(icon);

    skinButton_ = FindControl("skin_btn");
    mainMenuButton_ = FindControl("main_menu_btn");
    minButton_ = FindControl("min_btn");
    exitButton_ = FindControl("exit_btn");
    applyProgress_ = FindControl("apply_progress");
    deviceTabSwitch_ = FindControl("device_tab_switch");

    Widget()->setWindowTitle(LanguageText("mouse_name_text"));
    // The page is in place by now; the style covers it too.
    darkSheet_ = LoadDarkSheet(Skins().ResourceFolder());
    if (!dataFolder_.isEmpty())
        theme_ = ReadTheme(dataFolder_.toStdString());
    ApplyTheme(Widget(), theme_, darkSheet_);
    StartupTrace::Mark("theme applied");
    CreateTrayIcon();
    StartupTrace::Mark("tray icon made");
    // The window is closed by the window manager as well as by the tray's "exit".
    Widget()->installEventFilter(this);

    // Key and mouse capture is first needed by a dialog the user opens: the library is loaded
    // after the first frame (or in the first turn of the event loop when started in the tray).
    AfterFirstPaint::Run(Widget(), [this] {
        if (!hooks_.Load(options_.programFolder)) {
            qCDebug(lcMs1) << "key and mouse capture is not available";
        }
        StartupTrace::Mark("hook library loaded");
    });
    if (page_ != nullptr) {
        page_->LoadProfiles();
        // Not shown yet (and never, when started in the tray) until the window's Show event.
        page_->OnWindowShown(Widget()->isVisible() && !Widget()->isMinimized());
    }
    StartupTrace::Mark("profiles loaded");
}

void CMainWnd::CreateTrayIcon() {
    const bool wanted = options_.tray == Tray::Always ||
                        (options_.tray == Tray::Auto && QSystemTrayIcon::isSystemTrayAvailable());
    if (!wanted) {
        qCDebug(lcMs1) << "no system tray: the close button minimises";
        return;
    }
    tray_ = std::make_unique<QSystemTrayIcon>(Widget()->windowIcon());
    tray_->setToolTip(LanguageText("mouse_name_text"));
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    Messages().Post(MSG_TRAY_ICON, 0, kTrayLeftButtonUp);
                } else if (reason == QSystemTrayIcon::Context) {
                    Messages().Post(MSG_TRAY_ICON, 0, kTrayRightButtonUp);
                }
            });
    tray_->show();
}

void CMainWnd::Notify(const dui::TNotify& notify) {
    if (!notify.virtualWindow.isEmpty()) {
        DuiWindow::Notify(notify);
        return;
    }
    if (notify.type == u"click") {
        OnClick(notify);
    }
}

void CMainWnd::OnClick(const dui::TNotify& notify) {
    if (notify.control == nullptr) {
        return;
    }
    if (notify.control == exitButton_) {
        // Without a tray a hidden window could not be reached again; minimise instead.
        if (HasTray()) {
            Widget()->hide();
        } else {
            Widget()->showMinimized();
        }
    } else if (notify.control == minButton_) {
        Widget()->showMinimized();
    } else if (notify.control == mainMenuButton_) {
        OpenMainMenu();
    } else if (notify.control == skinButton_) {
        ToggleTheme();
    }
}

void CMainWnd::ShowAndRaise() {
    QWidget* window = Widget();
    if (window == nullptr || destroyed_) {
        return;
    }
    window->show();
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->showNormal();
    }
    window->raise();
    window->activateWindow();
}

void CMainWnd::Destroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    hooks_.Release();
    if (trayMenu_ != nullptr) {
        trayMenu_->Close();
    }
    if (tray_ != nullptr) {
        tray_->hide();
    }
    if (Widget() != nullptr) {
        Widget()->hide();
    }
    emit Ended();
}

bool CMainWnd::HandleMessage(const Message& message) {
    switch (message.number) {
        case MSG_TRAY_ICON:
            if (message.lParam == kTrayLeftButtonUp) {
                ShowAndRaise();
            } else if (message.lParam == kTrayRightButtonUp) {
                OpenTrayMenu();
            }
            return true;
        case MSG_MENU_CLICK:
            OnMenuCommand(message);
            return true;
        case MSG_ACTIVATE_INSTANCE:
            ShowAndRaise();
            return true;
        case MSG_CONNECTION_CHANGED: {
            const bool any = page_ != nullptr && page_->AnyConnected();
            deviceTabFlag_ = any;
            if (!any)
                ShowEmptyPage();
            dui::SelectTab(deviceTabSwitch_, DeviceTabFor(any));
            if (page_ != nullptr)
                page_->OnConnectionChanged(any);
            return true;
        }
        case MSG_HOOK_EVENT:
        case MSG_STAGE_CHANGED:
        case 1130:
        case 1537:
        case 1538:
        case 1542:
        case 5121:
            return true;
        default:
            return page_ != nullptr && page_->OnOtherMessage(message);
    }
}

void CMainWnd::OnMenuCommand(const Message& message) {
    if (message.wParam == 0) {
        return;
    }
    if (message.text.startsWith(kTrayProfilePrefix)) {
        if (page_ != nullptr)
            page_->UseProfile(message.text.mid(kTrayProfilePrefix.size()).toStdString());
        return;
    }
    switch (ClassifyMenuCommand(message.text)) {
        case MenuCommand::ShowWindow:
            ShowAndRaise();
            break;
        case MenuCommand::Exit:
            Destroy();
            break;
        case MenuCommand::Autostart:
            ToggleAutostart();
            break;
        case MenuCommand::About:
            ShowAboutBox(*this, dataFolder_);
            break;
        case MenuCommand::Notifications:
            ToggleNotifications(false);
            break;
        case MenuCommand::RuleNotifications:
            ToggleNotifications(true);
            break;
        case MenuCommand::AppProfiles:
            if (page_ != nullptr) {
                page_->OpenAppProfiles(*this);
            }
            break;
        case MenuCommand::ButtonMenu:
            if (page_ != nullptr) {
                page_->OnButtonMenuCommand(message.text);
            }
            break;
        case MenuCommand::None:
            break;
    }
}

bool CMainWnd::LoadMenu(std::unique_ptr<dui::MenuWindow>& menu, const QString& skinFile) {
    if (menu != nullptr) {
        menu->Close();
    }
    menu = std::make_unique<dui::MenuWindow>(Messages(), Texts());
    if (!menu->LoadFile(QDir(Skins().ResourceFolder()).filePath(skinFile))) {
        menu.reset();
        return false;
    }
    // "Start with the desktop" shows whether the autostart entry is there, the notification
    // items whether those are on.
    menu->SetChecked(QStringLiteral("autostart"), Autostart::ForUser().IsEnabled());
    const NotificationSettings notices = dataFolder_.isEmpty()
                                             ? NotificationSettings{}
                                             : ReadNotificationSettings(dataFolder_.toStdString());
    menu->SetChecked(QStringLiteral("notifications"), notices.all);
    menu->SetChecked(QStringLiteral("rule_notifications"), notices.ruleSwitches);
    if (QMenu* shown = menu->Menu()) {
        for (QAction* action : shown->findChildren<QAction*>(QStringLiteral("rule_notifications")))
            action->setEnabled(notices.all);
    }
    return true;
}

void CMainWnd::OpenTrayMenu() {
    if (!LoadMenu(trayMenu_, QStringLiteral("traymenu.xml")))
        return;
    // Made now from the stored profiles, so it shows every rename, add and delete.
    std::vector<dui::MenuWindow::Item> items;
    if (page_ != nullptr) {
        const MainWndPage::ProfileChoices choices = page_->Profiles();
        for (std::size_t i = 0; i < choices.names.size(); ++i) {
            const QString name = QString::fromStdString(choices.names[i]);
            items.push_back(
                {kTrayProfilePrefix + name, name, static_cast<int>(i) == choices.active});
        }
    }
    trayMenu_->FillSubMenu(kTrayProfilesMenu, items);
    trayMenu_->Popup(QCursor::pos() - QPoint(0, kTrayMenuLift));
}

void CMainWnd::OpenMainMenu() {
    if (mainMenuButton_ != nullptr && LoadMenu(mainMenu_, QStringLiteral("mainmenu.xml"))) {
        mainMenu_->Popup(mainMenuButton_->mapToGlobal(QPoint(0, mainMenuButton_->height())));
    }
}

void CMainWnd::ToggleTheme() {
    theme_ = theme_ == Theme::Dark ? Theme::Light : Theme::Dark;
    ApplyTheme(Widget(), theme_, darkSheet_);
    if (dataFolder_.isEmpty())
        return;
    const Result written = WriteTheme(dataFolder_.toStdString(), theme_);
    if (!written)
        qCWarning(lcMs1) << "the page style could not be kept:" << written.reason().c_str();
}

void CMainWnd::ShowEmptyPage() {
    auto* title = Widget()->findChild<QLabel*>(QStringLiteral("empty_title"));
    auto* hint = Widget()->findChild<QLabel*>(QStringLiteral("empty_hint"));
    if (hint == nullptr || page_ == nullptr)
        return;
    const std::string denied = page_->AccessProblem();
    const EmptyPageKeys keys =
        EmptyPageKeysFor(NoMouseReasonFor(page_->ReceiverPluggedIn(), !denied.empty()));
    if (title != nullptr)
        title->setText(Texts()->Text(QString::fromLatin1(keys.title)));
    QString command;
    if (denied.empty()) {
        hint->setText(Texts()->Text(QString::fromLatin1(keys.hint)));
        hint->setTextInteractionFlags(Qt::NoTextInteraction);
        ShowAccessCommand(Widget(), command, AccessCommandWords(*Texts()));
        return;
    }
    const DeviceAccessHint advice = DeviceAccessHint::For(options_.programFolder.toStdString());
    QString text = Texts()
                       ->Text(QString::fromLatin1(keys.hint))
                       .replace(QStringLiteral("%s"), QString::fromStdString(denied));
    switch (advice.kind) {
        case DeviceAccessHint::Kind::Replug:
            text += "\n" + Texts()->Text(QStringLiteral("no_access_replug_text"));
            break;
        case DeviceAccessHint::Kind::InstallRule:
            text += "\n" + Texts()->Text(QStringLiteral("no_access_install_rule_text"));
            command = QString::fromStdString(advice.InstallCommand());
            break;
        case DeviceAccessHint::Kind::GetPackage:
            text += "\n" + Texts()->Text(QStringLiteral("no_access_package_text"));
            break;
    }
    hint->setText(text);
    // The node's path can be copied from the page, the command from its own field.
    hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ShowAccessCommand(Widget(), command, AccessCommandWords(*Texts()));
}

void CMainWnd::ToggleAutostart() {
    Autostart autostart = Autostart::ForUser();
    const Result done =
        autostart.IsEnabled()
            ? autostart.Disable()
            : autostart.Enable(
                  QCoreApplication::applicationFilePath().toStdString(),
                  DataFolderArgument(ProgramArguments(), QDir::currentPath().toStdString()));
    if (!done)
        qCWarning(lcMs1) << "start with the desktop:" << done.reason().c_str();
}

void CMainWnd::ToggleNotifications(bool ruleSwitchesOnly) {
    if (dataFolder_.isEmpty())
        return;
    const std::filesystem::path folder = dataFolder_.toStdString();
    NotificationSettings settings = ReadNotificationSettings(folder);
    if (ruleSwitchesOnly)
        settings.ruleSwitches = !settings.ruleSwitches;
    else
        settings.all = !settings.all;
    // What the menu shows next time is what the file keeps: a setting that was not written
    // does not change either.
    const Result written = WriteNotificationSettings(folder, settings);
    if (!written) {
        qCWarning(lcMs1) << "the notification setting could not be kept:"
                         << written.reason().c_str();
        return;
    }
    if (page_ != nullptr)
        page_->SetNotificationSettings(settings);
}

void CMainWnd::OnTimer(int id) {
    switch (id) {
        case TIMER_PAGE_DEFERRED:
            Timers().KillTimer(id);
            dui::ScrollToEnd(FindControl(kSettingsPanel));
            break;
        default:
            break;
    }
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Widget() && event->type() == QEvent::Close && !destroyed_) {
        Destroy();
    }
    if (watched == Widget() && page_ != nullptr &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide ||
         event->type() == QEvent::WindowStateChange)) {
        page_->OnWindowShown(Widget()->isVisible() && !Widget()->isMinimized());
    }
    return DuiWindow::eventFilter(watched, event);
}

}  // namespace ms1
