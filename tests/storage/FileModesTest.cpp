// Recorded keystrokes stay the user's: every folder the program creates for its data is 0700
// and every file that can hold a macro is 0600, whatever the umask, including stores that an
// older version left readable by others.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/DataFolders.h"
#include "storage/MacroFile.h"
#include "storage/ProfileFile.h"
#include "tests/storage/StoreKinds.h"

namespace ms1::test {
namespace {

unsigned ModeOf(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFFu;
}

// Sets the umask for one test row and puts the old one back.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }

  private:
    mode_t old_;
};

struct Way {
    const char* what;
    // Writes in `root`; returns the paths whose modes are checked, with the mode each must have.
    std::vector<std::pair<std::filesystem::path, unsigned>> (*write)(
        const std::filesystem::path& root);
};

std::filesystem::path Program(const std::filesystem::path& root) {
    std::filesystem::create_directories(root / "program");
    return root / "program";
}

const Way kWays[] = {
    {"fresh data folder beside the program, then both stores saved",
     [](const std::filesystem::path& root) {
         const auto data = GetDataFolder(Program(root), UserFolders{});
         ProfileStore profiles(data);
         profiles.LoadProfileStore(u"Profile");
         EXPECT_TRUE(profiles.SaveProfileStore());
         MacroStore macros(data);
         macros.LoadMacroStore();
         macros.Lock().Macros().push_back(MakeEmptyMacro(u"Login"));
         EXPECT_TRUE(macros.Lock().SaveMacroStore());
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {data, 0700u},
             {data / "ms_1", 0700u},
             {data / "ms_1" / "pro.data", 0600u},
             {data / "ms_1" / "macro.data", 0600u}};
     }},
    {"per-user data folder and its missing parents",
     [](const std::filesystem::path& root) {
         const auto data = GetDataFolder(root / "nowhere", UserFolders{root / "xdg", {}},
                                         [](const std::filesystem::path&) { return false; });
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {root / "xdg", 0700u}, {root / "xdg" / "ms1", 0700u}, {data, 0700u}};
     }},
    {"stores an older version left readable by others, saved again",
     [](const std::filesystem::path& root) {
         WriteBytes(root / "ms_1" / "pro.data", HandMadeProfiles({"Old"}));
         WriteBytes(root / "ms_1" / "macro.data", HandMadeMacros({"Old"}));
         for (const char* file : {"pro.data", "macro.data"})
             std::filesystem::permissions(root / "ms_1" / file, std::filesystem::perms(0644));
         ProfileStore profiles(root);
         profiles.LoadProfileStore(u"Profile");
         EXPECT_TRUE(profiles.SaveProfileStore());
         MacroStore macros(root);
         macros.LoadMacroStore();
         EXPECT_TRUE(macros.Lock().SaveMacroStore());
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {root / "ms_1" / "pro.data", 0600u}, {root / "ms_1" / "macro.data", 0600u}};
     }},
    {"damaged stores kept aside",
     [](const std::filesystem::path& root) {
         WriteBytes(root / "ms_1" / "pro.data", Bytes(100, 0x5A));
         WriteBytes(root / "ms_1" / "macro.data", HandMadeMacros({"Bad"}, 999));
         for (const char* file : {"pro.data", "macro.data"})
             std::filesystem::permissions(root / "ms_1" / file, std::filesystem::perms(0644));
         ProfileStore(root).LoadProfileStore(u"Profile");
         MacroStore(root).LoadMacroStore();
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {root / "ms_1" / "pro.data.bad", 0600u}, {root / "ms_1" / "macro.data.bad", 0600u}};
     }},
    {"exported profile and macro",
     [](const std::filesystem::path& root) {
         AtomicFileWriter writer;
         auto profile = MakeZeroedProfile();
         ResetProfileToDefaults(*profile);
         EXPECT_TRUE(ExportProfile(*profile, root / "mine.pro", writer));
         EXPECT_TRUE(ExportMacro(MakeEmptyMacro(u"Login"), root / "login.macro", writer));
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {root / "mine.pro", 0600u}, {root / "login.macro", 0600u}};
     }},
    {"a profile imported into the store",
     [](const std::filesystem::path& root) {
         AtomicFileWriter writer;
         auto profile = MakeZeroedProfile();
         ResetProfileToDefaults(*profile);
         EXPECT_TRUE(ExportProfile(*profile, root / "in.pro", writer));
         ProfileStore profiles(root / "data");
         MacroStore macros(root / "data");
         profiles.LoadProfileStore(u"Profile");
         macros.LoadMacroStore();
         {
             auto profileAccess = profiles.Lock();
             auto macroAccess = macros.Lock();
             EXPECT_TRUE(ImportProfileFile(root / "in.pro", profileAccess, macroAccess).taken);
         }
         EXPECT_TRUE(profiles.SaveProfileStore());
         return std::vector<std::pair<std::filesystem::path, unsigned>>{
             {root / "data" / "ms_1", 0700u}, {root / "data" / "ms_1" / "pro.data", 0600u}};
     }},
};

TEST(FileModes, DataFoldersArePrivateAndFilesThatCanHoldAMacroTooUnderAnyUmask) {
    for (mode_t mask : {mode_t{022}, mode_t{000}}) {
        for (const Way& way : kWays) {
            SCOPED_TRACE(std::string(way.what) + ", umask 0" + std::to_string(mask));
            ScopedUmask scoped(mask);
            TempFolder root;
            for (const auto& [path, mode] : way.write(root.path()))
                EXPECT_EQ(ModeOf(path), mode) << path;
        }
    }
}

// The temporary file of a save is private from the moment it exists, not only once written.
TEST(FileModes, TheTemporaryFileOfASaveIsPrivateFromItsCreation) {
    ScopedUmask scoped(000);
    TempFolder root;
    struct Watching : AtomicFileWriter {
        std::vector<unsigned> modes;
        int SetMode(int fd) override {
            struct stat st {};
            ::fstat(fd, &st);
            modes.push_back(st.st_mode & 07777);
            return AtomicFileWriter::SetMode(fd);
        }
    } writer;
    ASSERT_TRUE(writer.Write(root / "pro.data", Bytes(10, 1)));
    EXPECT_EQ(writer.modes, std::vector<unsigned>{0600u});
}

}  // namespace
}  // namespace ms1::test
