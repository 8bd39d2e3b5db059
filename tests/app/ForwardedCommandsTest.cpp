#include "app/ForwardedCommands.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <future>

#include "../ui/PageFixture.h"
#include "platform/SingleInstance.h"
#include "storage/ProfileFile.h"
#include "storage/StoreFileIo.h"
#include "tests/support/Forwarding.h"
#include "tests/support/QtTestApp.h"

namespace ms1::test {
namespace {

using namespace std::chrono_literals;
using Kind = ForwardOutcome::Kind;

using Answer = Forwarded;

Answer Send(const QString& name, const QJsonObject& request) {
    return Forward(name, request, 5s);
}

struct Case {
    const char* name;
    const char* command;
    const char* file;      // in the test's folder; "" for none
    bool otherDataFolder;  // the request names another data folder
    Kind kind;
    int exitCode;
    std::string out;
    std::string err;
    std::vector<std::string> listAfter;  // the page's profile list afterwards
};

class ForwardedCommandsTest : public PageFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(ForwardedCommandsTest, CommandsRunOnTheLoadedStoresOrAreDeclined) {
    TestApp();
    const Case& c = GetParam();
    CMS_1_Page& page = Start();
    {
        // A profile file to import, and one that is too short to be a profile.
        auto profiles = profiles_->Lock();
        AtomicFileWriter writer;
        ASSERT_TRUE(ExportProfile(*profiles.Profiles()[0], data_ / "good.pro", writer));
    }
    QFile shortFile(QString::fromStdString((data_ / "short.pro").string()));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("not a profile");
    shortFile.close();

    const QString name = QStringLiteral("ms1-forwarded-%1").arg(QCoreApplication::applicationPid());
    SingleInstance instance(name);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    ForwardedCommands forwarded({page, nullptr, data_, std::nullopt});
    instance.SetRequestHandler([&](const QJsonObject& request, auto reply) {
        forwarded.Handle(request, std::move(reply));
    });

    QJsonObject request{{"command", c.command},
                        {"cwd", QString::fromStdString(data_.string())},
                        {"data", QString::fromStdString(
                                     (c.otherDataFolder ? data_ / "elsewhere" : data_).string())}};
    if (*c.file != '\0')
        request["file"] = c.file;
    const Answer answer = Send(name, request);
    EXPECT_EQ(answer.outcome.kind, c.kind);
    EXPECT_EQ(answer.outcome.exitCode, c.exitCode);
    EXPECT_EQ(answer.out, c.out);
    EXPECT_EQ(answer.err, c.err);
    EXPECT_EQ(controls_.listLines, c.listAfter);
    EXPECT_EQ(page.SelectedIndex(), 0);

    // What the page holds is on disk too: a later ms1ctl sees it.
    ProfileStore onDisk(data_);
    onDisk.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
    auto profiles = onDisk.Lock();
    ASSERT_EQ(profiles.Profiles().size(), c.listAfter.size());
    EXPECT_EQ(profiles.SelectedIndex(), 0);
}

const Case kCases[] = {
    {"ProfileImport",
     "profile import",
     "good.pro",
     false,
     Kind::Finished,
     0,
     "Profile1_1\n",
     "",
     {"Profile1", "Profile1_1"}},
    {"RefusedFile",
     "profile import",
     "short.pro",
     false,
     Kind::Finished,
     3,
     "",
     "short.pro: shorter than one profile (13 of 47776 bytes)\n",
     {"Profile1"}},
    {"MissingFile",
     "macro import",
     "none.macro",
     false,
     Kind::Finished,
     3,
     "",
     "none.macro: cannot be read\n",
     {"Profile1"}},
    {"AnotherDataFolder",
     "profile import",
     "good.pro",
     true,
     Kind::Declined,
     0,
     "",
     "",
     {"Profile1"}},
    // Without a device side the program has no mouse of its own to offer.
    {"StatusWithoutDevice", "status", "", false, Kind::Declined, 0, "", "", {"Profile1"}},
    {"UnknownCommand", "profiles", "", false, Kind::Declined, 0, "", "", {"Profile1"}},
};

INSTANTIATE_TEST_SUITE_P(Requests, ForwardedCommandsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ms1::test
