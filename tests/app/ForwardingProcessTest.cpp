// ms1ctl beside a running ms1, both as real processes.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "storage/AtomicFileWriter.h"
#include "storage/ProfileFile.h"
#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/ReportBytes.h"

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

// profile use is carried out by the program: its own virtual mouse gets the profile, and the
// choice is on disk at once. "Game" polls at 500 Hz where "Profile1" polls at 1000 Hz.
TEST_F(ForwardingProcess, ProfileUseGoesThroughTheRunningProgram) {
    QProcess program;
    program.setProcessEnvironment(environment_);
    program.start(ProgramFolder() + "/ms1", {"--simulate", "--data", Data()});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Data("ms_1/pro.data")); }, kPatienceMs));

    auto game = DefaultProfile(u"Game");
    game->pollingRate = 1;
    const QString file = other_.filePath("game.pro");
    AtomicFileWriter writer;
    ASSERT_TRUE(ExportProfile(*game, file.toStdString(), writer));
    ASSERT_EQ(Ms1Ctl({"profile", "import", file, "--data", Data()}).exitCode, 0);

    struct Row {
        QStringList args;
        int exitCode;
        QString err;
        QString listed;  // ms1ctl profiles right after
    };
    const Row rows[] = {
        {{"--simulate", "profile", "use", "GAME", "--data", Data(), "--dump-device"},
         0,
         "",
         "0\tProfile1\n1\tGame\tselected\n"},
        {{"--simulate", "profile", "use", "Gamer", "--data", Data()},
         3,
         "ms1ctl profile: no profile named Gamer\n",
         "0\tProfile1\n1\tGame\tselected\n"},
        {{"--simulate", "profile", "use", "profile1", "--data", Data()},
         0,
         "",
         "0\tProfile1\tselected\n1\tGame\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const Ran used = Ms1Ctl(row.args);
        EXPECT_EQ(used.exitCode, row.exitCode) << used.err.toStdString();
        EXPECT_EQ(used.err, row.err);
        if (row.exitCode == 0) {
            EXPECT_TRUE(used.out.startsWith("0x1c confirmed after 1 attempt(s)\n0x14 confirmed"))
                << used.out.toStdString();
        }
        EXPECT_EQ(Ms1Ctl({"profiles", "--data", Data()}).out, row.listed);
        // The dump ends with this command's full apply (an apply under way when it came may
        // come before it): Game's 500 Hz among its reports.
        if (row.args.contains("--dump-device")) {
            QStringList packets;
            for (const QString& line : used.out.split('\n')) {
                if (line.startsWith("rx "))
                    packets << line;
            }
            ASSERT_GE(packets.size(), 5) << used.out.toStdString();
            const QStringList last = packets.mid(packets.size() - 5);
            EXPECT_EQ(last[0], "rx 1c 3c 01 fe 01 fe" + QString(" 00").repeated(54));
            EXPECT_EQ(last[3], "rx 16 3c 01 04 fb" + QString(" 00").repeated(55));
            EXPECT_TRUE(last[4].startsWith("rx 18 3c 01 ")) << last[4].toStdString();
        }
    }

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(kPatienceMs));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(Ms1Ctl({"profiles", "--data", Data()}).out, "0\tProfile1\tselected\n1\tGame\n");
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
