// The ms1 program: one instance per user, a main window with its tray icon, and the event loop.
//
//     ms1 [--simulate[=SCENARIO]] [--data DIR] [--hidden]
//
// --simulate runs the whole program against the virtual mouse (scenario "receiver" unless
// named) and opens a small window that plays the mouse's part; --data names the data folder.
#include <malloc.h>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTextStream>
#include <optional>

#include "app/AfterFirstPaint.h"
#include "app/AppFocusSwitch.h"
#include "app/CMainWnd.h"
#include "app/ForwardedCommands.h"
#include "app/MouseDeviceSession.h"
#include "app/MousePageWindow.h"
#include "app/StartupTrace.h"
#include "app/VirtualMousePanel.h"
#include "core/Utf16Text.h"
#include "platform/DebugLog.h"
#include "platform/DesktopNotifications.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/X11OpenWindows.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/QtTranslation.h"
#include "platform/dui/SkinLoader.h"
#include "sim/Simulation.h"
#include "storage/AppProfileRules.h"
#include "storage/DataFolders.h"
#include "ui/page/CMS_1_Page.h"

namespace {

struct Options {
    std::optional<std::string> simulate;
    std::optional<std::filesystem::path> dataFolder;
    bool hidden = false;
    std::string error;
};

void PrintHelp() {
    QTextStream out(stdout);
    out << "Usage: ms1 [OPTION]...\n"
           "The configuration utility of the ms_1 mouse: DPI stages and colours, polling rate,\n"
           "lighting, power timers, sensor options, button functions, profiles and macros.\n"
           "\n"
           "Options:\n"
           "  --simulate[=SCENARIO]  run against the virtual mouse instead of the real one, with\n"
           "                         a small window that plays the mouse's part (default\n"
           "                         scenario: receiver)\n"
           "  --data DIR             keep the profiles and macros in DIR\n"
           "  --hidden               start in the tray, without the window (for autostart)\n"
           "  --help                 show this help and exit\n"
           "  --version              show the version and exit\n"
           "\n"
           "Scenarios:";
    for (const std::string& name : ms1::sim::SimulationScenarios())
        out << " " << QString::fromStdString(name);
    out << "\n\n"
           "Only one ms1 runs per user; starting it again shows the running one. While it\n"
           "runs, ms1ctl hands it the commands that change its profiles or macros or use the\n"
           "mouse.\n"
           "\n"
           "Files:\n"
           "  Data/ms_1/pro.data and Data/ms_1/macro.data beside the program, or under\n"
           "  $XDG_DATA_HOME/ms1/Data when the program folder is not writable.\n";
}

// --help and --version work without a display, so they are looked at before Qt starts.
std::optional<int> InformationOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            PrintHelp();
            return 0;
        }
        if (argument == "--version") {
            QTextStream(stdout) << "ms1 " << MS1_VERSION << "\n";
            return 0;
        }
    }
    return std::nullopt;
}

Options ParseOptions(const QStringList& arguments) {
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--simulate") {
            options.simulate = "receiver";
        } else if (argument.startsWith("--simulate=")) {
            options.simulate = argument.mid(11).toStdString();
        } else if (argument == "--data" && i + 1 < arguments.size()) {
            options.dataFolder = arguments[++i].toStdString();
        } else if (argument == "--hidden") {
            options.hidden = true;
        } else {
            options.error = "unknown option " + argument.toStdString();
        }
    }
    return options;
}

int UsageError(const std::string& why) {
    QTextStream err(stderr);
    err << "ms1: " << QString::fromStdString(why) << "\n"
        << "usage: ms1 [--simulate[=SCENARIO]] [--data DIR] [--hidden]\n"
        << "scenarios:";
    for (const std::string& name : ms1::sim::SimulationScenarios()) {
        err << " " << QString::fromStdString(name);
    }
    err << "\n";
    return 2;
}

