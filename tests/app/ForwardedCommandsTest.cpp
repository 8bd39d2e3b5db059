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
    // For profile use: the name asked for (a profile "Game" is added before the request),
    // and the profile the page and the store hold as active afterwards.
    const char* profile = "";
    int selectedAfter = 0;
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
    if (*c.profile != '\0') {
        page.ChangeStores([](ProfileStore::Access& profiles, MacroStore::Access&) {
            profiles.AddDefaultProfile(u"Profile").profileName.set(u"Game");
            return 0;
        });
        ASSERT_TRUE(page.SaveProfiles());
    }
    const int appliesBefore = apply_.now;
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
    if (*c.profile != '\0')
        request["name"] = c.profile;
    const Answer answer = Send(name, request);
    EXPECT_EQ(answer.outcome.kind, c.kind);
    EXPECT_EQ(answer.outcome.exitCode, c.exitCode);
    EXPECT_EQ(answer.out, c.out);
    EXPECT_EQ(answer.err, c.err);
    EXPECT_EQ(controls_.listLines, c.listAfter);
    EXPECT_EQ(page.SelectedIndex(), c.selectedAfter);
    // The list shows the choice, and the page's own apply sends it to the program's mouse.
    const bool switched = c.selectedAfter != 0;
    EXPECT_EQ(controls_.listSelection, switched ? c.selectedAfter : 0);
    EXPECT_EQ(apply_.now - appliesBefore, switched ? 1 : 0);
    if (switched) {
        EXPECT_EQ(page.Working().profileName.get(), u"Game");
    }

    // What the page holds is on disk too: a later ms1ctl sees it.
    ProfileStore onDisk(data_);
    onDisk.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
    auto profiles = onDisk.Lock();
    ASSERT_EQ(profiles.Profiles().size(), c.listAfter.size());
    EXPECT_EQ(profiles.SelectedIndex(), c.selectedAfter);
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
    // The program makes the choice (its list follows, the store keeps it) even when it has
    // no mouse of the kind ms1ctl asked for; ms1ctl hears that no mouse took it.
    {"ProfileUseAnyCase",
     "profile use",
     "",
     false,
     Kind::Finished,
     4,
     "",
     "ms1ctl profile use: no mouse connected (ms1 runs here without that mouse; it made the "
     "profile active and sends it to its own)\n",
     {"Profile1", "Game"},
     "gAME",
     1},
    {"ProfileUseUnknownName",
     "profile use",
     "",
     false,
     Kind::Finished,
     3,
     "",
     "ms1ctl profile: no profile named Gamer\n",
     {"Profile1", "Game"},
     "Gamer",
     0},
    {"ProfileUseOtherDataFolder",
     "profile use",
     "",
     true,
     Kind::Declined,
     0,
     "",
     "",
     {"Profile1", "Game"},
     "Game",
     0},
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
