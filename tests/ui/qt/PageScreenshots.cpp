// Renders the screenshots of the README offscreen: the mouse page, the empty page and the
// colour dialog. Usage: ms1_page_screenshots OUTPUT_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/CMainWnd.h"
#include "app/MousePageWindow.h"
#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"

namespace {

// Shows the page as it looks with the mouse on the 2.4 GHz receiver.
class ShowcaseSession : public ms1::PageDeviceSession {
  public:
    explicit ShowcaseSession(bool connected) : connected_(connected) {}
    void Start(const ms1::PageDeviceContext& context) override {
        if (connected_) {
            context.status.ShowLink(ms1::StatusLink::kWireless, true);
            context.status.ShowBatteryLevel(76);
        }
        context.window.Post(ms1::MSG_CONNECTION_CHANGED, 0, 0);
    }
    void Stop() override {}
    void RequestApply() override {}
    void RequestApplyDelayed(int) override {}
    bool AnyConnected() const override { return connected_; }
    bool HandleMessage(const ms1::Message&) override { return false; }
    void RefreshLinkSections() override {}

  private:
    bool connected_;
};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
}

// The lower sections open, as after clicking their headers, and scrolled into view.
void OpenLowerSections(ms1::CMainWnd& window) {
    for (const char* header :
         {"ms_1_check_light", "ms_1_check_power_setting", "ms_1_check_key_debounce",
          "ms_1_check_ripple_control", "ms_1_check_angle_snap"}) {
        if (auto* box = qobject_cast<QAbstractButton*>(window.FindControl(header))) {
            box->click();
        }
    }
    Settle();
    ms1::dui::ScrollToEnd(window.FindControl("ms_1_ver_setting"));
    Settle();
}

bool Shoot(bool connected, const QString& file, bool lower = false) {
    QTemporaryDir data;
    ms1::MousePageWindow page(std::filesystem::path(data.path().toStdString()),
                              std::make_unique<ShowcaseSession>(connected));
    ms1::CMainWnd window(ms1::test::Skins(), ms1::test::Texts(), {"", ms1::CMainWnd::Tray::Off});
    window.RegisterPage(&page);
    if (!window.Create()) {
        return false;
    }
    window.Widget()->resize(800, 572);
    window.Widget()->show();
    Settle();
    if (lower) {
        OpenLowerSections(window);
    }
    const bool saved = window.Widget()->grab().save(file);
    page.Shutdown();
    window.UnregisterPage();
    return saved;
}

bool ShootColourDialog(const QString& file) {
    ms1::CDpiColorWnd dialog(ms1::test::Skins(), ms1::test::Texts());
    dialog.SetColour(0xFF48B1FF);
    if (!dialog.Create()) {
        return false;
    }
    dialog.Widget()->show();
    Settle();
    return dialog.Widget()->grab().save(file);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: ms1_page_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");
    const bool ok = Shoot(true, out.filePath("page.png")) &&
                    Shoot(true, out.filePath("page_lower.png"), true) &&
                    Shoot(false, out.filePath("empty_page.png")) &&
                    ShootColourDialog(out.filePath("colour_dialog.png"));
    return ok ? 0 : 1;
}
