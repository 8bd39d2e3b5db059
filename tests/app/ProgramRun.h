#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ms1::test {

// What a program run by a test did: its exit code (-1 when it crashed or did not finish) and
// what it printed.
struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

// Waits for a started process (or takes one that has ended); one that does not finish within
// the patience is killed and says so in `err`.
inline Ran Finish(QProcess& process, int patienceMs) {
    Ran run;
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(patienceMs)) {
        process.kill();
        process.waitForFinished(patienceMs);
        run.err = "did not finish within " + QString::number(patienceMs / 1000) +
                  " s: " + process.program() + " " + process.arguments().join(' ');
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline Ran RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, int patienceMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(patienceMs)) {
        Ran run;
        run.err = "did not start: " + program;
        return run;
    }
    return Finish(process, patienceMs);
}

}  // namespace ms1::test
