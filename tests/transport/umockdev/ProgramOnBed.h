#pragma once
// The running ms1 (offscreen) on emulated kernel devices: the test bed runs it under
// umockdev with --control, so a test plugs and pulls devices while it runs, reads the feature
// reports the devices take, and asks the program for its state with ms1ctl, which hands its
// commands to the running program.
#include <signal.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <optional>

#include "tests/app/ProgramRun.h"
#include "tests/app/TestResources.h"

namespace ms1::test {

inline constexpr int kBedPatienceMs = 20000;

class ProgramOnBed {
  public:
    // `environment` names the runtime folder (XDG_RUNTIME_DIR) of the program's socket;
    // ms1ctl started with it reaches the program there.
    // The program's output goes to `logFile` (a pipe nobody reads while ms1ctl runs could
    // fill and stop it).
    ProgramOnBed(QProcessEnvironment environment, QString logFile)
        : environment_(std::move(environment)), logFile_(std::move(logFile)) {}

    ~ProgramOnBed() {
        if (bed_.state() != QProcess::NotRunning) {
            bed_.terminate();
            if (!bed_.waitForFinished(kBedPatienceMs))
                bed_.kill();
            bed_.waitForFinished(kBedPatienceMs);
        }
    }

    // Starts ms1 with its data in `dataFolder`, after `before` (e.g. setpriv), and waits until
    // it takes ms1ctl's commands. False when it does not come up; why is in Log().
    bool Start(const QString& dataFolder, const QStringList& bedOptions = {},
               const QStringList& before = {}) {
        QStringList arguments{MS1_UMOCK_RECEIVER, "--control"};
        arguments << bedOptions << "--" << before << ProgramFolder() + "/ms1"
                  << "--data" << dataFolder;
        bed_.setProcessEnvironment(environment_);
        bed_.setStandardErrorFile(logFile_);
        bed_.start(MS1_UMOCKDEV_WRAPPER, arguments);
        if (!bed_.waitForStarted(kBedPatienceMs))
            return false;
        // Nothing announces the program's socket: it is looked for until it is there.
        const QString runtime = environment_.value("XDG_RUNTIME_DIR");
        QDeadlineTimer deadline(kBedPatienceMs);
        while (!deadline.hasExpired() && bed_.state() == QProcess::Running) {
            for (const QString& name : QDir(runtime).entryList(QDir::System | QDir::Hidden)) {
                struct stat info {};
                if (::stat(QFile::encodeName(runtime + "/" + name).constData(), &info) == 0 &&
                    S_ISSOCK(info.st_mode))
                    return true;
            }
            bed_.waitForReadyRead(50);
            TakeLines();
        }
        return false;
    }

    // Writes one command to the bed and waits for its answer, the next line starting with
    // `answer`; empty when none came.
    QString Command(const QString& command, const QString& answer) {
        bed_.write((command + "\n").toUtf8());
        return WaitForLine(answer);
    }

    // The next line of the bed that starts with `prefix` (lines before it are passed over);
    // empty when none came within the patience.
    QString WaitForLine(const QString& prefix, int patienceMs = kBedPatienceMs) {
        QDeadlineTimer deadline(patienceMs);
        for (;;) {
            while (!lines_.isEmpty()) {
                const QString line = lines_.takeFirst();
                if (line.startsWith(prefix))
                    return line;
            }
            if (deadline.hasExpired() || bed_.state() != QProcess::Running)
                return {};
            bed_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            TakeLines();
        }
    }

    // Runs ms1ctl; the running program carries the command out.
    Ran Ms1Ctl(const QStringList& arguments) const {
        return RunProgram(ProgramFolder() + "/ms1ctl", arguments, environment_, kBedPatienceMs);
    }

    // The program's process id (the bed's child), 0 when not found.
    qint64 ProgramPid() const {
        const qint64 bed = bed_.processId();
        QFile children(QString("/proc/%1/task/%1/children").arg(bed));
        if (!children.open(QIODevice::ReadOnly))
            return 0;
        return QString::fromLatin1(children.readAll())
            .split(' ', Qt::SkipEmptyParts)
            .value(0)
            .toLongLong();
    }

    // The program's resident memory in KiB, from /proc; nothing when it is not there.
    std::optional<long> ResidentKib() const {
        QFile status(QString("/proc/%1/status").arg(ProgramPid()));
        if (!status.open(QIODevice::ReadOnly))
            return std::nullopt;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
        return std::nullopt;
    }

    // Ends the program as a logout does (SIGTERM, passed on by the bed); its exit status.
    int Terminate() {
        bed_.terminate();
        if (!bed_.waitForFinished(kBedPatienceMs))
            return -1;
        return bed_.exitStatus() == QProcess::NormalExit ? bed_.exitCode() : -1;
    }

    // What the program printed so far.
    QString Log() const {
        QFile log(logFile_);
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

  private:
    void TakeLines() {
        while (bed_.canReadLine())
            lines_ << QString::fromUtf8(bed_.readLine()).trimmed();
    }

    QProcessEnvironment environment_;
    QProcess bed_;
    QString logFile_;
    QStringList lines_;
};

}  // namespace ms1::test
