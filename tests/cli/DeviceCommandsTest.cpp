#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliCommand.h"
#include "storage/ProfileStore.h"
#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::vector<std::string> lines;  // stdout
    std::string err;
};

// Status and apply against the virtual mouse. The runs of the real program take a few real
// seconds (the pauses are real there), so there are few of them.
class DeviceCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ms1-device-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const ProfileRecord& profile, std::size_t cut = 0) {
        auto bytes = BytesOf(profile);
        std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size() - cut));
        return path;
    }

    // Runs the built ms1ctl.
    Outcome RunProgram(const std::string& args) {
        const std::string errPath = (dir_ / "stderr.txt").string();
        const std::string command = std::string(MS1CTL_PATH) + " " + args + " 2>" + errPath;
        Outcome outcome;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr)
            return outcome;
        std::string text;
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            text.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            outcome.lines.push_back(line);
        std::ifstream err(errPath);
        outcome.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return outcome;
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return cli::RunMs1Ctl(args, out_, err_);
    }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

std::string Zeros(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += " 00";
    return text;
}

TEST_F(DeviceCommands, StatusPrintsWhatTheVirtualMouseReports) {
    const Outcome awake = RunProgram("--simulate status");
    EXPECT_EQ(awake.exitCode, 0) << awake.err;
    EXPECT_EQ(awake.lines, (std::vector<std::string>{"link: 2.4 GHz receiver", "battery: 80%",
                                                     "stage: 1", "polling rate: 1000 Hz"}));

    const Outcome asleep = RunProgram("--simulate=asleep status");
    EXPECT_EQ(asleep.exitCode, 4);
    EXPECT_TRUE(asleep.lines.empty());
    EXPECT_NE(asleep.err.find("no mouse connected"), std::string::npos) << asleep.err;

    // On the cable: charging, and the cable is the link even with the receiver there too. The
    // virtual mouse is heard over its receiver as well, so that link is up once the
    // receiver's first report came, which may be before or after the status is printed.
    for (const char* scenario : {"wired", "wired+receiver"}) {
        Outcome wired = RunProgram(std::string("--simulate=") + scenario + " status");
        EXPECT_EQ(wired.exitCode, 0) << wired.err;
        auto& lines = wired.lines;
        if (std::string(scenario) == "wired+receiver" && lines.size() > 1 &&
            lines[1] == "link: 2.4 GHz receiver")
            lines.erase(lines.begin() + 1);
        EXPECT_EQ(lines, (std::vector<std::string>{"link: wired", "battery: charging", "stage: 1",
                                                   "polling rate: 1000 Hz"}))
            << scenario;
    }

    // A receiver this user may not open: said with the node and what to do, exit 4.
    const Outcome denied = RunProgram("--simulate=no-access status");
    EXPECT_EQ(denied.exitCode, 4);
    EXPECT_NE(
        denied.err.find("no mouse connected (permission denied on \\\\?\\hid#vid_1d57&pid_a001"),
        std::string::npos)
        << denied.err;
    EXPECT_NE(denied.err.find("70-ms1.rules"), std::string::npos) << denied.err;

    // Without a receiver there is nothing to wait for.
    const Outcome unplugged = RunProgram("--simulate=unplugged status");
    EXPECT_EQ(unplugged.exitCode, 4);
    EXPECT_NE(unplugged.err.find("no 2.4 GHz receiver found"), std::string::npos) << unplugged.err;
}

TEST_F(DeviceCommands, ApplySendsTheWholeProfileAndTheMouseGetsEveryByte) {
    const std::string path = Write("default.pro", *test::DefaultProfile());
    const Outcome run = RunProgram("--simulate apply " + path + " --dump-device");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 10u) << run.err;
    EXPECT_EQ(run.lines[0], "0x1c confirmed after 1 attempt(s)");
    EXPECT_EQ(run.lines[1], "0x14 confirmed after 1 attempt(s)");
    EXPECT_EQ(run.lines[2], "0x15 confirmed after 1 attempt(s)");
    EXPECT_EQ(run.lines[3], "0x16 confirmed after 1 attempt(s)");
    EXPECT_EQ(run.lines[4], "0x18 confirmed after 1 attempt(s)");
    EXPECT_EQ(run.lines[5], "rx 1c 3c 01 fe 01 fe" + Zeros(54));
    EXPECT_EQ(run.lines[7], "rx 15 3c 01 70 03 a8 00 ff 00 01 04 02 1f" + Zeros(47));
    EXPECT_EQ(run.lines[8], "rx 16 3c 01 01 fe" + Zeros(55));
    // The file's own stage (2) goes out; the stage colours sit between the checked parts.
    EXPECT_EQ(run.lines[6].substr(0, 77),
              "rx 14 3c 01 01 01 3f 20 20 10 20 30 40 64 d2 00 00 00 00 00 00 00 01 00 00 02");
    EXPECT_EQ(run.lines[6].substr(150), "01 0f 8e" + Zeros(8));
    EXPECT_EQ(run.lines[9].substr(0, 12), "rx 18 3c 01 ");
}

