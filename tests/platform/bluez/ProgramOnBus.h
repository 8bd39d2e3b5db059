#pragma once

// ms1ctl and the offscreen ms1 as processes whose system bus is a PrivateBus: what the tests
// against a stand-in bluetoothd share.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"
#include "tests/platform/bluez/PrivateBus.h"

namespace ms1 {

constexpr int kPatienceMs = 20000;

inline QCoreApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ms1_bluez_program_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

class ProgramOnBus : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        const QString why = bus_.Start();
        if (!why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address());
        environment_.insert("XDG_RUNTIME_DIR", runtime_.path());  // a single instance of its own
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void TearDown() override { StopProgram(); }

    // Starts ms1ctl; test::Finish waits for it.
    void Start(QProcess& process, const QStringList& arguments) {
        process.setProcessEnvironment(environment_);
        process.start(ProgramFolder() + "/ms1ctl", arguments);
        ASSERT_TRUE(process.waitForStarted(kPatienceMs));
    }
    test::Ran Ms1Ctl(const QStringList& arguments) {
        return test::RunProgram(ProgramFolder() + "/ms1ctl", arguments, environment_, kPatienceMs);
    }

    // The default profile as a file, for apply.
    QString DefaultProfile() {
        const QString file = files_.filePath("default.pro");
        if (!QFile::exists(file)) {
            const test::Ran exported =
                Ms1Ctl({"profile", "export", "Profile1", file, "--data", files_.path()});
            EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        }
        return file;
    }

    // The program on the real devices (none here) and the stand-in bluetoothd; returns once
    // it takes ms1ctl's commands.
    void StartProgram() {
        program_.setProcessEnvironment(environment_);
        program_.setProcessChannelMode(QProcess::ForwardedChannels);
        program_.start(ProgramFolder() + "/ms1", {"--data", data_.path()});
        ASSERT_TRUE(program_.waitForStarted(kPatienceMs));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFile::exists(QDir(runtime_.path()).filePath("Tarvex.socket")); },
            kPatienceMs));
    }
    void StopProgram() {
        if (program_.state() == QProcess::NotRunning)
            return;
        program_.terminate();
        if (!program_.waitForFinished(kPatienceMs))
            program_.kill();
        program_.waitForFinished(kPatienceMs);
    }

    bool WaitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, kPatienceMs); }

    PrivateBus bus_;
    QProcessEnvironment environment_;
    QTemporaryDir runtime_;
    QTemporaryDir data_;
    QTemporaryDir files_;
    QProcess program_;
};

}  // namespace ms1
