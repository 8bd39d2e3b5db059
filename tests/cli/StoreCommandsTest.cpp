#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using namespace test::files;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Bytes Profile(const char* name) {
    Bytes bytes(kRecord, 0);
    PutName(bytes, 0, name);
    return bytes;
}

Bytes Store(int selected, std::initializer_list<Bytes> profiles) {
    Bytes bytes(kHeader + profiles.size() * kRecord, 0);
    PutI32(bytes, 0, selected);
    bytes[100] = 0x42;  // somewhere in the reserved block
    std::size_t at = kHeader;
    for (const Bytes& p : profiles) {
        std::copy(p.begin(), p.end(), bytes.begin() + static_cast<long>(at));
        at += kRecord;
    }
    return bytes;
}

// A macro with delays 129, 10 and 5000 ms: 3 actions, weighted length 2 + 1 + 2 = 5.
Bytes Macro(const char* name) {
    Bytes bytes(kMacro, 0);
    PutName(bytes, 0, name);
    PutI32(bytes, 52, 3);
    const std::uint8_t actions[] = {0xF1, 0x01, 0x81, 0x00, 0xF1, 0x02,
                                    0x0A, 0x00, 0x1E, 0x01, 0x88, 0x13};
    std::copy(std::begin(actions), std::end(actions), bytes.begin() + 56);
    return bytes;
}

std::vector<std::string> Tree(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class StoreCommands : public ::testing::Test {
  protected:
    Outcome Ms1Ctl(std::vector<std::string> args) {
        args.push_back("--data");
        args.push_back(data.path().string());
        std::ostringstream out, err;
        int code = cli::RunMs1Ctl(args, out, err);
        return {code, out.str(), err.str()};
    }
    std::string At(const char* name) { return (files / name).string(); }

    TempFolder data;
    TempFolder files;
};

TEST_F(StoreCommands, ProfilesListsInOrderWithTheSelection) {
    WriteBytes(data / "ms_1/pro.data",
               Store(1, {Profile("One"), Profile("Two"), Profile("Caf\xe9")}));
    Outcome run = Ms1Ctl({"profiles"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "0\tOne\n1\tTwo\tselected\n2\tCaf\xc3\xa9\n");
    EXPECT_EQ(run.err, "");
}

// The built ms1ctl, beside its res/lan.xml, with the us layout and no desktop session.
std::pair<int, std::string> RunBuiltMs1Ctl(const std::string& args) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY XKB_DEFAULT_LAYOUT=us " +
                                std::string(MS1CTL_PATH) + " " + args + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, ""};
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST_F(StoreCommands, MacroShowPrintsOneLinePerActionWithTheEditorsKeyNames) {
    Bytes keys(kMacro, 0);
    PutName(keys, 0, "Keys");
    PutI32(keys, 52, 5);
    const std::uint8_t actions[] = {
        0x28, 0x01, 0x0A, 0x00,  // Enter pressed, 10 ms
        0x82, 0x02, 0x2C, 0x01,  // Sleep released, 300 ms
        0xF5, 0x01, 0xE8, 0x03,  // forward button pressed, 1000 ms
        0x66, 0x02, 0x01, 0x00,  // a usage without a name, released, 1 ms
        0x04, 0x01, 0x0A, 0x00,  // A pressed, 10 ms
    };
    std::copy(std::begin(actions), std::end(actions), keys.begin() + 56);
    Bytes file = Macro("Combo");
    file.insert(file.end(), keys.begin(), keys.end());
    WriteBytes(data / "ms_1/macro.data", file);
    const std::string folder = " --data '" + data.path().string() + "'";

    auto [code, out] = RunBuiltMs1Ctl("macro show keys" + folder);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out,
              "0\tEnter\tpress\t10\n"
              "1\tSleep\trelease\t300\n"
              "2\tForward button\tpress\t1000\n"
              "3\t0x66\trelease\t1\n"
              "4\tA\tpress\t10\n");
    EXPECT_EQ(RunBuiltMs1Ctl("macro show Combo" + folder).second,
              "0\tLeft button\tpress\t129\n1\tLeft button\trelease\t10\n2\t1\tpress\t5000\n");
    EXPECT_EQ(RunBuiltMs1Ctl("macro show Nothing" + folder).first, 2);
    EXPECT_EQ(RunBuiltMs1Ctl("macro show" + folder).first, 2);
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == file);  // only read
}

