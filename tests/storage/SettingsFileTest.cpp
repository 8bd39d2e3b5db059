#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/DataFolders.h"
#include "storage/IniText.h"
#include "storage/SettingsFile.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

TEST(DataFolders, ProgramFolderHoldsTheRunningProgram) {
    EXPECT_TRUE(std::filesystem::is_regular_file(GetProgramFolder() / "ms1_storage_tests"));
}

TEST(DataFolders, FreshProgramFolderGetsDataBesideIt) {
    TempFolder program;
    auto data = GetDataFolder(program.path(), UserFolders{});
    EXPECT_EQ(data, program / "Data");
    EXPECT_TRUE(std::filesystem::is_directory(data));
}

TEST(DataFolders, FileNamedDataIsLeftAndThePathReturned) {
    TempFolder program;
    WriteText(program / "Data", "not a folder");
    auto data = GetDataFolder(program.path(), UserFolders{});
    EXPECT_EQ(data, program / "Data");
    EXPECT_EQ(ReadText(program / "Data"), "not a folder");
}

TEST(DataFolders, ReadOnlyProgramFolderFallsBackToUserData) {
    TempFolder program;
    TempFolder home;
    auto readOnly = [&](const std::filesystem::path& p) { return p != program.path(); };

    auto data = GetDataFolder(program.path(), UserFolders{"", home.path()}, readOnly);
    EXPECT_EQ(data, home / ".local/share/ms1/Data");
    EXPECT_TRUE(std::filesystem::is_directory(data));
    EXPECT_FALSE(std::filesystem::exists(program / "Data"));

    auto xdg = GetDataFolder(program.path(), UserFolders{home / "xdg", home.path()}, readOnly);
    EXPECT_EQ(xdg, home / "xdg/ms1/Data");
    // A relative XDG_DATA_HOME is not a place to keep data.
    auto relative = LocateDataFolder(program.path(), UserFolders{"rel", home.path()}, readOnly);
    EXPECT_EQ(relative, home / ".local/share/ms1/Data");
}

TEST(DataFolders, WritableDataInReadOnlyProgramFolderIsKept) {
    TempFolder program;
    std::filesystem::create_directory(program / "Data");
    auto onlyData = [&](const std::filesystem::path& p) { return p == program / "Data"; };
    EXPECT_EQ(GetDataFolder(program.path(), UserFolders{"", "/nonexistent"}, onlyData),
              program / "Data");
}

TEST(DataFolders, LocateCreatesNothing) {
    TempFolder program;
    EXPECT_EQ(LocateDataFolder(program.path(), UserFolders{}), program / "Data");
    EXPECT_FALSE(std::filesystem::exists(program / "Data"));
}

