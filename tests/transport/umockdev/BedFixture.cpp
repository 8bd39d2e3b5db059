#include "tests/transport/umockdev/BedFixture.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include "tests/app/TestResources.h"

namespace ms1::test {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_umockdev_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// Every thread's stack of a running process, by gdb where it is installed.
QString ThreadStacks(qint64 pid) {
    QProcess gdb;
    gdb.start("gdb", {"-batch", "-p", QString::number(pid), "-ex", "thread apply all bt"});
    if (!gdb.waitForStarted(kBedPatienceMs))
        return "(gdb is not installed)";
    if (!gdb.waitForFinished(kBedPatienceMs))
        gdb.kill();
    return QString::fromUtf8(gdb.readAllStandardOutput());
}

}  // namespace

Bed::Bed(QProcessEnvironment environment, QString logFile)
    : environment_(std::move(environment)), logFile_(std::move(logFile)) {}

Bed::~Bed() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(kBedPatienceMs))
            process_.kill();
        process_.waitForFinished(kBedPatienceMs);
    }
}

bool Bed::Start(const QStringList& bedOptions, const QStringList& command) {
    QStringList arguments{MS1_UMOCK_RECEIVER, "--control"};
    arguments << bedOptions << "--" << command;
    process_.setProcessEnvironment(environment_);
    if (!logFile_.isEmpty())
        process_.setStandardErrorFile(logFile_);
    process_.start(MS1_UMOCKDEV_WRAPPER, arguments);
    return process_.waitForStarted(kBedPatienceMs);
}