TEST_F(StoreCommands, MacrosListsCountsAndWeightedLengths) {
    Bytes file = Macro("Combo");
    Bytes empty(kMacro, 0);
    PutName(empty, 0, "Empty");
    file.insert(file.end(), empty.begin(), empty.end());
    WriteBytes(data / "ms_1/macro.data", file);
    Outcome run = Ms1Ctl({"macros"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "0\tCombo\t3\t5\n1\tEmpty\t0\t0\n");
}

TEST_F(StoreCommands, ReadingCommandsNeverCreateOrChangeFiles) {
    EXPECT_EQ(Ms1Ctl({"profiles"}).out, "0\tProfile1\tselected\n");
    EXPECT_EQ(Ms1Ctl({"macros"}).out, "");
    EXPECT_EQ(Ms1Ctl({"profile", "export", "Profile1", At("p.pro")}).code, 0);
    EXPECT_TRUE(Tree(data.path()).empty());

    WriteBytes(data / "ms_1/pro.data", Bytes(10, 1));
    Outcome unusable = Ms1Ctl({"profiles"});
    EXPECT_EQ(unusable.out, "0\tProfile1\tselected\n");
    EXPECT_EQ(unusable.err, (data / "ms_1/pro.data").string() +
                                ": holds no whole profile; starting with a default profile\n");
    EXPECT_EQ(ReadBytes(data / "ms_1/pro.data"), Bytes(10, 1));

    // A damaged store is shown as loaded, but neither repaired nor kept aside.
    Bytes damaged = Store(9, {Profile("A")});
    damaged.push_back(7);
    WriteBytes(data / "ms_1/pro.data", damaged);
    Bytes macros = Macro("M");
    macros.push_back(1);
    WriteBytes(data / "ms_1/macro.data", macros);
    Outcome run = Ms1Ctl({"profiles"});
    EXPECT_EQ(run.out, "0\tA\tselected\n");
    EXPECT_NE(run.err.find("trailing fragment of 1 bytes"), std::string::npos) << run.err;
    Ms1Ctl({"macros"});
    Ms1Ctl({"macro", "export", "m", At("m.macro")});
    EXPECT_EQ(Tree(data.path()),
              (std::vector<std::string>{"ms_1", "ms_1/macro.data", "ms_1/pro.data"}));
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == damaged);
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == macros);
}

TEST_F(StoreCommands, ProfileExportAndImportRoundTrip) {
    Bytes gaming = Profile("Gaming");
    gaming[kRecord - 1] = 0x5C;
    Bytes store = Store(0, {Profile("Main"), gaming});
    WriteBytes(data / "ms_1/pro.data", store);

    Outcome exported = Ms1Ctl({"profile", "export", "GAMING", At("g.pro")});
    EXPECT_EQ(exported.code, 0);
    EXPECT_EQ(exported.out, "");
    EXPECT_TRUE(ReadBytes(files / "g.pro") == gaming);

    Outcome imported = Ms1Ctl({"profile", "import", At("g.pro")});
    EXPECT_EQ(imported.code, 0);
    EXPECT_EQ(imported.out, "Gaming_1\n");
    EXPECT_EQ(Ms1Ctl({"profile", "import", At("g.pro")}).out, "Gaming_2\n");
    EXPECT_EQ(Ms1Ctl({"profiles"}).out, "0\tMain\tselected\n1\tGaming\n2\tGaming_1\n3\tGaming_2\n");

    Bytes expected = store;
    Bytes copy = gaming;
    PutName(copy, 0, "Gaming_1");
    expected.insert(expected.end(), copy.begin(), copy.end());
    PutName(copy, 0, "Gaming_2");
    expected.insert(expected.end(), copy.begin(), copy.end());
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == expected);
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/macro.data"));
}

