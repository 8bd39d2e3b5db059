#pragma once

// A desktop for a program test on the X server the test was given: openbox as the window
// manager, xdotool and xprop to find and drive windows.
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <chrono>
#include <initializer_list>

#include "tests/app/ProgramRun.h"
#include "tests/support/Eventually.h"

namespace ms1::test {

// Empty when the tools and an X server are there, else why not.
inline QString MissingDesktop() {
    for (const char* tool : {"openbox", "xdotool", "xprop"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return QString(tool) + " is not installed";
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return "no X server (run under tests/run_under_xvfb)";
    return {};
}

// Starts openbox in `process`; empty once it has marked the root window as its own, else why
// not.
inline QString StartOpenbox(QProcess& process, const QProcessEnvironment& environment,
                            int patienceMs) {
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("openbox", {});
    if (!process.waitForStarted(patienceMs))
        return "openbox did not start";
    Ran marked;
    Eventually(
        [&] {
            marked =
                RunProgram("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, environment, patienceMs);
            return marked.out.contains("window id") || process.state() == QProcess::NotRunning;
        },
        std::chrono::milliseconds(patienceMs));
    if (marked.out.contains("window id"))
        return {};
    return "openbox did not mark the root window: " + QString::fromUtf8(process.readAll()) +
           "\nxprop: " + marked.out + marked.err;
}

// Ends each process still running: SIGTERM, then SIGKILL after the patience.
inline void EndProcesses(std::initializer_list<QProcess*> processes, int patienceMs) {
    for (QProcess* process : processes) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(patienceMs)) {
            process->kill();
            process->waitForFinished(patienceMs);
        }
    }
}

}  // namespace ms1::test