// The cable has no acknowledgement: each report is "sent" (or "not sent"), the same bytes.
TEST_F(DeviceCommands, ApplyOverTheCableSaysSentPerReport) {
    const std::string path = Write("default.pro", *test::DefaultProfile());
    const Outcome run = RunProgram("--simulate=wired apply " + path + " --dump-device");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 10u) << run.err;
    const std::vector<std::string> head(run.lines.begin(), run.lines.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{"0x1c sent", "0x14 sent", "0x15 sent", "0x16 sent",
                                              "0x18 sent"}));
    EXPECT_EQ(run.lines[5], "rx 1c 3c 01 fe 01 fe" + Zeros(54));
    EXPECT_EQ(run.lines[7], "rx 15 3c 01 70 03 a8 00 ff 00 01 04 02 1f" + Zeros(47));
}

// Over Bluetooth LE: the reports once subscribed, and every report written whole but the
// polling rate, which the mouse has no use for there.
TEST_F(DeviceCommands, OverBluetoothTheMouseReportsAndTakesAllButThePollingRate) {
    const Outcome status = RunProgram("--simulate=ble status");
    EXPECT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(status.lines, (std::vector<std::string>{"link: Bluetooth LE", "battery: 80%",
                                                      "stage: 1", "polling rate: 1000 Hz"}));

    const std::string path = Write("default.pro", *test::DefaultProfile());
    const Outcome run = RunProgram("--simulate=ble apply " + path + " --dump-device");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 9u) << run.err;
    const std::vector<std::string> head(run.lines.begin(), run.lines.begin() + 5);
    EXPECT_EQ(head,
              (std::vector<std::string>{"0x1c sent", "0x14 sent", "0x15 sent",
                                        "0x16 skipped (not sent over Bluetooth LE)", "0x18 sent"}));
    EXPECT_EQ(run.lines[5], "rx 1c 3c 01 fe 01 fe" + Zeros(54));
    EXPECT_EQ(run.lines[7], "rx 15 3c 01 70 03 a8 00 ff 00 01 04 02 1f" + Zeros(47));
    EXPECT_EQ(run.lines[8].substr(0, 12), "rx 18 3c 01 ");
}

// profile use makes a stored profile active and sends it whole as apply does: the stored
// "Game" polls at 500 Hz where the active "Profile1" polls at 1000 Hz.
TEST_F(DeviceCommands, ProfileUseMakesTheStoredProfileActiveAndTheMouseGetsIt) {
    struct Row {
        const char* name;
        std::string args;  // before --data
        int exitCode;
        std::vector<std::string> lines;  // stdout; "..." stands for the other packets
        std::string err;
        int selectedAfter;
    };
    const std::string confirmed = " confirmed after 1 attempt(s)";
    const Row rows[] = {
        {"AnyCase",
         "--simulate profile use gAmE --dump-device",
         0,
         {"0x1c" + confirmed, "0x14" + confirmed, "0x15" + confirmed, "0x16" + confirmed,
          "0x18" + confirmed, "rx 1c 3c 01 fe 01 fe" + Zeros(54), "...",
          "rx 15 3c 01 70 03 a8 00 ff 00 01 04 02 1f" + Zeros(47), "rx 16 3c 01 04 fb" + Zeros(55),
          "..."},
         "",
         1},
        {"NoMouse",
         "--simulate=unplugged profile use Game",
         4,
         {},
         "ms1ctl profile use: no mouse connected (no 2.4 GHz receiver found)\n",
         1},
        {"UnknownName",
         "--simulate profile use Gam",
         3,
         {},
         "ms1ctl profile: no profile named Gam\n",
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path data = dir_ / row.name;
        fs::create_directories(data);
        {
            ProfileStore store(data);
            store.LoadProfileStore(u"Profile");
            auto access = store.Lock();
            ProfileRecord& game = access.AddDefaultProfile(u"Profile");
            game.profileName.set(u"Game");
            game.pollingRate = 1;
            ASSERT_TRUE(access.SaveProfileStore());
            ASSERT_EQ(access.SelectedIndex(), 0);
        }
        const Outcome run = RunProgram(row.args + " --data " + data.string());
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_EQ(run.err, row.err);
        ASSERT_EQ(run.lines.size(), row.lines.empty() ? 0u : 10u) << run.err;
        for (std::size_t i = 0; i < row.lines.size(); ++i) {
            if (row.lines[i] != "...") {
                EXPECT_EQ(run.lines[i], row.lines[i]) << i;
            }
        }
        ProfileStore reread(data);
        reread.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
        EXPECT_EQ(reread.Lock().SelectedIndex(), row.selectedAfter);
    }
}

TEST_F(DeviceCommands, RefusalsComeBeforeAnyMouseIsLookedFor) {
    const std::string path = Write("default.pro", *test::DefaultProfile());
    EXPECT_EQ(Run({"--simulate=nosuch", "status"}), 2);
    EXPECT_NE(err_.str().find("receiver, noack, slowack"), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("asleep"), std::string::npos);
    EXPECT_EQ(Run({"--simulate=nosuch", "apply", path}), 2);
    EXPECT_EQ(Run({"apply", path, "--dump-device"}), 2) << "nothing to dump without the mouse";
    EXPECT_EQ(Run({"apply"}), 2);
    EXPECT_EQ(Run({"status", "extra"}), 2);

    const std::string cut = Write("cut.pro", *test::DefaultProfile(), /*cut=*/1);
    EXPECT_EQ(Run({"--simulate", "apply", cut}), 3);
    EXPECT_EQ(err_.str().rfind(cut, 0), 0u) << "the refusal names the file: " << err_.str();
    EXPECT_TRUE(out_.str().empty());
    EXPECT_EQ(Run({"--simulate", "apply", (dir_ / "missing.pro").string()}), 3);
}

}  // namespace
}  // namespace ms1
