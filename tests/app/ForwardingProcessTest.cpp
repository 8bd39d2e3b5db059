// ms1ctl beside a running ms1, both as real processes.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/support/QtTestApp.h"

namespace ms1::test {
namespace {

constexpr int kPatienceMs = 15000;

class ForwardingProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());  // a single instance of its own
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
    }

    Ran Ms1Ctl(const QStringList& arguments) {
        return RunProgram(ProgramFolder() + "/ms1ctl", arguments, environment_, kPatienceMs);
    }

    QString Data(const QString& file = {}) const {
        return file.isEmpty() ? data_.path() : data_.filePath(file);
    }

    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QTemporaryDir other_;
    QProcessEnvironment environment_;
};

TEST_F(ForwardingProcess, CommandsGoThroughTheRunningProgramAndSurviveItsExit) {
    QProcess program;
    program.setProcessEnvironment(environment_);
    program.start(ProgramFolder() + "/ms1", {"--simulate", "--data", Data()});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Data("ms_1/pro.data")); }, kPatienceMs));

    // Reading needs no program: the file as it is.
    const QString file = other_.filePath("exported.pro");
    ASSERT_EQ(Ms1Ctl({"profile", "export", "Profile1", file, "--data", Data()}).exitCode, 0);

    const Ran imported = Ms1Ctl({"profile", "import", file, "--data", Data()});
    EXPECT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "Profile1_1\n");

    // A rule for the imported profile, set by the program on the rules it holds.
    const Ran rule = Ms1Ctl({"app-profile", "set", "Firefox", "profile1_1", "--data", Data()});
    EXPECT_EQ(rule.exitCode, 0) << rule.err.toStdString();
    const Ran refused = Ms1Ctl({"app-profile", "set", "gimp", "Nope", "--data", Data()});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(refused.err, "ms1ctl app-profile: no profile named Nope\n");
    EXPECT_EQ(Ms1Ctl({"app-profiles", "--data", Data()}).out, "Firefox\tProfile1_1\n");

    // The program's own virtual mouse answers: the same lines ms1ctl prints on its own.
    const Ran status = Ms1Ctl({"--simulate", "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_TRUE(status.out.startsWith("link: 2.4 GHz receiver\nbattery: "))
        << status.out.toStdString();
    const Ran applied = Ms1Ctl({"--simulate", "apply", file, "--dump-device"});
    EXPECT_EQ(applied.exitCode, 0) << applied.err.toStdString();
    EXPECT_TRUE(applied.out.contains("0x15 confirmed after 1 attempt(s)\n"));
    EXPECT_TRUE(applied.out.contains("\nrx 15 3c 01 ")) << applied.out.toStdString();

    // The program writes its stores as it ends; the import is in them.
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kPatienceMs));
    EXPECT_EQ(program.exitCode(), 0);
    const Ran listed = Ms1Ctl({"profiles", "--data", Data()});
    EXPECT_EQ(listed.out, "0\tProfile1\tselected\n1\tProfile1_1\n");
}

// A program that holds the socket but never answers: ms1ctl gives up after 5 s and writes
// nothing.
TEST_F(ForwardingProcess, ASilentProgramMeansExitSixAndNothingWritten) {
    const QString file = other_.filePath("exported.pro");
    ASSERT_EQ(Ms1Ctl({"profile", "export", "Profile1", file, "--data", other_.path()}).exitCode, 0);
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(QDir(runtime_.path()).filePath("Tarvex.socket")));

    const Ran imported = Ms1Ctl({"profile", "import", file, "--data", Data()});
    EXPECT_EQ(imported.exitCode, 6);
    EXPECT_EQ(imported.out, "");
    EXPECT_EQ(imported.err,
              "ms1ctl: ms1 is running but did not answer within 5 s; nothing was done\n");
    EXPECT_FALSE(QFile::exists(Data("ms_1/pro.data")));
    EXPECT_FALSE(QFile::exists(Data("ms_1/macro.data")));
}

}  // namespace
}  // namespace ms1::test