TEST_F(StoreCommands, ProfileImportPrintsTheMacrosItCreated) {
    WriteBytes(data / "ms_1/macro.data", Macro("Combo"));
    Bytes file = Profile("Gaming");
    for (std::size_t k : {2u, 4u}) {
        std::size_t e = kButtons + k * kEntry;
        file[e + 1] = 0x11;
        PutName(file, e + 16, "combo");
    }
    WriteBytes(files / "g.pro", file);
    Outcome run = Ms1Ctl({"profile", "import", At("g.pro")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "macro\tcombo_1\nmacro\tcombo_2\nGaming\n");
    EXPECT_EQ(Ms1Ctl({"macros"}).out, "0\tCombo\t3\t5\n1\tcombo_1\t0\t0\n2\tcombo_2\t0\t0\n");
    // The fresh store got its default profile first; the selection stays on it.
    EXPECT_EQ(Ms1Ctl({"profiles"}).out, "0\tProfile1\tselected\n1\tGaming\n");
}

// Each damaged store found is kept, the newest as ".bad"; one that cannot be kept aside stops
// the import before any store is written.
TEST_F(StoreCommands, DamagedStoresAreKeptAndNeverWrittenOver) {
    Bytes file = Profile("Gaming");
    file[kButtons + 1] = 0x11;
    PutName(file, kButtons + 16, "Combo");
    WriteBytes(files / "g.pro", file);
    const std::string store = (data / "ms_1/pro.data").string();

    WriteBytes(data / "ms_1/pro.data", Bytes(10, 1));
    Outcome first = Ms1Ctl({"profile", "import", At("g.pro")});
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.err, store + ": holds no whole profile; starting with a default profile\n" +
                             store + ": the file as found is kept as " + store + ".bad\n");
    WriteBytes(data / "ms_1/pro.data", Bytes(20, 2));
    EXPECT_EQ(Ms1Ctl({"profile", "import", At("g.pro")}).code, 0);
    EXPECT_EQ(ReadBytes(data / "ms_1/pro.data.bad"), Bytes(20, 2));
    EXPECT_EQ(ReadBytes(data / "ms_1/pro.data.bad.1"), Bytes(10, 1));

    for (int slot = 2; slot < 9; ++slot)
        WriteBytes(data / ("ms_1/pro.data.bad." + std::to_string(slot)), Bytes{1});
    WriteBytes(data / "ms_1/pro.data.bad.9/x", Bytes{1});
    WriteBytes(data / "ms_1/pro.data", Bytes(30, 3));
    const Bytes macros = ReadBytes(data / "ms_1/macro.data");
    Outcome blocked = Ms1Ctl({"profile", "import", At("g.pro")});
    EXPECT_EQ(blocked.code, 5);
    EXPECT_EQ(blocked.out, "");
    EXPECT_EQ(blocked.err, store + ": holds no whole profile; starting with a default profile\n" +
                               store + ": cannot be kept aside (" + store +
                               ".bad.9: not a file, so no room is made for another kept file); "
                               "it is left as found and not written over\n"
                               "ms1ctl profile: nothing imported\n");
    EXPECT_EQ(ReadBytes(data / "ms_1/pro.data"), Bytes(30, 3));
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == macros);
    EXPECT_EQ(ReadBytes(data / "ms_1/pro.data.bad"), Bytes(20, 2));
}

TEST_F(StoreCommands, RefusedFilesChangeNoStore) {
    Bytes store = Store(0, {Profile("Main")});
    WriteBytes(data / "ms_1/pro.data", store);
    WriteBytes(files / "short.pro", Bytes(100, 0));
    Bytes badMacro = Macro("X");
    PutI32(badMacro, 52, 201);
    WriteBytes(files / "bad.macro", badMacro);

    Outcome shortFile = Ms1Ctl({"profile", "import", At("short.pro")});
    EXPECT_EQ(shortFile.code, 3);
    EXPECT_EQ(shortFile.out, "");
    EXPECT_EQ(shortFile.err, At("short.pro") + ": shorter than one profile (100 of 47776 bytes)\n");

    Outcome macro = Ms1Ctl({"macro", "import", At("bad.macro")});
    EXPECT_EQ(macro.code, 3);
    EXPECT_EQ(macro.err, At("bad.macro") + ": the macro holds 201 actions (0 to 200 allowed)\n");

    Outcome missing = Ms1Ctl({"macro", "import", At("none.macro")});
    EXPECT_EQ(missing.code, 3);
    EXPECT_EQ(missing.err, At("none.macro") + ": cannot be read\n");

    EXPECT_EQ(Tree(data.path()), (std::vector<std::string>{"ms_1", "ms_1/pro.data"}));
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == store);
}

