// The single-instance folder and socket let no one else in: the fallback folder is used only
// when it is the user's own, and the socket answers only its own user, one bounded line at a
// time.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>

#include "platform/InstanceFolder.h"
#include "platform/InstanceLineReader.h"
#include "platform/SingleInstance.h"
#include "tests/support/QtTestApp.h"

namespace ms1 {
namespace {

constexpr uid_t kNobody = 65534;

TEST(InstanceFolder, TheFallbackIsTakenOnlyWhenItIsTheUsersOwnAndPrivate) {
    struct Row {
        const char* what;
        std::function<void(const std::string& folder)> prepare;  // before the program looks
        bool needsRoot;
        const char* problem;  // part of the reason; null: the folder is used
    };
    const Row rows[] = {
        {"missing: created 0700", [](const std::string&) {}, false, nullptr},
        {"already there, private", [](const std::string& f) { ::mkdir(f.c_str(), 0700); }, false,
         nullptr},
        {"open to others",
         [](const std::string& f) { ::mkdir(f.c_str(), 0700), ::chmod(f.c_str(), 0755); }, false,
         "other users may use it (mode 0755, not 0700)"},
        {"a link to a folder of the user's",
         [](const std::string& f) {
             ::mkdir((f + "-target").c_str(), 0700);
             ::symlink((f + "-target").c_str(), f.c_str());
         },
         false, "it is a symbolic link"},
        {"a file",
         [](const std::string& f) {
             QFile file(QString::fromStdString(f));
             file.open(QIODevice::WriteOnly);
         },
         false, "it is not a folder"},
        {"made by another user",
         [](const std::string& f) {
             ::mkdir(f.c_str(), 0700);
             ASSERT_EQ(::chown(f.c_str(), kNobody, kNobody), 0);
         },
         true, "it belongs to user 65534"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.needsRoot && ::getuid() != 0) {
            std::cerr << "skipped (needs root to give a folder away): " << row.what << "\n";
            continue;
        }
        QTemporaryDir temporary;
        const std::string folder =
            temporary.path().toStdString() + "/ms1-" + std::to_string(::getuid());
        row.prepare(folder);
        const InstanceFolderChoice choice =
            ChooseInstanceFolder({}, temporary.path().toStdString(), ::getuid());
        if (row.problem == nullptr) {
            EXPECT_EQ(choice.folder, folder);
            EXPECT_EQ(choice.problem, "");
            struct stat st {};
            ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
        } else {
            EXPECT_EQ(choice.folder, "");
            EXPECT_NE(choice.problem.find(folder + " is not safe to use: "), std::string::npos)
                << choice.problem;
            EXPECT_NE(choice.problem.find(row.problem), std::string::npos) << choice.problem;
        }
    }
    // The login manager's runtime folder is taken as it is.
    EXPECT_EQ(ChooseInstanceFolder("/run/user/1000", "/tmp", 1000).folder, "/run/user/1000");
}

TEST(InstanceLineReader, OneLineWithinTheBoundOrNothing) {
    struct Row {
        const char* what;
        std::vector<QByteArray> chunks;
        InstanceLineReader::State last;
        QByteArray line;
    };
    const QByteArray big(InstanceLineReader::kMaxRequestBytes, 'x');
    const Row rows[] = {
        {"whole", {"activate\n"}, InstanceLineReader::State::Line, "activate\n"},
        {"in pieces",
         {"run {\"a\"", ":1}", "\nmore"},
         InstanceLineReader::State::Line,
         "run {\"a\":1}\n"},
        {"not ended yet", {"run {"}, InstanceLineReader::State::NeedMore, ""},
        {"too long, never ended",
         {big.left(40000), big.left(40000)},
         InstanceLineReader::State::TooLong,
         ""},
        {"too long, then ended", {big + "\n"}, InstanceLineReader::State::TooLong, ""},
        {"too long stays too long", {big, "\n"}, InstanceLineReader::State::TooLong, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        InstanceLineReader reader;
        InstanceLineReader::State state = InstanceLineReader::State::NeedMore;
        for (const QByteArray& chunk : row.chunks)
            state = reader.Append(chunk);
        EXPECT_EQ(state, row.last);
        EXPECT_EQ(reader.TakeLine(), row.line);
    }
    EXPECT_EQ(ParseInstanceLine("activate\n").kind, InstanceLine::Kind::Activate);
    EXPECT_EQ(ParseInstanceLine("run {\"command\":\"status\"}\n").request["command"].toString(),
              "status");
    for (const QByteArray& garbage :
         {QByteArray("run [1]\n"), QByteArray("run {\n"), QByteArray("activate"),
          QByteArray("hello\n"), QByteArray("run {\"a\":1}")}) {
        EXPECT_EQ(ParseInstanceLine(garbage).kind, InstanceLine::Kind::Garbage) << garbage.data();
    }
}

class InstanceGuard : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        // A temporary folder of the test's own holds the instance folder, whatever it does to it.
        runtime_ = qgetenv("XDG_RUNTIME_DIR");
        temporary_ = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", folder_.path().toUtf8());
        name_ = QStringLiteral("ms1-guard-%1").arg(QCoreApplication::applicationPid());
        instance_ = std::make_unique<SingleInstance>(name_);
        ASSERT_EQ(instance_->Acquire(), SingleInstance::Role::First);
        instance_->SetRequestHandler([this](const QJsonObject&, auto reply) {
            ++requests_;
            reply->Decline();
        });
    }
    void TearDown() override {
        instance_.reset();
        Restore("XDG_RUNTIME_DIR", runtime_);
        Restore("TMPDIR", temporary_);
    }
    static void Restore(const char* name, const QByteArray& value) {
        value.isNull() ? (void)qunsetenv(name) : (void)qputenv(name, value);
    }
    QTemporaryDir folder_;
    QByteArray runtime_;
    QByteArray temporary_;
    QString name_;
    std::unique_ptr<SingleInstance> instance_;
    int requests_ = 0;
};

// Whatever a client sends, the window thread goes on and no request is carried out; the
// connection is closed within the patience.
TEST_F(InstanceGuard, GarbageEndlessOversizeAndCutOffRequestsChangeNothing) {
    struct Row {
        const char* what;
        QByteArray bytes;
        bool disconnectAfter;
    };
    const Row rows[] = {
        {"garbage", "GET / HTTP/1.0\n", false},
        {"oversize", QByteArray(70 * 1024, 'r'), false},
        {"never ended", "run {\"command\":\"status\"", false},
        {"cut off", "run {\"command\":\"sta", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QLocalSocket client;
        client.connectToServer(SingleInstance::SocketPath(name_));
        ASSERT_TRUE(client.waitForConnected(2000));
        client.write(row.bytes);
        client.flush();
        if (row.disconnectAfter)
            client.disconnectFromServer();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return client.state() == QLocalSocket::UnconnectedState; }, 8000));
        EXPECT_EQ(requests_, 0);
    }
    // And the next client is answered as ever.
    QLocalSocket client;
    client.connectToServer(SingleInstance::SocketPath(name_));
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("run {\"command\":\"status\"}\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.canReadLine(); }, 5000));
    EXPECT_EQ(client.readLine(), "declined\n");
    EXPECT_EQ(requests_, 1);
}

// A process of another user that reaches the socket (here the folder and socket are opened
// to all by the test) is not answered.
TEST_F(InstanceGuard, AClientOfAnotherUserIsRefused) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root, to run a client as another user";
    const std::string socketPath = SingleInstance::SocketPath(name_).toStdString();
    // The temporary folder too, so the other user can reach the instance folder in it.
    ::chmod(folder_.path().toUtf8().constData(), 0777);
    ::chmod(std::filesystem::path(socketPath).parent_path().c_str(), 0777);
    ::chmod(socketPath.c_str(), 0777);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child: another user, asking the program to show itself.
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(10);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ::_exit(11);
        const char request[] = "activate\n";
        if (::write(fd, request, sizeof request - 1) != sizeof request - 1)
            ::_exit(12);
        char answer[8] = {};
        // Closed without an answer: 0, or a reset.
        const ssize_t got = ::read(fd, answer, sizeof answer);
        ::_exit(got <= 0 ? 0 : 13);
    }
    int status = -1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 8000));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10/11/12: the child could not ask; 13: it was answered";
}

}  // namespace
}  // namespace ms1