bool Bed::WaitFor(const std::function<bool()>& done, int patienceMs) {
    const QDeadlineTimer deadline(patienceMs);
    for (;;) {
        TakeLines();
        if (done())
            return true;
        if (process_.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        process_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

QString Bed::WaitForLine(const QString& prefix, int patienceMs) {
    QString found;
    WaitFor(
        [&] {
            while (next_ < lines_.size()) {
                const QString& line = lines_[next_++];
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return false;
        },
        patienceMs);
    return found;
}

QString Bed::Command(const QString& command, const QString& answer) {
    process_.write((command + "\n").toUtf8());
    return WaitForLine(answer);
}

int Bed::Plug(const QString& kind) {
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

bool Bed::Pull(int device) {
    const QString pulled = "pulled " + QString::number(device);
    process_.write(("pull " + QString::number(device) + "\n").toUtf8());
    return WaitFor([&] { return lines_.contains(pulled); });
}

QStringList Bed::Features(int device) {
    TakeLines();
    const QString prefix = "feature " + QString::number(device) + " ";
    QStringList features;
    for (const QString& line : lines_) {
        if (line.startsWith(prefix))
            features << line.mid(prefix.size());
    }
    return features;
}

bool Bed::WaitForFeatures(int device, qsizetype count) {
    return WaitFor([&] { return Features(device).size() >= count; });
}

Ran Bed::Finish(bool terminate) {
    if (terminate) {
        const qint64 program = ProgramPid();
        process_.terminate();
        // A program that does not end is a fault to find: where each of its threads waits
        // and what it logged go into the test's output before it is killed.
        if (!process_.waitForFinished(kBedPatienceMs) && program != 0) {
            ADD_FAILURE() << "the program did not end after SIGTERM; its threads:\n"
                          << ThreadStacks(program).toStdString() << "\nits log:\n"
                          << Log().right(4000).toStdString();
        }
    }
    Ran ran = test::Finish(process_, kBedPatienceMs);
    partial_ += ran.out;
    TakeLines();
    return ran;
}

int Bed::Terminate() {
    const Ran ran = Finish(true);
    return ran.exitCode;
}

qint64 Bed::ProgramPid() const {
    const qint64 bed = process_.processId();
    QFile children(QString("/proc/%1/task/%1/children").arg(bed));
    if (!children.open(QIODevice::ReadOnly))
        return 0;
    return QString::fromLatin1(children.readAll())
        .split(' ', Qt::SkipEmptyParts)
        .value(0)
        .toLongLong();
}

std::optional<long> Bed::ResidentKib() const {
    QFile status(QString("/proc/%1/status").arg(ProgramPid()));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return std::nullopt;
}

QString Bed::Log() const {
    if (logFile_.isEmpty())
        return {};
    QFile log(logFile_);
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void Bed::TakeLines() {
    partial_ += QString::fromUtf8(process_.readAllStandardOutput());
    const qsizetype end = partial_.lastIndexOf('\n');
    if (end < 0)
        return;
    lines_ << partial_.left(end).split('\n', Qt::SkipEmptyParts);
    partial_ = partial_.mid(end + 1);
}

QStringList Plugs(const QStringList& kinds) {
    QStringList options;
    for (const QString& kind : kinds)
        options << "--plug" << kind;
    return options;
}

bool WaitForProgramSocket(const QString& runtimeFolder, int patienceMs) {
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

QList<Taken> TakenReports(const QStringList& lines) {
    QList<Taken> taken;
    QStringList report;
    for (const QString& line : lines) {
        report << line;
        // A macro page's packets carry their index in byte 3; the page ends with packet 2.
        if (line.startsWith("19 ") && line.section(' ', 3, 3) != "02")
            continue;
        const QString whole = report.join('\n');
        report.clear();
        if (!taken.isEmpty() && taken.last().report == whole)
            ++taken.last().times;
        else
            taken.append({whole, 1});
    }
    if (!report.isEmpty())
        taken.append({report.join('\n'), 1});
    return taken;
}

QStringList Once(const QList<Taken>& taken) {
    QStringList lines;
    for (const Taken& report : taken)
        lines << report.report.split('\n');
    return lines;
}

QString ConfirmedAfter(const QList<Taken>& taken) {
    QString out;
    for (const Taken& report : taken) {
        out += "0x" + report.report.left(2) + " confirmed after " + QString::number(report.times) +
               " attempt(s)\n";
    }
    return out;
}

void BedTest::SetUp() {
    App();
    if (QString(MS1_UMOCKDEV_WRAPPER).isEmpty() || QString(MS1_UMOCK_RECEIVER).isEmpty())
        GTEST_SKIP() << "umockdev is missing (scripts/setup installs umockdev and "
                        "libumockdev-dev): the devices cannot be emulated";
    ASSERT_TRUE(files_.isValid() && runtime_.isValid());
    environment_ = QProcessEnvironment::systemEnvironment();
    // A runtime folder of its own: ms1ctl reaches this test's program and no other.
    environment_.insert("XDG_RUNTIME_DIR", runtime_.path());
    environment_.insert("QT_QPA_PLATFORM", "offscreen");
}

void BedTest::WithoutBluetoothd() {
    environment_.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + runtime_.filePath("no-bus"));
}

QString BedTest::Ms1Ctl() {
    return ProgramFolder() + "/ms1ctl";
}

QStringList BedTest::Ms1(const QString& dataFolder) {
    return {ProgramFolder() + "/ms1", "--data", dataFolder};
}

Ran BedTest::RunMs1Ctl(const QStringList& arguments) const {
    return RunProgram(Ms1Ctl(), arguments, environment_, kBedPatienceMs);
}

Ran BedTest::OnBed(const QStringList& bedOptions, const QStringList& command) const {
    QStringList arguments{MS1_UMOCK_RECEIVER};
    arguments << bedOptions << "--" << command;
    return RunProgram(MS1_UMOCKDEV_WRAPPER, arguments, environment_, kBedPatienceMs);
}

bool BedTest::StartProgram(Bed& bed, const QStringList& bedOptions, const QString& dataFolder) {
    return bed.Start(bedOptions, Ms1(dataFolder)) &&
           WaitForProgramSocket(environment_.value("XDG_RUNTIME_DIR"));
}

QString BedTest::DefaultProfile() {
    const QString file = files_.filePath("default.pro");
    const Ran exported =
        RunMs1Ctl({"profile", "export", "Profile1", file, "--data", files_.path()});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    return file;
}

QStringList BedTest::Reports(const QString& profile) {
    const Ran reports = RunMs1Ctl({"reports", profile});
    EXPECT_EQ(reports.exitCode, 0) << reports.err.toStdString();
    return reports.out.split('\n', Qt::SkipEmptyParts);
}

void BedTest::AsUser(QStringList* prefix) {
    prefix->clear();
    if (::geteuid() != 0)
        return;
    ASSERT_FALSE(QString(MS1_SETPRIV).isEmpty())
        << "running as root without setpriv (util-linux): the node's mode cannot hold";
    *prefix << MS1_SETPRIV << "--bounding-set=-dac_override,-dac_read_search";
}

QString BedTest::UdevRuleHint() {
    // The build's program folder carries the rule; a machine with the rule installed says
    // to plug the receiver in again instead.
    for (const char* folder : {"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
        if (QFileInfo(QString(folder) + "/70-ms1.rules").isFile())
            return "ms1ctl: the udev rule 70-ms1.rules is installed: unplug the receiver and "
                   "plug it in again\n";
    }
    return "ms1ctl: install the udev rule that gives you access, once: sudo cp '" +
           QFileInfo(ProgramFolder()).canonicalFilePath() +
           "/res/70-ms1.rules' /etc/udev/rules.d/ && sudo udevadm control --reload && "
           "sudo udevadm trigger\n";
}

}  // namespace ms1::test
