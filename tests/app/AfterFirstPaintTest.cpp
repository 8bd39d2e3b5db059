// Work the first frame does not need waits for that frame: after the window's first paint, or
// one turn of the event loop when the window is not shown.
#include "app/AfterFirstPaint.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "TestResources.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kWaitMs = 5000;

// Counts the paint events a window has had.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* window) { window->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Lets the event loop go round a few times: enough for work queued for the next turn.
void RunEventLoopTurns() {
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
}

struct Case {
    const char* name;
    bool shown;
};

TEST(AfterFirstPaintTest, WorkRunsOnceAfterTheFirstPaintOrAtOnceForAWindowNotShown) {
    TestApp();
    for (const Case& c : {Case{"shown", true}, Case{"not shown", false}}) {
        SCOPED_TRACE(c.name);
        QWidget window;
        window.resize(200, 150);
        PaintCounter counter(&window);
        int runs = 0;
        int paintsAtRun = -1;
        AfterFirstPaint::Run(&window, [&] {
            ++runs;
            paintsAtRun = counter.paints;
        });
        if (c.shown)
            window.show();
        EXPECT_EQ(runs, 0) << "ran before the event loop";
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, kWaitMs);
        if (c.shown)
            EXPECT_GE(paintsAtRun, 1) << "ran before the window painted";
        else
            EXPECT_EQ(paintsAtRun, 0);
        // Later paints do not run it again.
        window.show();
        window.update();
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints >= 1, kWaitMs);
        window.repaint();
        RunEventLoopTurns();
        EXPECT_EQ(runs, 1);
    }
}

TEST(AfterFirstPaintTest, WorkOfAWindowDestroyedBeforeItPaintedNeverRuns) {
    TestApp();
    int runs = 0;
    auto window = std::make_unique<QWidget>();
    AfterFirstPaint::Run(window.get(), [&runs] { ++runs; });
    window->show();
    window.reset();
    RunEventLoopTurns();
    EXPECT_EQ(runs, 0);
}

// The real program under --simulate: the virtual mouse's window comes after the main
// window's first paint, as its start-up marks tell.
TEST(AfterFirstPaintTest, TheProgramOpensTheVirtualMouseWindowAfterItsMainWindowPainted) {
    TestApp();
    QTemporaryDir home;
    QTemporaryDir runtime;
    QTemporaryDir data;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("MS1_STARTUP_TRACE", "1");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setReadChannel(QProcess::StandardError);
    program.start(ProgramFolder() + "/ms1", {"--simulate", "--data", data.path()});
    ASSERT_TRUE(program.waitForStarted(kWaitMs));
    QByteArray err;
    while (!err.contains("start-up memory given back") && program.waitForReadyRead(kWaitMs))
        err += program.readAllStandardError();
    program.terminate();
    program.waitForFinished(kWaitMs);
    err += program.readAllStandardError();
    const qsizetype painted = err.indexOf("first paint of the main window");
    const qsizetype panel = err.indexOf("virtual mouse window shown");
    ASSERT_GE(painted, 0) << err.toStdString();
    ASSERT_GE(panel, 0) << err.toStdString();
    EXPECT_LT(painted, panel) << err.toStdString();
}

}  // namespace
}  // namespace ms1