TEST(DataFolders, LongPathsAreNotCut) {
    TempFolder base;
    std::filesystem::path deep = base.path();
    for (int i = 0; i < 12; ++i)
        deep /= std::string(40, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    auto data = GetDataFolder(deep, UserFolders{});
    EXPECT_EQ(data, deep / "Data");
    EXPECT_GT(data.string().size(), 500u);
    EXPECT_TRUE(std::filesystem::is_directory(data));
}

TEST(SettingsFile, FirstStartWritesModelZero) {
    TempFolder data;
    EXPECT_EQ(ReadModel(data.path()), 0);
    EXPECT_EQ(ReadText(data / "setting.ini"), "[SETTING]\nModel=0\n");
}

TEST(SettingsFile, OutOfRangeOrBrokenValuesBecomeZero) {
    for (const char* stored : {"7", "-3", "6", "abc", "2x", ""}) {
        TempFolder data;
        WriteText(data / "setting.ini", std::string("[SETTING]\nModel=") + stored + "\n");
        EXPECT_EQ(ReadModel(data.path()), 0) << stored;
        EXPECT_EQ(ReadText(data / "setting.ini"), "[SETTING]\nModel=0\n") << stored;
    }
}

TEST(SettingsFile, ReadsEveryModelAndLeavesTheFileAlone) {
    TempFolder data;
    for (int model = 0; model <= 5; ++model) {
        std::string text = "[SETTING]\r\nModel = " + std::to_string(model) + "\r\n";
        WriteText(data / "setting.ini", text);
        EXPECT_EQ(ReadModel(data.path()), model);
        EXPECT_EQ(ReadText(data / "setting.ini"), text);
    }
}

TEST(SettingsFile, WriteKeepsOtherSectionsKeysAndLineEndings) {
    TempFolder data;
    WriteText(data / "setting.ini",
              "; mine\r\n[Window]\r\nx=10\r\n\r\n[setting]\r\nTheme=dark\r\nmodel=1\r\n");
    EXPECT_TRUE(WriteModel(data.path(), 4));
    EXPECT_EQ(ReadText(data / "setting.ini"),
              "; mine\r\n[Window]\r\nx=10\r\n\r\n[setting]\r\nTheme=dark\r\nModel=4\r\n");
    EXPECT_EQ(ReadModel(data.path()), 4);
}

TEST(SettingsFile, MissingKeyGoesIntoExistingSection) {
    TempFolder data;
    WriteText(data / "setting.ini", "[SETTING]\nTheme=dark\n\n[Other]\nModel=3\n");
    EXPECT_EQ(ReadModel(data.path()), 0);
    EXPECT_EQ(ReadText(data / "setting.ini"),
              "[SETTING]\nTheme=dark\nModel=0\n\n[Other]\nModel=3\n");
}

TEST(SettingsFile, ThemeIsReadWithoutRewritingAndWrittenBesideModel) {
    struct Row {
        const char* file;  // setting.ini before, null for no file
        Theme read;
    };
    const Row rows[] = {
        {nullptr, Theme::Light},
        {"[SETTING]\nModel=2\n", Theme::Light},
        {"[SETTING]\nModel=2\nTheme=dark\n", Theme::Dark},
        {"[setting]\r\ntheme = dark\r\n", Theme::Dark},
        {"[SETTING]\nTheme=light\n", Theme::Light},
        {"[SETTING]\nTheme=purple\n", Theme::Light},
        {"[Other]\nTheme=dark\n", Theme::Light},
    };
    for (const Row& row : rows) {
        TempFolder data;
        if (row.file != nullptr)
            WriteText(data / "setting.ini", row.file);
        EXPECT_EQ(ReadTheme(data.path()), row.read) << (row.file ? row.file : "no file");
        EXPECT_EQ(std::filesystem::exists(data / "setting.ini"), row.file != nullptr);
        if (row.file != nullptr) {
            EXPECT_EQ(ReadText(data / "setting.ini"), row.file);
        }
    }

    TempFolder data;
    WriteText(data / "setting.ini", "[SETTING]\nModel=3\n");
    EXPECT_TRUE(WriteTheme(data.path(), Theme::Dark));
    EXPECT_EQ(ReadText(data / "setting.ini"), "[SETTING]\nModel=3\nTheme=dark\n");
    EXPECT_TRUE(WriteModel(data.path(), 5));
    EXPECT_TRUE(WriteTheme(data.path(), Theme::Light));
    EXPECT_EQ(ReadText(data / "setting.ini"), "[SETTING]\nModel=5\nTheme=light\n");
    EXPECT_EQ(ReadModel(data.path()), 5);
}

TEST(SettingsFile, NotificationsAreOnUnlessSetToZeroAndWrittenBesideTheOthers) {
    struct Row {
        const char* file;  // setting.ini before, null for no file
        bool all;
        bool ruleSwitches;
    };
    const Row rows[] = {
        {nullptr, true, true},
        {"[SETTING]\nModel=2\nTheme=dark\n", true, true},
        {"[SETTING]\nNotifications=0\n", false, true},
        {"[SETTING]\nNotifications=1\nRuleNotifications=0\n", true, false},
        {"[setting]\r\nnotifications = 0\r\nrulenotifications = 0\r\n", false, false},
        {"[SETTING]\nNotifications=off\n", true, true},
        {"[Other]\nNotifications=0\n", true, true},
    };
    for (const Row& row : rows) {
        TempFolder data;
        if (row.file != nullptr)
            WriteText(data / "setting.ini", row.file);
        const NotificationSettings read = ReadNotificationSettings(data.path());
        const char* name = row.file ? row.file : "no file";
        EXPECT_EQ(read.all, row.all) << name;
        EXPECT_EQ(read.ruleSwitches, row.ruleSwitches) << name;
        // Reading never writes.
        EXPECT_EQ(std::filesystem::exists(data / "setting.ini"), row.file != nullptr) << name;
        if (row.file != nullptr) {
            EXPECT_EQ(ReadText(data / "setting.ini"), row.file);
        }
    }

    TempFolder data;
    WriteText(data / "setting.ini", "; mine\r\n[SETTING]\r\nModel=3\r\nTheme=dark\r\n");
    EXPECT_TRUE(WriteNotificationSettings(data.path(), {false, true}));
    EXPECT_EQ(ReadText(data / "setting.ini"),
              "; mine\r\n[SETTING]\r\nModel=3\r\nTheme=dark\r\nNotifications=0\r\n"
              "RuleNotifications=1\r\n");
    EXPECT_TRUE(WriteNotificationSettings(data.path(), {true, false}));
    EXPECT_EQ(ReadText(data / "setting.ini"),
              "; mine\r\n[SETTING]\r\nModel=3\r\nTheme=dark\r\nNotifications=1\r\n"
              "RuleNotifications=0\r\n");
    EXPECT_EQ(ReadModel(data.path()), 3);
    EXPECT_EQ(ReadTheme(data.path()), Theme::Dark);
}

TEST(IniText, SectionAddedToFileWithoutFinalNewline) {
    IniText ini("[A]\nk=v");
    EXPECT_EQ(ini.Get("a", "K"), "v");
    EXPECT_FALSE(ini.Get("SETTING", "Model"));
    ini.Set("SETTING", "Model", "2");
    EXPECT_EQ(ini.Text(), "[A]\nk=v\n\n[SETTING]\nModel=2\n");
}

TEST(IniText, ByteOrderMarkIsKeptAndNotPartOfTheSection) {
    IniText ini("\xEF\xBB\xBF[SETTING]\r\nModel=9\r\n");
    EXPECT_EQ(ini.Get("SETTING", "Model"), "9");
    ini.Set("SETTING", "Model", "0");
    EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[SETTING]\r\nModel=0\r\n");
}

TEST(IniText, FirstOfDuplicateKeysAndSectionsCounts) {
    IniText ini("[S]\nModel=1\nModel=2\n[S]\nModel=3\n");
    EXPECT_EQ(ini.Get("S", "Model"), "1");
    ini.Set("S", "Model", "5");
    EXPECT_EQ(ini.Text(), "[S]\nModel=5\nModel=2\n[S]\nModel=3\n");
}

// A file read and written back unchanged is the same file, whatever its line endings; a
// change of Model leaves the rest of each line alone.
TEST(IniText, TextComesBackAsItWasRead) {
    struct Row {
        const char* text;
        const char* withModel;  // after Set("SETTING", "Model", "1")
    };
    const Row rows[] = {
        {"[SETTING]\nModel=3\n", "[SETTING]\nModel=1\n"},
        {"[SETTING]\r\nModel=3\r\n", "[SETTING]\r\nModel=1\r\n"},
        {"[SETTING]\r\nModel=3", "[SETTING]\r\nModel=1"},
        // A last line ending cut short keeps its "\r".
        {"[SETTING]\r\nModel=3\r", "[SETTING]\r\nModel=1\r"},
        {"[SETTING]\r\nOther=x\r", "[SETTING]\r\nOther=x\r\nModel=1\r"},
        {"[A]\nk=v\r", "[A]\nk=v\n\n[SETTING]\nModel=1\n"},
        {"\r", "\n[SETTING]\nModel=1\n"},
        {"", "[SETTING]\nModel=1\n"},
    };
    for (const Row& row : rows) {
        IniText ini(row.text);
        EXPECT_EQ(ini.Text(), row.text) << row.text;
        ini.Set("SETTING", "Model", "1");
        EXPECT_EQ(ini.Text(), row.withModel) << row.text;
        EXPECT_EQ(ini.Get("SETTING", "Model"), "1") << row.text;
    }
}

}  // namespace
}  // namespace ms1
