#include "app/ForwardedCommands.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <future>

#include "../ui/PageFixture.h"
#include "core/Utf16Text.h"
#include "platform/SingleInstance.h"
#include "storage/AppProfileRules.h"
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

// "app-profile set|unset" change the program's rules in memory, which its listeners (the
// dialog) hear of, and on disk; another data folder is declined.
TEST_F(PageFixture, ForwardedRuleCommandsChangeTheProgramsRules) {
    TestApp();
    CMS_1_Page& page = Start();
    AppProfileRules rules(data_);
    rules.Load();
    int heard = 0;
    rules.AddListener([&] { ++heard; });
    const QString name = QStringLiteral("ms1-rules-%1").arg(QCoreApplication::applicationPid());
    SingleInstance instance(name);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    ForwardedCommands forwarded({page, nullptr, data_, std::nullopt, &rules});
    instance.SetRequestHandler([&](const QJsonObject& request, auto reply) {
        forwarded.Handle(request, std::move(reply));
    });
    struct Row {
        const char* command;
        const char* app;
        const char* profile;
        bool otherDataFolder;
        Kind kind;
        int exitCode;
        std::string err;
        std::string rulesAfter;
    };
    const Row rows[] = {
        {"app-profile set", "Firefox", "PROFILE1", false, Kind::Finished, 0, "",
         "Firefox=Profile1;"},
        {"app-profile set", "gimp", "Nope", false, Kind::Finished, 3,
         "ms1ctl app-profile: no profile named Nope\n", "Firefox=Profile1;"},
        {"app-profile set", "gimp", "Profile1", true, Kind::Declined, 0, "", "Firefox=Profile1;"},
        {"app-profile unset", "gimp", "", false, Kind::Finished, 3,
         "ms1ctl app-profile: no rule for gimp\n", "Firefox=Profile1;"},
        {"app-profile unset", "firefox", "", false, Kind::Finished, 0, "", ""},
    };
    int changes = 0;
    for (const Row& row : rows) {
        QJsonObject request{
            {"command", row.command},
            {"cwd", QString::fromStdString(data_.string())},
            {"app", row.app},
            {"profile", row.profile},
            {"data",
             QString::fromStdString((row.otherDataFolder ? data_ / "elsewhere" : data_).string())}};
        const Answer answer = Send(name, request);
        const std::string label = std::string(row.command) + " " + row.app;
        EXPECT_EQ(answer.outcome.kind, row.kind) << label;
        EXPECT_EQ(answer.outcome.exitCode, row.exitCode) << label;
        EXPECT_EQ(answer.out, "") << label;
        EXPECT_EQ(answer.err, row.err) << label;
        std::string listed;
        for (const auto& rule : rules.Rules())
            listed += rule.app + "=" + ToUtf8(rule.profile) + ";";
        EXPECT_EQ(listed, row.rulesAfter) << label;
        if (row.exitCode == 0 && row.kind == Kind::Finished)
            ++changes;
        EXPECT_EQ(heard, changes) << label;
        AppProfileRules onDisk(data_);
        onDisk.Load(StoreMode::ReadOnly);
        EXPECT_EQ(onDisk.Rules().size(), rules.Rules().size()) << label;
    }
}

// Without rules of its own the program leaves the rule commands to ms1ctl.
TEST_F(PageFixture, RuleCommandsAreDeclinedWithoutRules) {
    TestApp();
    CMS_1_Page& page = Start();
    const QString name = QStringLiteral("ms1-norules-%1").arg(QCoreApplication::applicationPid());
    SingleInstance instance(name);
    ASSERT_EQ(instance.Acquire(), SingleInstance::Role::First);
    ForwardedCommands forwarded({page, nullptr, data_, std::nullopt});
    instance.SetRequestHandler([&](const QJsonObject& request, auto reply) {
        forwarded.Handle(request, std::move(reply));
    });
    const Answer answer = Send(name, {{"command", "app-profile unset"},
                                      {"cwd", QString::fromStdString(data_.string())},
                                      {"app", "x"},
                                      {"data", QString::fromStdString(data_.string())}});
    EXPECT_EQ(answer.outcome.kind, Kind::Declined);
}

}  // namespace
}  // namespace ms1::test