// The virtual mouse's window, beside the main window where the screen has room: right, left,
// below, above.
std::unique_ptr<ms1::VirtualMousePanel> ShowVirtualMousePanel(ms1::sim::VirtualHidBus& bus,
                                                              QWidget* mainWindow) {
    auto panel = std::make_unique<ms1::VirtualMousePanel>(bus, mainWindow);
    panel->adjustSize();
    const QRect main = mainWindow->frameGeometry();
    const QRect screen = mainWindow->screen()->availableGeometry();
    const QSize size = panel->frameSize();
    const QPoint candidates[] = {
        main.topRight() + QPoint(12, 0),
        QPoint(main.left() - size.width() - 12, main.top()),
        main.bottomLeft() + QPoint(0, 12),
        QPoint(main.left(), main.top() - size.height() - 12),
    };
    QPoint at = screen.topLeft();
    for (const QPoint& candidate : candidates) {
        if (screen.contains(QRect(candidate, size))) {
            at = candidate;
            break;
        }
    }
    panel->move(at);
    panel->show();
    return panel;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto code = InformationOnly(argc, argv))
        return *code;
    ms1::StartupTrace::Mark("main entered");
    QApplication app(argc, argv);
    ms1::StartupTrace::Mark("QApplication made");
    QApplication::setApplicationName("ms1");
    // Hiding the window to the tray must not end the program; only "exit" does.
    QApplication::setQuitOnLastWindowClosed(false);
    // A logout or Ctrl+C ends the program like its "exit" item: hooks removed, readers and the
    // worker stopped, the stores written. Watched from the start; acted on in the event loop.
    ms1::TerminationSignals termination;
    ms1::CMainWnd* mainWindow = nullptr;
    QObject::connect(&termination, &ms1::TerminationSignals::Requested, &app, [&mainWindow](int) {
        if (mainWindow != nullptr)
            mainWindow->Destroy();
    });

    const Options options = ParseOptions(QApplication::arguments());
    if (!options.error.empty())
        return UsageError(options.error);
    std::unique_ptr<ms1::MouseDeviceSession> session =
        ms1::MouseDeviceSession::Create(options.simulate);
    if (!session)
        return UsageError("unknown scenario \"" + *options.simulate + "\"");
    ms1::StartupTrace::Mark("device session made");
    ms1::sim::VirtualHidBus* virtualBus = session->VirtualBus();
    ms1::MouseDeviceSession* device = session.get();  // the page owns it from here on

    ms1::SingleInstance instance("Tarvex");
    const ms1::SingleInstance::Role role = instance.Acquire();
    if (role == ms1::SingleInstance::Role::Second) {
        return 1;
    }
    if (role == ms1::SingleInstance::Role::Failed) {
        const QString problem = ms1::SingleInstance::FolderProblem();
        if (!problem.isEmpty()) {
            // Said to the user: another start will not find this one, nor will ms1ctl.
            QTextStream(stderr) << "ms1: " << problem
                                << "; running without the single-instance lock and socket, so "
                                   "ms1ctl cannot hand its commands to this program\n";
        }
        qCWarning(lcMs1) << "running without the single-instance guard";
    }
    ms1::StartupTrace::Mark("single instance acquired");
    qCDebug(lcMs1) << "ilen =" << QApplication::arguments().join(' ').size();

    const QString programFolder = QApplication::applicationDirPath();
    auto skins = std::make_shared<ms1::dui::SkinLoader>(QDir(programFolder).filePath("res"));
    auto texts = std::make_shared<ms1::dui::LanguageTexts>();
    // English, with the translation of the user's language over it where there is one.
    texts->LoadForLocale(skins->ResourceFolder(), ms1::dui::LanguageTexts::MessagesLocale());
    // And Qt's own texts (context menus, file dialogs) in that language too.
    ms1::dui::InstallQtTranslation(ms1::dui::LanguageTexts::MessagesLocale());

    ms1::StartupTrace::Mark("language texts read");
    const std::filesystem::path dataFolder = options.dataFolder.value_or(ms1::GetDataFolder());
    // Said on the desktop while the window is hidden: a low battery, a profile switched by an
    // application rule, a change the mouse did not confirm.
    ms1::DesktopNotifications notices(QStringLiteral("ms1"), QStringLiteral("ms1"));
    // On X11 the rules dialog offers the applications of the windows open now.
    std::optional<ms1::X11OpenWindows> openWindows;
    ms1::MousePageWindow page(dataFolder, std::move(session), &notices);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        page.SetOpenWindowApps(&openWindows.emplace());
    ms1::StartupTrace::Mark("page and stores made");
    ms1::CMainWnd window(skins, texts, {programFolder, ms1::CMainWnd::Tray::Auto});
    window.SetDataFolder(QString::fromStdString(dataFolder.string()));
    window.RegisterPage(&page);
    if (!window.Create()) {
        QTextStream(stderr) << "ms1: cannot build the main window from "
                            << QDir(skins->ResourceFolder()).filePath("main.xml")
                            << " (is res/ beside the program?)\n";
        return 2;
    }
    ms1::StartupTrace::Mark("main window built");
    QObject::connect(&window, &ms1::CMainWnd::Ended, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    mainWindow = &window;
    instance.SetActivationTarget(&window.Messages());
    // From now on ms1ctl's imports, status and apply are carried out here, on the loaded
    // stores and the program's own link.
    ms1::ForwardedCommands forwarded(
        {*page.Page(), device, dataFolder, options.simulate, page.AppRules()});
    instance.SetRequestHandler(
        [&forwarded](const QJsonObject& request, std::shared_ptr<ms1::InstanceReply> reply) {
            forwarded.Handle(request, std::move(reply));
        });
    // The active profile follows the application that has the focus, by the rules.
    ms1::AppProfileRules* rules = page.AppRules();
    ms1::AppFocusSwitch focusSwitch(
        *page.Page(), ms1::AppFocusSwitch::SourceForDesktop(),
        [rules](std::string_view appId) { return rules->ProfileFor(appId); },
        [rules] { return rules->Enabled(); });
    // A switch by rule is said beside the profile list and, while the window is hidden, on
    // the desktop; the profile chosen by hand coming back clears the line.
    focusSwitch.SetSwitchedListener(
        [&page](const std::u16string& profile, const std::string& appId) {
            page.Page()->ShowActiveReason(ms1::FromUtf8(appId));
            if (!appId.empty()) {
                page.ProfileSwitchedByRule(QString::fromStdString(appId),
                                           QString::fromStdU16String(profile));
            }
        });
    // Rules changed in the dialog or by ms1ctl apply to the window that has the focus now.
    const int rulesListener =
        rules->AddListener([&focusSwitch] { focusSwitch.Switcher().Reconsider(); });
    ms1::StartupTrace::WatchFirstPaint(window.Widget());
    window.Widget()->resize(800, 572);
    window.CenterOnScreen();
    // Started hidden (autostart) the program waits in the tray; without a tray there would
    // be no way to reach it, so the window shows all the same.
    if (!options.hidden || !window.HasTray())
        window.ShowAndRaise();

    ms1::StartupTrace::Mark("main window shown");
    // What the first frame does not need follows it: following the focus, the virtual mouse's
    // window, and giving back to the system the memory the start-up used and let go of (the
    // skins' parsed documents, the language file's text).
    std::unique_ptr<ms1::VirtualMousePanel> panel;
    ms1::AfterFirstPaint::Run(
        window.Widget(), [&panel, virtualBus, &window, &focusSwitch, &page, texts] {
            // Following the focus needs a connection of its own to the display or to i3.
            if (!focusSwitch.Start()) {
                page.SetAutoSwitchUnavailable(
                    texts->Text(QString::fromStdString(focusSwitch.Source().UnavailableReason()))
                        .toStdString());
            }
            ms1::StartupTrace::Mark("focus followed");
            if (virtualBus != nullptr) {
                panel = ShowVirtualMousePanel(*virtualBus, window.Widget());
                ms1::StartupTrace::Mark("virtual mouse window shown");
            }
            malloc_trim(0);
            ms1::StartupTrace::Mark("start-up memory given back");
        });
    ms1::StartupTrace::Mark("event loop entered");
    QApplication::exec();
    rules->RemoveListener(rulesListener);
    mainWindow = nullptr;
    instance.SetRequestHandler(nullptr);
    panel.reset();
    // Whatever was edited is on disk before the program ends.
    page.Shutdown();
    window.UnregisterPage();
    return 0;
}
