#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliCommand.h"
#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

namespace fs = std::filesystem;

class ReportsCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ms1-reports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const ProfileRecord& profile, std::size_t extra = 0,
                      std::size_t cut = 0) {
        auto bytes = BytesOf(profile);
        std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size() - cut));
        for (std::size_t i = 0; i < extra; ++i)
            out.put('\x5A');
        return path;
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return cli::RunMs1Ctl(args, out_, err_);
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(out_.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ReportsCommand, PrintsAFullApplyOneReportPerLine) {
    auto profile = test::DefaultProfile();
    std::string path = Write("default.pro", *profile, /*extra=*/100);  // only one record is read
    ASSERT_EQ(Run({"reports", path}), 0) << err_.str();
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 17), "1c 3c 01 fe 01 fe");
    EXPECT_EQ(lines[0].size(), 60u * 3 - 1);
    std::string zeros;
    for (int i = 0; i < 47; ++i)
        zeros += " 00";
    EXPECT_EQ(lines[2], "15 3c 01 70 03 a8 00 ff 00 01 04 02 1f" + zeros);
    EXPECT_EQ(lines[3].substr(0, 14), "16 3c 01 01 fe");
    EXPECT_TRUE(err_.str().empty());
}

TEST_F(ReportsCommand, AgainstASnapshotPrintsOnlyTheChangedGroups) {
    auto snapshot = test::DefaultProfile();
    auto profile = test::DefaultProfile();
    profile->pollingRate = 0;
    test::SetMacro(profile->button[1], {test::Action(0x04, 1, 10)});
    std::string from = Write("snapshot.pro", *snapshot);
    std::string path = Write("profile.pro", *profile);
    ASSERT_EQ(Run({"reports", "--from", from, path}), 0) << err_.str();
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 14), "16 3c 01 08 f7");
    EXPECT_EQ(lines[1].substr(0, 2), "18");
    EXPECT_EQ(lines[2].substr(0, 38), "19 83 06 00 00 00 00 01 01 0a 04 00 00");
    EXPECT_EQ(lines[2].size(), 131u * 3 - 1);

    ASSERT_EQ(Run({"reports", path, "--from", path}), 0);
    EXPECT_TRUE(out_.str().empty());
}

TEST_F(ReportsCommand, RefusesBadFilesWithOneLineAndExitThree) {
    auto profile = test::DefaultProfile();
    std::string shortFile = Write("short.pro", *profile, 0, /*cut=*/1);
    auto unterminated = test::DefaultProfile();
    for (auto& unit : unterminated->profileName.units)
        unit = 'N';
    std::string noEnd = Write("noend.pro", *unterminated);
    auto tooLong = test::DefaultProfile();
    tooLong->button[4].macroActionCount = 201;
    std::string overfull = Write("overfull.pro", *tooLong);
    std::string good = Write("good.pro", *profile);

    const std::vector<std::vector<std::string>> cases = {
        {"reports", shortFile},
        {"reports", noEnd},
        {"reports", overfull},
        {"reports", (dir_ / "missing.pro").string()},
        {"reports", "--from", shortFile, good},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 3) << args[1];
        EXPECT_TRUE(out_.str().empty());
        std::string err = err_.str();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(".pro: "), std::string::npos) << err;
    }
}

TEST_F(ReportsCommand, UsageErrorsExitTwo) {
    EXPECT_EQ(Run({"reports"}), 2);
    EXPECT_NE(err_.str().find("usage: ms1ctl reports"), std::string::npos);
    EXPECT_EQ(Run({"reports", "a.pro", "b.pro"}), 2);
    EXPECT_EQ(Run({"reports", "--from"}), 2);
    EXPECT_EQ(Run({"reports", "--frm", "a.pro"}), 2);
    EXPECT_EQ(Run({"no-such-command"}), 2);
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"reports", "--help"}), 0);
    EXPECT_NE(out_.str().find("reports [--from SNAPSHOT.pro] PROFILE.pro"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out_.str().find("reports"), std::string::npos);
    // The help names the scenarios of --simulate.
    EXPECT_NE(out_.str().find("SCENARIO names the virtual mouse"), std::string::npos);
    EXPECT_NE(out_.str().find(" receiver noack slowack refuse asleep"), std::string::npos);

    // A usage error after --simulate shows the usage with it.
    EXPECT_EQ(Run({"--simulate=asleep", "reports"}), 2);
    EXPECT_NE(err_.str().find("usage: ms1ctl [--simulate[=SCENARIO]] reports"), std::string::npos)
        << err_.str();
}

}  // namespace
}  // namespace ms1
