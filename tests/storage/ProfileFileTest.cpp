#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/MacroStore.h"
#include "storage/ProfileFile.h"
#include "storage/ProfileStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using namespace test::files;

std::size_t EntryAt(int k) {
    return kButtons + static_cast<std::size_t>(k) * kEntry;
}

// A profile file by hand; `macroButtons` are entry numbers that carry the macro "Combo"
// with two actions (A pressed, A released, 10 ms each) and a loop count of 5.
Bytes ProfileFile(const char* name, std::initializer_list<int> macroButtons,
                  const char* macroName = "Combo") {
    Bytes bytes(kRecord, 0);
    PutName(bytes, 0, name);
    bytes[2340] = 8;  // brightness, to see the settings travel
    for (int k : macroButtons) {
        std::size_t e = EntryAt(k);
        bytes[e] = static_cast<std::uint8_t>(k);
        bytes[e + 1] = 0x11;
        PutName(bytes, e + 16, macroName);
        PutI32(bytes, e + 64, 5);
        bytes[e + 68] = 2;  // action count, u16
        PutI32(bytes, e + 1072, 0);
        const std::uint8_t actions[] = {0x04, 0x01, 0x0A, 0x00, 0x04, 0x02, 0x0A, 0x00};
        std::copy(std::begin(actions), std::end(actions), bytes.begin() + e + 1088);
    }
    return bytes;
}

Bytes MacroBytes(const char* name, std::int32_t repeat, std::int32_t count) {
    Bytes bytes(kMacro, 0);
    PutName(bytes, 0, name);
    PutI32(bytes, 48, repeat);
    PutI32(bytes, 52, count);
    if (count == 2) {
        const std::uint8_t actions[] = {0x04, 0x01, 0x0A, 0x00, 0x04, 0x02, 0x0A, 0x00};
        std::copy(std::begin(actions), std::end(actions), bytes.begin() + 56);
    }
    return bytes;
}

Bytes StoreOf(std::initializer_list<Bytes> records) {
    Bytes bytes(kHeader + records.size() * kRecord, 0);
    std::size_t at = kHeader;
    for (const Bytes& record : records) {
        std::copy(record.begin(), record.end(), bytes.begin() + static_cast<long>(at));
        at += kRecord;
    }
    return bytes;
}

class ProfileFileTest : public ::testing::Test {
  protected:
    void Load(const Bytes& profiles, const Bytes* macros) {
        WriteBytes(data / "ms_1/pro.data", profiles);
        if (macros)
            WriteBytes(data / "ms_1/macro.data", *macros);
        profileStore.LoadProfileStore(u"Profile");
        macroStore.LoadMacroStore();
    }
    ProfileImport Import(const Bytes& file) {
        WriteBytes(data / "in.pro", file);
        auto profiles = profileStore.Lock();
        auto macros = macroStore.Lock();
        return ImportProfileFile(data / "in.pro", profiles, macros);
    }

    TempFolder data;
    ProfileStore profileStore{data.path()};
    MacroStore macroStore{data.path()};
};

TEST_F(ProfileFileTest, ExportWritesTheRecordAsItIs) {
    Bytes gaming = ProfileFile("Gaming", {2});
    gaming[kRecord - 1] = 0x99;  // a reserved byte travels too
    Load(StoreOf({gaming}), nullptr);
    AtomicFileWriter writer;
    ASSERT_TRUE(ExportProfile(*profileStore.Lock().Profiles()[0], data / "out.pro", writer));
    EXPECT_TRUE(ReadBytes(data / "out.pro") == gaming);
}

TEST_F(ProfileFileTest, ImportTwiceGivesSuffixedNamesAndKeepsTheSelection) {
    Load(StoreOf({ProfileFile("gaming", {})}), nullptr);
    ProfileImport first = Import(ProfileFile("Gaming", {}));
    ASSERT_TRUE(first.taken) << first.taken.reason();
    EXPECT_EQ(first.name, u"Gaming_1");
    EXPECT_EQ(first.index, 1u);
    ProfileImport second = Import(ProfileFile("Gaming", {}));
    EXPECT_EQ(second.name, u"Gaming_2");

    auto access = profileStore.Lock();
    ASSERT_EQ(access.Profiles().size(), 3u);
    EXPECT_EQ(access.SelectedIndex(), 0);
    Bytes expected = ProfileFile("Gaming_2", {});
    const auto* got = reinterpret_cast<const std::uint8_t*>(access.Profiles()[2].get());
    EXPECT_TRUE(Bytes(got, got + kRecord) == expected);
    // No macro buttons: the macro store was not written.
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/macro.data"));
}

