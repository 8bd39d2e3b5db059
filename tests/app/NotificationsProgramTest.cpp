// The real program against the virtual mouse under Xvfb with openbox, its session bus a
// private one with a stand-in notification daemon: the window minimised, the mouse's battery
// at 10 % reaches the daemon as one notification with the language file's texts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "tests/app/OpenboxDesktop.h"
#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/platform/NotificationDaemon.h"
#include "tests/support/Eventually.h"

namespace ms1 {
namespace {

using test::NotificationDaemon;
constexpr int kPatienceMs = 20000;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_notifications_program_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

class NotificationsProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        QString missing = NotificationDaemon::Missing();
        if (missing.isEmpty())
            missing = test::MissingDesktop();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        QString why = daemon_.StartBus();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
        why = daemon_.StartDaemon();
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();

        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("DBUS_SESSION_BUS_ADDRESS", daemon_.Address());
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());  // a single instance of its own
        environment_.insert("QT_QPA_PLATFORM", "xcb");
        environment_.insert("LC_ALL", "C.UTF-8");
        environment_.remove("LANGUAGE");

        why = test::StartOpenbox(windowManager_, environment_, kPatienceMs);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    void TearDown() override { test::EndProcesses({&program_, &windowManager_}, kPatienceMs); }

    test::Ran Run(const QString& program, const QStringList& arguments) {
        return test::RunProgram(program, arguments, environment_, kPatienceMs);
    }

    NotificationDaemon daemon_;
    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QProcessEnvironment environment_;
    QProcess windowManager_;
    QProcess program_;
};

TEST_F(NotificationsProgramTest, LowBatteryWhileMinimisedReachesTheDaemonOnce) {
    program_.setProcessEnvironment(environment_);
    program_.setProcessChannelMode(QProcess::ForwardedChannels);
    program_.start(ProgramFolder() + "/ms1", {"--simulate=low-battery", "--data", data_.path()});
    ASSERT_TRUE(program_.waitForStarted(kPatienceMs));
    const test::Ran found =
        Run("xdotool", {"search", "--sync", "--onlyvisible", "--pid",
                        QString::number(program_.processId()), "--name", "^MS-1 Gaming Mouse$"});
    const QString window = found.out.split('\n').value(0).trimmed();
    ASSERT_FALSE(window.isEmpty()) << found.err.toStdString();
    // Shown, the page says the battery itself: the daemon has heard nothing.
    EXPECT_TRUE(daemon_.NotifyCalls().empty());

    ASSERT_EQ(Run("xdotool", {"windowminimize", "--sync", window}).exitCode, 0);
    // The mouse says its level at every heartbeat; the first one after the window went is told.
    std::vector<QVariantList> calls;
    ASSERT_TRUE(test::Eventually(
        [&] {
            calls = daemon_.NotifyCalls();
            return !calls.empty();
        },
        std::chrono::milliseconds(kPatienceMs)));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].value(0).toString(), "ms1");
    EXPECT_EQ(calls[0].value(2).toString(), "ms1");
    EXPECT_EQ(calls[0].value(3).toString(), "Mouse battery low");
    EXPECT_EQ(calls[0].value(4).toString(), "10% left. Connect the cable to charge the mouse.");
    EXPECT_EQ(program_.state(), QProcess::Running);
}

}  // namespace
}  // namespace ms1
