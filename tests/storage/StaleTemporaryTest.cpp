#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/storage/StoreKinds.h"

namespace ms1::test {
namespace {

enum class Kind { File, Folder, Link };

// A folder entry that a load finds beside the store, and whether the load removes it.
struct Leftover {
    std::string name;
    Kind kind;
    bool removed;
};

// The temporary files a killed save leaves are named "." + store file + "." + six letters or
// digits; nothing else beside the store is the load's to remove.
std::vector<Leftover> LeftoversFor(const StoreKind& store) {
    const std::string own = std::string(".") + store.file + ".";
    const std::string other = std::string(".") + store.other + ".";
    return {
        {own + "AbC123", Kind::File, true},
        {own + "zzzzzz", Kind::File, true},
        {own + "000000", Kind::File, true},
        {own + "AbC12", Kind::File, false},
        {own + "AbC1234", Kind::File, false},
        {own + "Ab-123", Kind::File, false},
        {own + "Ab.123", Kind::File, false},
        {own + "bad", Kind::File, false},
        {std::string(store.file) + ".AbC123", Kind::File, false},
        {"x" + own + "AbC123", Kind::File, false},
        {other + "AbC123", Kind::File, false},
        {own + "Dir123", Kind::Folder, false},
        {own + "Lnk123", Kind::Link, false},
    };
}

void Create(const std::filesystem::path& folder, const Leftover& leftover,
            const std::filesystem::path& linkTarget) {
    const auto path = folder / leftover.name;
    switch (leftover.kind) {
        case Kind::File:
            WriteBytes(path, Bytes(100, 0x77));
            break;
        case Kind::Folder:
            std::filesystem::create_directories(path);
            break;
        case Kind::Link:
            std::filesystem::create_symlink(linkTarget, path);
            break;
    }
}

class StaleTemporary : public ::testing::TestWithParam<StoreKind> {};

TEST_P(StaleTemporary, LoadRemovesOnlyTemporariesOfItsOwnName) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    TempFolder elsewhere;
    const auto folder = data / "ms_1";
    WriteBytes(folder / kind.file, kind.whole());
    const auto target = elsewhere / "target";
    WriteBytes(target, Bytes{1, 2, 3});
    for (const Leftover& leftover : LeftoversFor(kind))
        Create(folder, leftover, target);

    // A command that only reads touches none of them.
    kind.make(data.path(), nullptr)->Load(StoreMode::ReadOnly);
    for (const Leftover& leftover : LeftoversFor(kind))
        EXPECT_TRUE(
            std::filesystem::exists(std::filesystem::symlink_status(folder / leftover.name)))
            << leftover.name << " after a read-only load";

    kind.make(data.path(), nullptr)->Load(StoreMode::ReadWrite);
    for (const Leftover& leftover : LeftoversFor(kind)) {
        EXPECT_EQ(!std::filesystem::exists(std::filesystem::symlink_status(folder / leftover.name)),
                  leftover.removed)
            << leftover.name;
    }
    EXPECT_TRUE(ReadBytes(target) == (Bytes{1, 2, 3}));
    EXPECT_TRUE(ReadBytes(folder / kind.file) == kind.whole());
}

TEST_P(StaleTemporary, LoadWithoutStoreFileStillRemovesThem) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    const auto stale = data / "ms_1" / (std::string(".") + kind.file + ".Q1w2E3");
    WriteBytes(stale, Bytes(5000, 0x10));
    kind.make(data.path(), nullptr)->Load(StoreMode::ReadWrite);
    EXPECT_FALSE(std::filesystem::exists(stale));
}

// Takes part in a save as another program would: in the middle of writing, another store
// object on the same folder loads, and the temporary of the save under way must survive it.
class LoadDuringWrite : public AtomicFileWriter {
  public:
    LoadDuringWrite(const StoreKind& kind, const std::filesystem::path& data)
        : kind_(kind), data_(data) {}
    std::vector<std::string> seenDuringWrite;

  protected:
    int WriteAll(int fd, std::span<const std::uint8_t> bytes) override {
        kind_.make(data_, nullptr)->Load(StoreMode::ReadWrite);
        seenDuringWrite = Entries(data_ / "ms_1");
        return AtomicFileWriter::WriteAll(fd, bytes);
    }

  private:
    const StoreKind& kind_;
    std::filesystem::path data_;
};

TEST_P(StaleTemporary, TemporaryOfASaveUnderWayIsKept) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    WriteBytes(data / "ms_1" / kind.file, kind.whole());
    LoadDuringWrite writer(kind, data.path());
    auto store = kind.make(data.path(), &writer);
    store->Load(StoreMode::ReadOnly);
    store->AddRecord();
    ASSERT_TRUE(store->Save());

    const std::string prefix = std::string(".") + kind.file + ".";
    int temporaries = 0;
    for (const std::string& name : writer.seenDuringWrite)
        temporaries += name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0;
    EXPECT_EQ(temporaries, 1);
    EXPECT_EQ(Entries(data / "ms_1"), std::vector<std::string>{kind.file});
}

INSTANTIATE_TEST_SUITE_P(BothStores, StaleTemporary,
                         ::testing::Values(kStoreKinds[1], kStoreKinds[3]),
                         [](const auto& info) { return StoreName(info.param); });

}  // namespace
}  // namespace ms1::test
