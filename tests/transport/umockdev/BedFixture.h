#pragma once

// What the tests on emulated kernel devices share: the test bed (ms1_umock_receiver under
// umockdev-wrapper) with ms1ctl or the offscreen ms1 started on it, a runtime and data folder
// of the test's own, and ms1ctl run beside it. The bed's standard output is read line by line
// as it comes ("plugged N /dev/hidrawM", "pulled N", "feature N HEX").
#include <gtest/gtest.h>

#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "tests/app/ProgramRun.h"

namespace ms1::test {

inline constexpr int kBedPatienceMs = 20000;

// The bed under --control: a test plugs and pulls devices while the program under test runs
// and reads the feature reports each device took.
class Bed {
  public:
    // The program's output goes to `logFile` when one is named (a pipe nobody reads while
    // ms1ctl runs could fill and stop it), else to the bed's standard error, which Finish
    // returns.
    explicit Bed(QProcessEnvironment environment, QString logFile = {});
    ~Bed();

    // Starts the bed with `bedOptions` (--plug KIND, --node-mode OCTAL) and then `command`.
    bool Start(const QStringList& bedOptions, const QStringList& command);

    // Waits until `done` holds, reading the bed's lines as they come; false when the bed
    // ended or the patience ran out first.
    bool WaitFor(const std::function<bool()>& done, int patienceMs = kBedPatienceMs);
    // The next line not yet waited for that starts with `prefix` (lines before it are passed
    // over); empty when none came within the patience.
    QString WaitForLine(const QString& prefix, int patienceMs = kBedPatienceMs);
    // Writes one command to the bed and waits for the next line starting with `answer`.
    QString Command(const QString& command, const QString& answer);

    // Plugs a device of `kind` in; its number, 0 when the bed refused.
    int Plug(const QString& kind);
    bool Pull(int device);
    // The feature reports device N took so far, as hex lines.
    QStringList Features(int device);
    bool WaitForFeatures(int device, qsizetype count);

    // Ends the program under test (the bed passes SIGTERM on) or waits for its own end; its
    // exit code and what it printed, to the bed's standard error.
    Ran Finish(bool terminate);
    // Ends the program as a logout does; its exit status, -1 when it did not end normally.
    int Terminate();

    // The program's resident memory in KiB, from /proc; nothing when it is not there.
    std::optional<long> ResidentKib() const;
    // What the program printed so far to the log file.
    QString Log() const;
    // The program's process id (the bed's child); 0 when it is not there.
    qint64 ProgramPid() const;

  private:
    void TakeLines();

    QProcessEnvironment environment_;
    QString logFile_;
    QProcess process_;
    QStringList lines_;
    qsizetype next_ = 0;  // the first line WaitForLine has not passed
    QString partial_;
};

// --plug KIND for each kind, in order.
QStringList Plugs(const QStringList& kinds);

// Waits until the program started with this runtime folder listens for ms1ctl: its socket
// appears in the folder. Requests reach its handler once its event loop runs.
bool WaitForProgramSocket(const QString& runtimeFolder, int patienceMs = kBedPatienceMs);

// A report that the receiver did not acknowledge within the program's pause goes out again,
// the same bytes. The reports a device took, in order, each with how often it came in a row;
// the three packets of a macro page count as one report.
struct Taken {
    QString report;  // its hex lines, joined by '\n'
    int times = 0;
};
QList<Taken> TakenReports(const QStringList& lines);
// The reports alone, each once, as hex lines.
QStringList Once(const QList<Taken>& taken);
// What ms1ctl apply prints for reports the receiver acknowledged after the times they went out.
QString ConfirmedAfter(const QList<Taken>& taken);

class BedTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // A system bus where no bluetoothd answers: the Bluetooth LE link stays out of the case.
    void WithoutBluetoothd();

    static QString Ms1Ctl();
    // ms1 with its data in `dataFolder`, as a command for the bed.
    static QStringList Ms1(const QString& dataFolder);
    Ran RunMs1Ctl(const QStringList& arguments) const;
    // `command` (ms1ctl) under the bed, without --control; the bed plugs in one receiver when
    // `bedOptions` plug nothing.
    Ran OnBed(const QStringList& bedOptions, const QStringList& command) const;
    // Starts ms1 on `bed` with its data in `dataFolder` and waits until it listens.
    bool StartProgram(Bed& bed, const QStringList& bedOptions, const QString& dataFolder);

    // The default profile exported to a file, and the lines ms1ctl reports prints for it.
    QString DefaultProfile();
    QStringList Reports(const QString& profile);

    // As root, the command prefix that drops the capabilities overriding file modes, so
    // that a node of mode 000 holds as for a user without the udev rule; empty otherwise.
    // Fails the test as root without setpriv.
    static void AsUser(QStringList* prefix);
    // What ms1ctl says after "permission denied" on the node.
    static QString UdevRuleHint();

    QTemporaryDir files_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_;
};

}  // namespace ms1::test
