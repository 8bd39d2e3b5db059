#include "platform/InstanceRequests.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QTest>
#include <QTimer>
#include <future>
#include <thread>

#include "platform/SingleInstance.h"
#include "tests/support/Forwarding.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

using namespace std::chrono_literals;
using Kind = ForwardOutcome::Kind;

using test::Forwarded;

Forwarded Forward(const QString& name, std::chrono::milliseconds patience) {
    return test::Forward(name, QJsonObject{{"command", "status"}}, patience);
}

struct Case {
    const char* name;
    // What the running instance does with the request.
    std::function<void(std::shared_ptr<InstanceReply>)> handle;
    Kind kind;
    int exitCode;
    std::string out;
    std::string err;
};

class InstanceRequests : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        TestApp();
        name_ = QStringLiteral("ms1-requests-%1").arg(QCoreApplication::applicationPid());
    }
    void TearDown() override { QFile::remove(SingleInstance::LockFilePath(name_)); }
    QString name_;
};

// Sees the running instance read from a connection: the socket notifier of a local socket on
// this thread fired, and once that event has been handled, what the socket had is read.
class ServerReads final : public QObject {
  public:
    ServerReads() { QCoreApplication::instance()->installEventFilter(this); }
    ~ServerReads() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool Seen() const { return seen_; }

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::SockAct && OfLocalSocket(receiver)) {
            // Queued behind the event being handled.
            QTimer::singleShot(0, this, [this] { seen_ = true; });
        }
        return false;
    }

  private:
    static bool OfLocalSocket(QObject* object) {
        for (; object != nullptr; object = object->parent()) {
            if (qobject_cast<LocalConnection*>(object) != nullptr)
                return true;
        }
        return false;
    }
    bool seen_ = false;
};

std::vector<std::shared_ptr<InstanceReply>> kept;  // replies a case never finishes

TEST_P(InstanceRequests, TheClientSeesWhatTheRunningInstanceAnswers) {
    SingleInstance instance(name_);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    instance.SetRequestHandler([&](const QJsonObject& request, auto reply) {
        EXPECT_EQ(request["command"].toString(), "status");
        GetParam().handle(reply);
    });
    const Forwarded forwarded = Forward(name_, 2s);
    EXPECT_EQ(forwarded.outcome.kind, GetParam().kind);
    EXPECT_EQ(forwarded.outcome.exitCode, GetParam().exitCode);
    EXPECT_EQ(forwarded.out, GetParam().out);
    EXPECT_EQ(forwarded.err, GetParam().err);
    kept.clear();
}

const Case kCases[] = {
    {"Finished",
     [](auto reply) {
         reply->Accept();
         reply->Out("link: wired\n");
         reply->Err("ms1ctl: note\n");
         reply->Out("battery: 75%\n");
         reply->Finish(4);
     },
     Kind::Finished, 4, "link: wired\nbattery: 75%\n", "ms1ctl: note\n"},
    // More than the socket takes at once: the rest goes out as the client reads, and the
    // connection closes only after it.
    {"LongOutput",
     [](auto reply) {
         reply->Accept();
         reply->Out(std::string(1 << 20, 'x'));
         reply->Finish(0);
     },
     Kind::Finished, 0, std::string(1 << 20, 'x'), ""},
    {"Declined", [](auto reply) { reply->Decline(); }, Kind::Declined, 0, "", ""},
    {"NoAnswer", [](auto reply) { kept.push_back(reply); }, Kind::NoAnswer, 0, "", ""},
    {"AcceptedThenGone",
     [](auto reply) {
         reply->Accept();
         reply->Out("half");
     },
     Kind::Broken, 0, "half", ""},
};

INSTANTIATE_TEST_SUITE_P(Answers, InstanceRequests, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A reply whose last holder is another thread (an apply worker's listener) closes its
// connection on the connection's own thread: Qt cannot switch a socket notifier off from another
// thread, and a descriptor closed under a live notifier makes the event loop spin.
QStringList qtWarnings;

TEST_F(InstanceRequests, AReplyReleasedOnAnotherThreadClosesOnItsOwn) {
    SingleInstance instance(name_);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    instance.SetRequestHandler([&](const QJsonObject&, std::shared_ptr<InstanceReply> reply) {
        reply->Accept();
        reply->Out("link: wired\n");
        reply->Finish(0);
        std::thread([last = std::move(reply)]() mutable { last.reset(); }).join();
    });
    qtWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { qtWarnings << text; });
    const Forwarded forwarded = Forward(name_, 2s);
    QCoreApplication::processEvents();
    qInstallMessageHandler(previous);
    EXPECT_EQ(forwarded.outcome.kind, Kind::Finished);
    EXPECT_EQ(forwarded.out, "link: wired\n");
    EXPECT_EQ(qtWarnings.join('\n').toStdString(), "");
}

TEST_F(InstanceRequests, NobodyListeningMeansDoItHere) {
    EXPECT_EQ(Forward(name_, 2s).outcome.kind, Kind::NotRunning);
}

// Requests that come while the program is still starting wait for its handler.
TEST_F(InstanceRequests, ARequestBeforeTheHandlerIsAnsweredOnceItIsSet) {
    SingleInstance instance(name_);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    ServerReads reads;
    auto result = std::async(std::launch::async, [&] {
        return ForwardRequest(SingleInstance::SocketPath(name_), QJsonObject{}, 10s,
                              [](bool, const std::string&) {});
    });
    // The request has arrived and was read before there is a handler.
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.Seen(); }, 20000));
    instance.SetRequestHandler([](const QJsonObject&, auto reply) {
        reply->Accept();
        reply->Finish(0);
    });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return result.wait_for(0s) == std::future_status::ready; }, 20000));
    EXPECT_EQ(result.get().kind, Kind::Finished);
}

}  // namespace
}  // namespace ms1
