#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/MacroFile.h"
#include "storage/MacroStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using namespace test::files;

// "Combo": repeat 7, three actions, and a stray byte in a slot past the count.
Bytes ComboBytes(const char* name = "Combo") {
    Bytes bytes(kMacro, 0);
    PutName(bytes, 0, name);
    PutI32(bytes, 48, 7);
    PutI32(bytes, 52, 3);
    const std::uint8_t actions[] = {0xF1, 0x01, 0x81, 0x00, 0xF1, 0x02,
                                    0x0A, 0x00, 0x1E, 0x01, 0x88, 0x13};
    std::copy(std::begin(actions), std::end(actions), bytes.begin() + 56);
    bytes[kMacro - 2] = 0x66;
    return bytes;
}

class MacroFileTest : public ::testing::Test {
  protected:
    MacroImport Import(const Bytes& file) {
        WriteBytes(data / "in.macro", file);
        auto macros = store.Lock();
        return ImportMacroFile(data / "in.macro", macros);
    }

    TempFolder data;
    MacroStore store{data.path()};
};

TEST_F(MacroFileTest, ExportedFileEqualsTheStoredRecord) {
    WriteBytes(data / "ms_1/macro.data", ComboBytes());
    store.LoadMacroStore();
    AtomicFileWriter writer;
    ASSERT_TRUE(ExportMacro(store.Lock().Macros()[0], data / "out.macro", writer));
    EXPECT_TRUE(ReadBytes(data / "out.macro") == ComboBytes());
}

TEST_F(MacroFileTest, ImportIntoEmptyListKeepsTheName) {
    store.LoadMacroStore();
    MacroImport result = Import(ComboBytes());
    ASSERT_TRUE(result.taken) << result.taken.reason();
    EXPECT_TRUE(result.save);
    EXPECT_EQ(result.name, u"Combo");
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == ComboBytes());
}

TEST_F(MacroFileTest, ImportWhileTheNameExistsAddsSuffixes) {
    WriteBytes(data / "ms_1/macro.data", ComboBytes("cOMBO"));
    store.LoadMacroStore();
    EXPECT_EQ(Import(ComboBytes()).name, u"Combo_1");
    MacroImport second = Import(ComboBytes());
    EXPECT_EQ(second.name, u"Combo_2");
    EXPECT_EQ(second.index, 2u);

    Bytes expected = ComboBytes("cOMBO");
    for (const char* name : {"Combo_1", "Combo_2"}) {
        Bytes record = ComboBytes(name);
        expected.insert(expected.end(), record.begin(), record.end());
    }
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == expected);
}

TEST_F(MacroFileTest, LongerFileImportsItsFirstRecord) {
    store.LoadMacroStore();
    Bytes file = ComboBytes();
    file.resize(3 * kMacro, 0xEE);
    MacroImport result = Import(file);
    ASSERT_TRUE(result.taken) << result.taken.reason();
    EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == ComboBytes());
}

TEST_F(MacroFileTest, DamagedFilesAreRefusedAndChangeNothing) {
    store.LoadMacroStore();
    Bytes shortFile = ComboBytes();
    shortFile.resize(855);
    Bytes negative = ComboBytes();
    PutI32(negative, 52, -1);
    Bytes tooMany = ComboBytes();
    PutI32(tooMany, 52, 201);
    Bytes unterminated = ComboBytes();
    for (std::size_t i = 0; i < 48; i += 2)
        unterminated[i] = 'u';

    struct Case {
        Bytes file;
        const char* reason;
    } cases[] = {
        {shortFile, "shorter than one macro (855 of 856 bytes)"},
        {negative, "the macro holds -1 actions (0 to 200 allowed)"},
        {tooMany, "the macro holds 201 actions (0 to 200 allowed)"},
        {unterminated, "the macro name is not terminated within its 24 characters"},
    };
    for (const Case& c : cases) {
        MacroImport result = Import(c.file);
        ASSERT_FALSE(result.taken) << c.reason;
        EXPECT_EQ(result.taken.reason(), c.reason);
    }
    EXPECT_TRUE(store.Lock().Macros().empty());
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/macro.data"));
}

TEST(CheckMacroBytes, LimitsAreAccepted) {
    Bytes bytes(kMacro, 0);
    EXPECT_FALSE(CheckMacroBytes(bytes));  // empty name, no actions
    PutI32(bytes, 52, 200);
    for (std::size_t i = 0; i < 46; i += 2)
        bytes[i] = 'n';  // 23 characters and the NUL
    EXPECT_FALSE(CheckMacroBytes(bytes));
}

}  // namespace
}  // namespace ms1
