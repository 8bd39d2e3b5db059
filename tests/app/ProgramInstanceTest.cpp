// The real program, started twice.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "TestResources.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr int kWaitMs = 15000;

TEST(ProgramInstanceTest, SecondStartExitsWithOneAndTheFirstKeepsRunning) {
    TestApp();
    // A runtime folder of the test's own, so a real running copy is never disturbed.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const QString program = QDir(ProgramFolder()).filePath("ms1");
    const QString socket = QDir(runtime.path()).filePath("Tarvex.socket");

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(program);
    ASSERT_TRUE(first.waitForStarted(kWaitMs));
    // The first instance listens once it holds the lock.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, kWaitMs));

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(program);
    ASSERT_TRUE(second.waitForFinished(kWaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(kWaitMs)) {
        first.kill();
        first.waitForFinished(kWaitMs);
    }
}

}  // namespace
}  // namespace ms1
