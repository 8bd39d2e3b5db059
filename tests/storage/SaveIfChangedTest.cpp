#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "tests/storage/StoreKinds.h"

namespace ms1::test {
namespace {

// Fails the rename while `fail` is set.
class SwitchableWriter : public AtomicFileWriter {
  public:
    bool fail = false;

  protected:
    int ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return fail ? EIO : AtomicFileWriter::ReplaceFile(from, to);
    }
};

class SaveIfChanged : public ::testing::TestWithParam<StoreKind> {};

// What another program writes between this program's load and its next save stays, unless
// this program changed its own list since.
TEST_P(SaveIfChanged, WritesOnlyWhatDiffersFromTheFileAsLastReadOrWritten) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    const auto path = data / "ms_1" / kind.file;
    WriteBytes(path, kind.whole());
    SwitchableWriter writer;
    auto store = kind.make(data.path(), &writer);
    store->Load(StoreMode::ReadWrite);

    WriteBytes(path, kind.whole2());
    EXPECT_TRUE(store->SaveIfChanged());
    EXPECT_TRUE(ReadBytes(path) == kind.whole2()) << "unchanged store written";

    store->AddRecord();
    EXPECT_TRUE(store->SaveIfChanged());
    const Bytes written = ReadBytes(path);
    EXPECT_FALSE(written == kind.whole2());

    WriteBytes(path, kind.whole2());
    EXPECT_TRUE(store->SaveIfChanged());
    EXPECT_TRUE(ReadBytes(path) == kind.whole2()) << "store written again after its own save";

    // A failed save is reported, leaves the file as it was, and the next one tries again.
    store->AddRecord();
    writer.fail = true;
    EXPECT_FALSE(store->SaveIfChanged().ok());
    EXPECT_TRUE(ReadBytes(path) == kind.whole2());
    writer.fail = false;
    EXPECT_TRUE(store->SaveIfChanged());
    EXPECT_EQ(ReadBytes(path).size(), written.size() + written.size() - kind.whole().size())
        << "two records added";
}

INSTANTIATE_TEST_SUITE_P(BothStores, SaveIfChanged,
                         ::testing::Values(kStoreKinds[1], kStoreKinds[3]),
                         [](const auto& info) { return StoreName(info.param); });

class RepairedSave : public ::testing::TestWithParam<StoreKind> {};

// A file that was repaired on loading differs from the list, so the save writes the repaired
// list once; the next start then finds nothing to keep aside again.
TEST_P(RepairedSave, RepairedFileIsWrittenAndNotKeptTwice) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    const auto folder = data / "ms_1";
    WriteBytes(folder / kind.file, kind.damaged(0));
    auto store = kind.make(data.path(), nullptr);
    EXPECT_TRUE(store->Load(StoreMode::ReadWrite).keptAside);
    EXPECT_TRUE(store->SaveIfChanged());
    EXPECT_TRUE(ReadBytes(folder / kind.file) == kind.repaired());

    EXPECT_FALSE(kind.make(data.path(), nullptr)->Load(StoreMode::ReadWrite).keptAside);
    std::vector<std::string> expected = {kind.file, std::string(kind.file) + ".bad"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(folder), expected);
}

// A fresh start (the first row) writes its file while loading.
INSTANTIATE_TEST_SUITE_P(DamagedStores, RepairedSave,
                         ::testing::Values(kStoreKinds[1], kStoreKinds[2], kStoreKinds[3]),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(SaveIfChangedMacros, MissingFileStaysMissingWhileNothingChanged) {
    TempFolder data;
    MacroStore store(data.path());
    store.LoadMacroStore();
    EXPECT_TRUE(store.SaveMacroStoreIfChanged());
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1"));
}

TEST(SaveIfChangedProfiles, SelectionIsAChange) {
    TempFolder data;
    const auto path = data / "ms_1/pro.data";
    WriteBytes(path, HandMadeProfiles({"A", "B"}));
    ProfileStore store(data.path());
    store.LoadProfileStore(u"Profile");
    store.Lock().SetSelectedIndex(1);
    EXPECT_TRUE(store.SaveProfileStoreIfChanged());
    Bytes expected = HandMadeProfiles({"A", "B"});
    expected[0] = 1;
    EXPECT_TRUE(ReadBytes(path) == expected);
}

}  // namespace
}  // namespace ms1::test
