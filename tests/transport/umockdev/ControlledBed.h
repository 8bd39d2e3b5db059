// The umockdev test bed under --control, for tests that plug and pull devices while the
// program under test runs, and that tell the feature reports of one device from another's.
// The bed's standard output is read line by line as it comes ("plugged N /dev/hidrawM",
// "pulled N", "feature N HEX"); the program's own output goes to the bed's standard error.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "tests/app/ProgramRun.h"

namespace ms1::test {

class ControlledBed {
  public:
    // Starts the bed with the devices in `plugs` plugged in before `command` starts.
    bool Start(const QStringList& plugs, const QStringList& command,
               const QProcessEnvironment& environment) {
        QStringList arguments{MS1_UMOCK_RECEIVER, "--control"};
        for (const QString& kind : plugs)
            arguments << "--plug" << kind;
        arguments << "--" << command;
        process_.setProcessEnvironment(environment);
        process_.start(MS1_UMOCKDEV_WRAPPER, arguments);
        return process_.waitForStarted(kPatienceMs);
    }

    // Waits until `done` holds, reading the bed's lines as they come; false when the bed
    // ended or the patience ran out first.
    bool WaitFor(const std::function<bool()>& done, int patienceMs = kPatienceMs) {
        const QDeadlineTimer deadline(patienceMs);
        for (;;) {
            TakeLines();
            if (done())
                return true;
            if (process_.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        }
    }

    // Plugs a device of `kind` in; its number, 0 when the bed refused.
    int Plug(const QString& kind) {
        const qsizetype from = lines_.size();
        process_.write(("plug " + kind + "\n").toUtf8());
        QString answer;
        WaitFor([&] {
            for (qsizetype i = from; i < lines_.size(); ++i) {
                if (lines_[i].startsWith("plugged ") || lines_[i].startsWith("error:")) {
                    answer = lines_[i];
                    return true;
                }
            }
            return false;
        });
        return answer.startsWith("plugged ") ? answer.section(' ', 1, 1).toInt() : 0;
    }

    bool Pull(int device) {
        const QString pulled = "pulled " + QString::number(device);
        process_.write(("pull " + QString::number(device) + "\n").toUtf8());
        return WaitFor([&] { return lines_.contains(pulled); });
    }

    // The feature reports device N took so far, as hex lines.
    QStringList Features(int device) {
        TakeLines();
        const QString prefix = "feature " + QString::number(device) + " ";
        QStringList features;
        for (const QString& line : lines_) {
            if (line.startsWith(prefix))
                features << line.mid(prefix.size());
        }
        return features;
    }

    // Waits until device N took `count` feature reports in all.
    bool WaitForFeatures(int device, qsizetype count) {
        return WaitFor([&] { return Features(device).size() >= count; });
    }

    // Ends the program under test (the bed passes SIGTERM on) or waits for its own end; its
    // exit code and what it printed, to the bed's standard error.
    Ran Finish(bool terminate) {
        if (terminate)
            process_.terminate();
        Ran ran = test::Finish(process_, kPatienceMs);
        TakeLines(ran.out);
        return ran;
    }

    static constexpr int kPatienceMs = 20000;

  private:
    void TakeLines() { TakeLines(QString::fromUtf8(process_.readAllStandardOutput())); }
    void TakeLines(const QString& text) {
        partial_ += text;
        const qsizetype end = partial_.lastIndexOf('\n');
        if (end < 0)
            return;
        lines_ << partial_.left(end).split('\n', Qt::SkipEmptyParts);
        partial_ = partial_.mid(end + 1);
    }

    QProcess process_;
    QStringList lines_;
    QString partial_;
};

// Waits until the program started with this runtime folder listens for ms1ctl: its socket
// appears in the folder. Requests reach its handler once its event loop runs.
inline bool WaitForProgramSocket(const QString& runtimeFolder, int patienceMs) {
    const QString socket = QDir(runtimeFolder).filePath("Tarvex.socket");
    if (QFileInfo::exists(socket))
        return true;
    QFileSystemWatcher watcher({runtimeFolder});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (QFileInfo::exists(socket))
            loop.quit();
    });
    QTimer::singleShot(patienceMs, &loop, &QEventLoop::quit);
    if (!QFileInfo::exists(socket))
        loop.exec();
    return QFileInfo::exists(socket);
}

}  // namespace ms1::test