TEST_F(ProfileFileTest, MacroButtonsBecomeNewMacrosInButtonOrder) {
    Bytes macros = MacroBytes("COMBO", 0, 2);
    Load(StoreOf({ProfileFile("Main", {})}), &macros);
    // Buttons 3 and 5 carry Combo; entry 19 (button 20) is beyond the 18 that count.
    ProfileImport result = Import(ProfileFile("Gaming", {2, 4, 19}));
    ASSERT_TRUE(result.taken) << result.taken.reason();
    EXPECT_TRUE(result.macroSave);
    EXPECT_EQ(result.macroNames, (std::vector<std::u16string>{u"Combo_1", u"Combo_2"}));

    Bytes expectedMacros = macros;
    for (const char* name : {"Combo_1", "Combo_2"}) {
        Bytes record = MacroBytes(name, 5, 2);
        expectedMacros.insert(expectedMacros.end(), record.begin(), record.end());
    }
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == expectedMacros);

    auto access = profileStore.Lock();
    const auto* profile = reinterpret_cast<const std::uint8_t*>(access.Profiles()[1].get());
    Bytes expected = ProfileFile("Gaming", {2, 4, 19});
    PutName(expected, EntryAt(2) + 16, "Combo_1");
    PutI32(expected, EntryAt(2) + 1072, 1);
    PutName(expected, EntryAt(4) + 16, "Combo_2");
    PutI32(expected, EntryAt(4) + 1072, 2);
    EXPECT_TRUE(Bytes(profile, profile + kRecord) == expected);
}

TEST_F(ProfileFileTest, EntryNameFillingItsFieldIsCutTo23Characters) {
    Load(StoreOf({ProfileFile("Main", {})}), nullptr);
    ProfileImport result = Import(ProfileFile("P", {0}, "ABCDEFGHIJKLMNOPQRSTUVWX"));
    ASSERT_TRUE(result.taken) << result.taken.reason();
    ASSERT_EQ(result.macroNames.size(), 1u);
    EXPECT_EQ(result.macroNames[0], u"ABCDEFGHIJKLMNOPQRSTUVW");
    auto macros = macroStore.Lock();
    EXPECT_TRUE(macros.Macros()[0].name.terminated());
    auto profiles = profileStore.Lock();
    EXPECT_EQ(profiles.Profiles()[1]->button[0].macroName.get(), u"ABCDEFGHIJKLMNOPQRSTUVW");
}

TEST_F(ProfileFileTest, LongCollidingNameIsShortenedToFit) {
    std::string longName(99, 'p');
    Load(StoreOf({ProfileFile(longName.c_str(), {})}), nullptr);
    ProfileImport result = Import(ProfileFile(std::string(99, 'P').c_str(), {}));
    ASSERT_TRUE(result.taken) << result.taken.reason();
    EXPECT_EQ(result.name, std::u16string(97, u'P') + u"_1");
}

TEST_F(ProfileFileTest, LongerFileImportsItsFirstRecord) {
    Load(StoreOf({ProfileFile("Main", {})}), nullptr);
    Bytes file = ProfileFile("First", {});
    Bytes second = ProfileFile("Second", {});
    file.insert(file.end(), second.begin(), second.end());
    ProfileImport result = Import(file);
    ASSERT_TRUE(result.taken) << result.taken.reason();
    EXPECT_EQ(result.name, u"First");
    EXPECT_EQ(profileStore.Lock().Profiles().size(), 2u);
}

TEST_F(ProfileFileTest, DamagedFilesAreRefusedAndChangeNothing) {
    Bytes macros = MacroBytes("Combo", 0, 2);
    Load(StoreOf({ProfileFile("Main", {})}), &macros);
    Bytes unterminated = ProfileFile("", {});
    for (std::size_t i = 0; i < 200; i += 2)
        unterminated[i] = 'n';
    Bytes tooManyActions = ProfileFile("X", {2});
    tooManyActions[EntryAt(2) + 68] = 201;
    Bytes shortFile = ProfileFile("X", {2});
    shortFile.pop_back();

    struct Case {
        const char* what;
        Bytes file;
        const char* reason;
    } cases[] = {
        {"short", shortFile, "shorter than one profile"},
        {"unterminated", unterminated, "not terminated"},
        {"201 actions", tooManyActions, "201 macro actions"},
    };
    for (const Case& c : cases) {
        ProfileImport result = Import(c.file);
        ASSERT_FALSE(result.taken) << c.what;
        EXPECT_NE(result.taken.reason().find(c.reason), std::string::npos) << result.taken.reason();
        EXPECT_EQ(profileStore.Lock().Profiles().size(), 1u) << c.what;
        EXPECT_EQ(macroStore.Lock().Macros().size(), 1u) << c.what;
        EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == macros) << c.what;
    }
    auto profiles = profileStore.Lock();
    auto list = macroStore.Lock();
    ProfileImport missing = ImportProfileFile(data / "nothing.pro", profiles, list);
    ASSERT_FALSE(missing.taken);
    EXPECT_EQ(missing.taken.reason(), "cannot be read");
}

}  // namespace
}  // namespace ms1
