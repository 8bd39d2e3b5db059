#include "app/Autostart.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace ms1 {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Autostart, TheEntryComesAndGoesAndQuotesTheProgram) {
    const fs::path config = fs::temp_directory_path() / "ms1-autostart-test";
    fs::remove_all(config);
    Autostart autostart(config);
    EXPECT_FALSE(autostart.IsEnabled());
    EXPECT_TRUE(autostart.Disable()) << "no entry is no error";

    ASSERT_TRUE(autostart.Enable("/opt/my \"ms1\"/lib/ms1"));
    EXPECT_TRUE(autostart.IsEnabled());
    EXPECT_EQ(autostart.EntryPath(), config / "autostart" / "net.ms1.ms1.desktop");
    const std::string entry = Read(autostart.EntryPath());
    EXPECT_NE(entry.find("\nExec=\"/opt/my \\\"ms1\\\"/lib/ms1\" --hidden\n"), std::string::npos)
        << entry;
    EXPECT_EQ(entry.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);

    ASSERT_TRUE(autostart.Enable("/usr/lib/ms1/ms1"));
    EXPECT_NE(Read(autostart.EntryPath()).find("Exec=\"/usr/lib/ms1/ms1\" --hidden"),
              std::string::npos);
    EXPECT_TRUE(autostart.Disable());
    EXPECT_FALSE(autostart.IsEnabled());

    // A config folder that cannot be made: a file stands where it would go.
    fs::remove_all(config);
    std::ofstream(config.string()).put('x');
    const Result enabled = Autostart(config).Enable("/usr/lib/ms1/ms1");
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(enabled.reason().empty());
    fs::remove(config);
}

TEST(Autostart, TheEntryKeepsTheDataFolderTheProgramWasStartedWith) {
    const fs::path config = fs::temp_directory_path() / "ms1-autostart-data-test";
    fs::remove_all(config);
    Autostart autostart(config);
    struct Row {
        fs::path dataFolder;
        const char* execLine;
    };
    const Row rows[] = {
        {"", "\nExec=\"/usr/lib/ms1/ms1\" --hidden\n"},
        {"/home/me/mouse data",
         "\nExec=\"/usr/lib/ms1/ms1\" --hidden --data \"/home/me/mouse data\"\n"},
        // Quoted as the program is, and % is no field code.
        {"/srv/$HOME/100%", "\nExec=\"/usr/lib/ms1/ms1\" --hidden --data \"/srv/\\$HOME/100%%\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dataFolder.string());
        ASSERT_TRUE(autostart.Enable("/usr/lib/ms1/ms1", row.dataFolder));
        const std::string entry = Read(autostart.EntryPath());
        EXPECT_NE(entry.find(row.execLine), std::string::npos) << entry;
    }
    fs::remove_all(config);
}

TEST(Autostart, DataFolderArgumentIsTheFolderAfterDataMadeAbsolute) {
    struct Row {
        std::vector<std::string> arguments;
        fs::path expected;
    };
    const Row rows[] = {
        {{"ms1"}, ""},
        {{"ms1", "--simulate", "--data", "/tmp/d"}, "/tmp/d"},
        {{"ms1", "--data", "mine/../data", "--hidden"}, "/home/me/data"},
        {{"ms1", "--data"}, ""},  // no folder after it
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DataFolderArgument(row.arguments, "/home/me"), row.expected);
    }
}

}  // namespace
}  // namespace ms1
