#include "cli/Forwarding.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <sstream>

namespace ms1::cli {
namespace {

// ms1ctl in these tests must never find a running ms1 of the user's: each test executable
// gets a runtime folder of its own before any test runs.
class PrivateRuntimeFolder : public ::testing::Environment {
  public:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", folder_.path().toLocal8Bit(), 1); }

  private:
    QTemporaryDir folder_;
};
const auto* const kRuntime = ::testing::AddGlobalTestEnvironment(new PrivateRuntimeFolder);

const CliCommand* Find(const std::string& name) {
    for (const CliCommand* command : {&kProfileCommand, &kMacroCommand, &kStatusCommand,
                                      &kApplyCommand, &kProfilesCommand, &kReportsCommand}) {
        if (name == command->name)
            return command;
    }
    return nullptr;
}

struct Case {
    const char* name;
    std::optional<std::string> simulate;
    std::vector<std::string> args;  // the command's name first
    // The request's fields other than "cwd" (always the working folder), or empty: run here.
    std::map<std::string, QJsonValue> expected;
};

class ForwardableRequests : public ::testing::TestWithParam<Case> {};

TEST_P(ForwardableRequests, OnlyWritingAndDeviceCommandsWithGoodArgumentsAreHandedOver) {
    const Case& c = GetParam();
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err, c.simulate};
    const std::vector<std::string> rest(c.args.begin() + 1, c.args.end());
    const auto request = ForwardableRequest(context, *Find(c.args[0]), rest);
    // Refusals are left to the command itself, so nothing is printed here.
    EXPECT_EQ(out.str() + err.str(), "");
    if (c.expected.empty()) {
        EXPECT_FALSE(request.has_value());
        return;
    }
    ASSERT_TRUE(request.has_value());
    QJsonObject fields = *request;
    EXPECT_EQ(fields.take("cwd").toString().toStdString(),
              std::filesystem::current_path().string());
    EXPECT_EQ(fields.size(), static_cast<qsizetype>(c.expected.size()));
    for (const auto& [key, value] : c.expected)
        EXPECT_EQ(fields.value(QString::fromStdString(key)), value) << key;
}

const std::string kData = "/tmp/ms1-forwarding-data";

const Case kCases[] = {
    {"ProfileImport",
     std::nullopt,
     {"profile", "import", "a.pro", "--data", kData},
     {{"command", "profile import"}, {"file", "a.pro"}, {"data", kData.c_str()}}},
    {"MacroImportDataFirst",
     std::nullopt,
     {"macro", "--data", kData + "/x/..", "import", "m.macro"},
     {{"command", "macro import"}, {"file", "m.macro"}, {"data", kData.c_str()}}},
    {"ImportWithoutFile", std::nullopt, {"profile", "import", "--data", kData}, {}},
    {"ImportTwoFiles", std::nullopt, {"macro", "import", "a", "b", "--data", kData}, {}},
    {"ExportOnlyReads", std::nullopt, {"profile", "export", "P", "p.pro", "--data", kData}, {}},
    {"ListOnlyReads", std::nullopt, {"profiles", "--data", kData}, {}},
    {"Reports", std::nullopt, {"reports", "p.pro"}, {}},
    {"Status", std::nullopt, {"status"}, {{"command", "status"}}},
    {"StatusSimulated",
     "two-receivers",
     {"status"},
     {{"command", "status"}, {"simulate", "two-receivers"}}},
    {"StatusWithArguments", std::nullopt, {"status", "now"}, {}},
    {"Apply",
     std::nullopt,
     {"apply", "p.pro"},
     {{"command", "apply"}, {"file", "p.pro"}, {"dumpDevice", false}}},
    {"ApplyDump",
     "receiver",
     {"apply", "--dump-device", "p.pro"},
     {{"command", "apply"}, {"file", "p.pro"}, {"dumpDevice", true}, {"simulate", "receiver"}}},
    {"DumpNeedsSimulate", std::nullopt, {"apply", "p.pro", "--dump-device"}, {}},
    {"UnknownScenario", "nosuch", {"apply", "p.pro"}, {}},
};

INSTANTIATE_TEST_SUITE_P(Commands, ForwardableRequests, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ms1::cli
