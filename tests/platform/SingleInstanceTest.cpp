#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kWaitMs = 10000;

QString ProbePath() {
    return QCoreApplication::applicationDirPath() + "/ms1_single_instance_probe";
}

// Starts a probe and waits until it has said which role it took.
std::unique_ptr<QProcess> StartProbe(const QString& name) {
    auto probe = std::make_unique<QProcess>();
    probe->start(ProbePath(), {name});
    return probe;
}

bool WaitForLine(QProcess& probe, const QByteArray& line, QByteArray& seen) {
    return QTest::qWaitFor(
        [&] {
            seen += probe.readAllStandardOutput();
            return seen.contains(line);
        },
        kWaitMs);
}

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        name_ = QStringLiteral("ms1-test-%1").arg(QCoreApplication::applicationPid());
    }
    void TearDown() override {
        for (auto& probe : probes_) {
            probe->kill();
            probe->waitForFinished(kWaitMs);
        }
        QFile::remove(SingleInstance::LockFilePath(name_));
    }
    QProcess& Start() {
        probes_.push_back(StartProbe(name_));
        return *probes_.back();
    }
    QString name_;
    std::vector<std::unique_ptr<QProcess>> probes_;
};

TEST_F(SingleInstanceTest, SecondStartActivatesTheFirstAndExitsWithOne) {
    QProcess& first = Start();
    QByteArray firstOut;
    ASSERT_TRUE(WaitForLine(first, "first\n", firstOut)) << firstOut.constData();

    QProcess& second = Start();
    ASSERT_TRUE(second.waitForFinished(kWaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.readAllStandardOutput(), "second\n");

    ASSERT_TRUE(WaitForLine(first, "activated\n", firstOut)) << firstOut.constData();
    EXPECT_EQ(first.state(), QProcess::Running);  // the first keeps running

    // A third start does the same: every later start reaches the running one.
    QProcess& third = Start();
    ASSERT_TRUE(third.waitForFinished(kWaitMs));
    EXPECT_EQ(third.exitCode(), 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            firstOut += first.readAllStandardOutput();
            return firstOut.count("activated\n") == 2;
        },
        kWaitMs));
}

TEST_F(SingleInstanceTest, LockOfACrashedInstanceDoesNotBlockTheNextStart) {
    QProcess& crashed = Start();
    QByteArray out;
    ASSERT_TRUE(WaitForLine(crashed, "first\n", out));
    crashed.kill();  // SIGKILL: no clean-up, lock file and socket stay behind
    ASSERT_TRUE(crashed.waitForFinished(kWaitMs));
    ASSERT_TRUE(QFile::exists(SingleInstance::LockFilePath(name_)));

    QProcess& next = Start();
    QByteArray nextOut;
    ASSERT_TRUE(WaitForLine(next, "first\n", nextOut)) << nextOut.constData();

    // And it is a working first instance: a later start reaches it.
    QProcess& later = Start();
    ASSERT_TRUE(later.waitForFinished(kWaitMs));
    EXPECT_EQ(later.exitCode(), 1);
    ASSERT_TRUE(WaitForLine(next, "activated\n", nextOut));
}

}  // namespace
}  // namespace ms1