// The rule commands, one after another on one data folder: what each prints and answers.
TEST_F(StoreCommands, AppProfileRulesAreSetListedAndUnset) {
    WriteBytes(data / "ms_1/pro.data",
               Store(0, {Profile("Main"), Profile("Drawing"), Profile("Caf\xe9")}));
    struct Row {
        std::vector<std::string> args;
        int code;
        std::string out;
        std::string err;  // a part of it; empty: nothing
    };
    const Row rows[] = {
        {{"app-profiles"}, 0, "", ""},
        {{"app-profile", "set", "Gimp-2.10", "drawing"}, 0, "", ""},
        {{"app-profile", "set", "firefox", "CAF\xc3\x89"}, 0, "", ""},
        {{"app-profiles"}, 0, "Gimp-2.10\tDrawing\nfirefox\tCaf\xc3\xa9\n", ""},
        {{"app-profile", "set", "GIMP-2.10", "Main"}, 0, "", ""},
        {{"app-profile", "set", "krita", "Nope"}, 3, "", "no profile named Nope"},
        {{"app-profile", "set", "", "Main"}, 2, "", "not an application id"},
        {{"app-profile", "set", "krita"}, 2, "", "usage: ms1ctl app-profile set APP PROFILE"},
        {{"app-profile", "unset", "a", "b"}, 2, "", "usage:"},
        {{"app-profile", "rename", "a"}, 2, "", "usage:"},
        {{"app-profiles", "extra"}, 2, "", "unexpected extra"},
        {{"app-profiles"}, 0, "Gimp-2.10\tMain\nfirefox\tCaf\xc3\xa9\n", ""},
        {{"app-profile", "unset", "FireFox"}, 0, "", ""},
        {{"app-profile", "unset", "firefox"}, 3, "", "no rule for firefox"},
        {{"app-profiles"}, 0, "Gimp-2.10\tMain\n", ""},
    };
    for (const Row& row : rows) {
        std::string label;
        for (const auto& arg : row.args)
            label += arg + " ";
        Outcome run = Ms1Ctl(row.args);
        EXPECT_EQ(run.code, row.code) << label << run.err;
        EXPECT_EQ(run.out, row.out) << label;
        if (row.err.empty())
            EXPECT_EQ(run.err, "") << label;
        else
            EXPECT_NE(run.err.find(row.err), std::string::npos) << label << run.err;
    }
    EXPECT_EQ(ReadText(data / "ms_1/appprofiles.txt"),
              "# ms1 application profiles: \"switch\" TAB on|off, then \"rule\" TAB application "
              "TAB profile\nswitch\ton\nrule\tGimp-2.10\tMain\n");
}

TEST_F(StoreCommands, AppProfilesSaysWhatItDroppedAndWritesNothing) {
    WriteText(data / "ms_1/appprofiles.txt", "rule\tkept\tMain\nbroken line\n");
    Outcome run = Ms1Ctl({"app-profiles"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "kept\tMain\n");
    EXPECT_NE(run.err.find("dropped 1 line(s)"), std::string::npos) << run.err;
    EXPECT_EQ(Tree(data.path()), (std::vector<std::string>{"ms_1", "ms_1/appprofiles.txt"}));
}

TEST_F(StoreCommands, MacroExportAndImport) {
    WriteBytes(data / "ms_1/macro.data", Macro("Combo"));
    EXPECT_EQ(Ms1Ctl({"macro", "export", "cOmBo", At("c.macro")}).code, 0);
    EXPECT_TRUE(ReadBytes(files / "c.macro") == Macro("Combo"));
    Outcome first = Ms1Ctl({"macro", "import", At("c.macro")});
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.out, "Combo_1\n");
    EXPECT_EQ(Ms1Ctl({"macro", "import", At("c.macro")}).out, "Combo_2\n");
    EXPECT_EQ(std::filesystem::file_size(data / "ms_1/macro.data"), 3 * kMacro);
}

