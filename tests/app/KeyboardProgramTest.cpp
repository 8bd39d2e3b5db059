// The real program against the virtual mouse under Xvfb with openbox, used from the keyboard
// alone as a person would: xdotool presses Tab, Shift+Tab, the arrows and Space, and the
// profile the program stores holds what was chosen.
#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "storage/ProfileStore.h"
#include "tests/app/OpenboxDesktop.h"
#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/support/Eventually.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kPatienceMs = 20000;

class KeyboardProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        const QString missing = test::MissingDesktop();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());  // a single instance of its own
        environment_.insert("QT_QPA_PLATFORM", "xcb");
        environment_.insert("LC_ALL", "C.UTF-8");
        environment_.remove("LANGUAGE");

        const QString why = test::StartOpenbox(windowManager_, environment_, kPatienceMs);
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    void TearDown() override { test::EndProcesses({&program_, &windowManager_}, kPatienceMs); }

    test::Ran Run(const QString& program, const QStringList& arguments) {
        return test::RunProgram(program, arguments, environment_, kPatienceMs);
    }
    // The main window of the program, found and given the focus.
    QString StartProgram() {
        // A home of its own: the style and the settings as they come.
        QProcessEnvironment environment = environment_;
        environment.insert("HOME", home_.path());
        program_.setProcessEnvironment(environment);
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(ProgramFolder() + "/ms1", {"--simulate", "--data", data_.path()});
        if (!program_.waitForStarted(kPatienceMs))
            return {};
        const test::Ran found = Run(
            "xdotool", {"search", "--sync", "--onlyvisible", "--pid",
                        QString::number(program_.processId()), "--name", "^MS-1 Gaming Mouse$"});
        const QString window = found.out.split('\n').value(0).trimmed();
        if (!window.isEmpty())
            Run("xdotool", {"windowactivate", "--sync", window});
        return window;
    }
    // The first profile's angle snapping as the program stored it; -1 before it stored one.
    int StoredAngleSnap() {
        ProfileStore profiles(data_.path().toStdString());
        if (profiles.LoadProfileStore(u"Profile", StoreMode::ReadOnly).freshStart)
            return -1;
        auto access = profiles.Lock();
        return access.Profiles().empty() ? -1 : access.Profiles()[0]->angleSnap.get();
    }

    QTemporaryDir runtime_;
    QTemporaryDir home_;
    QTemporaryDir data_;
    QProcessEnvironment environment_;
    QProcess windowManager_;
    QProcess program_;
};

// The window opens with no control focused. Shift+Tab goes to the last stop, Apply, then over
// Restore defaults to the last section's header; Space opens it, Tab
// goes to its options, Right chooses "On", Tab twice to Apply and Space sends it.
TEST_F(KeyboardProgramTest, AngleSnappingTurnedOnAndAppliedWithKeysAlone) {
    const QString window = StartProgram();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(test::Eventually([&] { return StoredAngleSnap() == 0; },
                                 std::chrono::milliseconds(kPatienceMs)));
    const test::Ran typed =
        Run("xdotool", {"key", "--clearmodifiers", "--delay", "40", "shift+Tab", "shift+Tab",
                        "shift+Tab", "space", "Tab", "Right", "Tab", "Tab", "space"});
    ASSERT_EQ(typed.exitCode, 0) << typed.err.toStdString();
    // The store is written as the apply begins.
    EXPECT_TRUE(test::Eventually([&] { return StoredAngleSnap() == 1; },
                                 std::chrono::milliseconds(kPatienceMs)))
        << "stored: " << StoredAngleSnap();
    EXPECT_EQ(program_.state(), QProcess::Running);
}

}  // namespace
}  // namespace ms1
