#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/MacroStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using namespace test::files;

// One macro record written out by hand: name, repeat, count, then the first action.
Bytes HandMadeMacro(const char* name, std::int32_t count, std::uint8_t key = 0x04) {
    Bytes bytes(kMacro, 0);
    PutName(bytes, 0, name);
    PutI32(bytes, 48, 3);
    PutI32(bytes, 52, count);
    bytes[56] = key;   // key
    bytes[57] = 0x01;  // press
    bytes[58] = 0x81;  // 129 ms
    bytes[59] = 0x00;
    bytes[kMacro - 1] = 0x77;  // a slot past the count: carried, never read
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string Name(const MacroRecord& macro) {
    return ToUtf8(macro.name.get());
}

TEST(MacroStore, MissingFileIsAnEmptyListAndCreatesNothing) {
    TempFolder data;
    MacroStore store(data.path());
    StoreLoadReport report = store.LoadMacroStore();
    EXPECT_EQ(report.droppedRecords, 0u);
    EXPECT_TRUE(store.Lock().Macros().empty());
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1"));
}

TEST(MacroStore, FiveMacrosLoadInOrderAndSaveToTheSameBytes) {
    TempFolder data;
    Bytes original = Join({HandMadeMacro("a", 1), HandMadeMacro("b", 0), HandMadeMacro("c", 200),
                           HandMadeMacro("d", 1, 0xF5), HandMadeMacro("e", 1)});
    ASSERT_EQ(original.size(), 4280u);
    WriteBytes(data / "ms_1/macro.data", original);

    MacroStore store(data.path());
    store.LoadMacroStore();
    {
        auto access = store.Lock();
        ASSERT_EQ(access.Macros().size(), 5u);
        EXPECT_EQ(Name(access.Macros()[0]), "a");
        EXPECT_EQ(Name(access.Macros()[4]), "e");
        EXPECT_EQ(access.Macros()[2].actionCount, 200);
        EXPECT_EQ(access.Macros()[3].actions[0].key, 0xF5);
    }
    std::filesystem::remove(data / "ms_1/macro.data");
    ASSERT_TRUE(store.SaveMacroStore());
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == original);
}

TEST(MacroStore, InvalidRecordsAndFragmentAreDroppedAndTheFileKeptAside) {
    TempFolder data;
    Bytes unterminated = HandMadeMacro("", 1);
    for (std::size_t i = 0; i < 48; i += 2)
        unterminated[i] = 'z';
    Bytes damaged =
        Join({HandMadeMacro("good1", 2), HandMadeMacro("neg", -1), HandMadeMacro("big", 201),
              unterminated, HandMadeMacro("good2", 0), Bytes(300, 0x42)});
    WriteBytes(data / "ms_1/macro.data", damaged);

    MacroStore store(data.path());
    StoreLoadReport report = store.LoadMacroStore();
    EXPECT_EQ(report.droppedRecords, 3u);
    EXPECT_EQ(report.droppedBytes, 300u);
    EXPECT_TRUE(report.keptAside);
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data.bad") == damaged);
    {
        auto access = store.Lock();
        ASSERT_EQ(access.Macros().size(), 2u);
        EXPECT_EQ(Name(access.Macros()[0]), "good1");
        EXPECT_EQ(Name(access.Macros()[1]), "good2");
    }
    ASSERT_TRUE(store.SaveMacroStore());
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") ==
                Join({HandMadeMacro("good1", 2), HandMadeMacro("good2", 0)}));
}

TEST(MacroStore, AddMacroNamesByCountAndSaves) {
    TempFolder data;
    WriteBytes(data / "ms_1/macro.data", Join({HandMadeMacro("x", 0), HandMadeMacro("MACRO3", 0)}));
    MacroStore store(data.path());
    store.LoadMacroStore();
    auto access = store.Lock();
    MacroStore::Added added = access.AddMacro(u"Macro");
    EXPECT_TRUE(added.save);
    EXPECT_EQ(added.index, 2u);
    EXPECT_EQ(Name(access.Macros()[2]), "Macro3_1");

    Bytes file = ReadBytes(data / "ms_1/macro.data");
    ASSERT_EQ(file.size(), 3 * kMacro);
    Bytes expected(kMacro, 0);
    PutName(expected, 0, "Macro3_1");
    EXPECT_TRUE(Bytes(file.begin() + 2 * kMacro, file.end()) == expected);
}

TEST(MacroStore, LongDefaultNameIsCutTo23Characters) {
    TempFolder data;
    MacroStore store(data.path());
    store.LoadMacroStore();
    auto access = store.Lock();
    access.AddMacro(u"AVeryLongMacroTextForALanguage");
    access.AddMacro(u"AVeryLongMacroTextForALanguage");
    EXPECT_EQ(Name(access.Macros()[0]), "AVeryLongMacroTextForAL");
    EXPECT_EQ(Name(access.Macros()[1]), "AVeryLongMacroTextFor_1");
}

TEST(MacroStore, DeletingTheLastMacroLeavesAnEmptyFile) {
    TempFolder data;
    MacroStore store(data.path());
    store.LoadMacroStore();
    store.Lock().AddMacro(u"Macro");
    EXPECT_EQ(std::filesystem::file_size(data / "ms_1/macro.data"), kMacro);
    {
        auto access = store.Lock();
        access.Macros().clear();
        ASSERT_TRUE(access.SaveMacroStore());
    }
    EXPECT_EQ(std::filesystem::file_size(data / "ms_1/macro.data"), 0u);
    MacroStore again(data.path());
    StoreLoadReport report = again.LoadMacroStore();
    EXPECT_TRUE(again.Lock().Macros().empty());
    EXPECT_FALSE(report.keptAside);
}

}  // namespace
}  // namespace ms1