TEST_F(StoreCommands, UnknownNamesAndBadArguments) {
    WriteBytes(data / "ms_1/macro.data", Macro("Combo"));
    Outcome profile = Ms1Ctl({"profile", "export", "Nope", At("x.pro")});
    EXPECT_EQ(profile.code, 2);
    EXPECT_EQ(profile.err, "ms1ctl profile: no profile named Nope\n");
    Outcome macro = Ms1Ctl({"macro", "export", "Nope", At("x.macro")});
    EXPECT_EQ(macro.code, 2);
    EXPECT_EQ(macro.err, "ms1ctl macro: no macro named Nope\n");
    EXPECT_FALSE(std::filesystem::exists(files / "x.pro"));
    EXPECT_EQ(Ms1Ctl({"profile", "rename", "a"}).code, 2);
    EXPECT_EQ(Ms1Ctl({"macros", "extra"}).code, 2);
    EXPECT_EQ(Ms1Ctl({"profiles", "--bogus"}).code, 2);
}

// profile use refuses before it looks for a mouse, and then the store is left as it was.
TEST_F(StoreCommands, ProfileUseRefusalsLeaveTheStoreAsItWas) {
    const Bytes store = Store(1, {Profile("One"), Profile("Two")});
    struct Row {
        std::vector<std::string> args;
        int code;
        std::string err;  // its first line
    };
    const Row rows[] = {
        {{"profile", "use", "Three"}, 3, "ms1ctl profile: no profile named Three"},
        {{"profile", "use", "Tw"}, 3, "ms1ctl profile: no profile named Tw"},
        {{"profile", "use"}, 2, "usage: ms1ctl profile export NAME FILE.pro [--data DIR] | "},
        {{"profile", "use", "One", "Two"}, 2, "usage: ms1ctl profile export NAME FILE.pro "},
        {{"profile", "use", "One", "--dump-device"},
         2,
         "ms1ctl profile: --dump-device needs --simulate"},
        {{"profile", "use", "One", "--fast"}, 2, "ms1ctl profile: unknown option --fast"},
        {{"--simulate=nosuch", "profile", "use", "One"},
         2,
         "ms1ctl profile: unknown scenario \"nosuch\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.back());
        WriteBytes(data / "ms_1/pro.data", store);
        Outcome run = Ms1Ctl(row.args);
        EXPECT_EQ(run.code, row.code);
        EXPECT_EQ(run.err.substr(0, row.err.size()), row.err) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == store);
    }
}

TEST_F(StoreCommands, AMissingDataFolderIsNamedAndNothingIsCreated) {
    const std::string missing = (files / "no-such").string();
    const std::vector<std::vector<std::string>> commands = {
        {"profiles"},
        {"macros"},
        {"profile", "import", At("a.pro")},
        {"macro", "export", "Combo", At("c.macro")},
    };
    for (std::vector<std::string> args : commands) {
        SCOPED_TRACE(args[0]);
        args.push_back("--data");
        args.push_back(missing);
        std::ostringstream out, err;
        EXPECT_EQ(cli::RunMs1Ctl(args, out, err), 5);
        EXPECT_EQ(err.str(), missing + ": no such folder\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
}

TEST_F(StoreCommands, FailedExportIsNotReportedAsDone) {
    WriteBytes(data / "ms_1/macro.data", Macro("Combo"));
    Outcome run = Ms1Ctl({"macro", "export", "Combo", At("no/such/folder/c.macro")});
    EXPECT_EQ(run.code, 5);
    EXPECT_NE(run.err.find("c.macro"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace ms1
