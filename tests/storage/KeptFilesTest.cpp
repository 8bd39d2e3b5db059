#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/AppProfileRules.h"
#include "tests/storage/StoreKinds.h"

namespace ms1::test {
namespace {

// "pro.data.bad" for slot 0, then "pro.data.bad.1" ... "pro.data.bad.9".
std::string Slot(const StoreKind& kind, int slot) {
    std::string name = std::string(kind.file) + ".bad";
    return slot == 0 ? name : name + "." + std::to_string(slot);
}

class KeptFiles : public ::testing::TestWithParam<StoreKind> {};

// Each damaged load keeps what it found; the newest is ".bad", older ones move up one number,
// at most ten are kept and the oldest goes first.
TEST_P(KeptFiles, EveryDamagedFileIsKeptUpToTen) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    const auto folder = data / "ms_1";
    for (int round = 0; round < 12; ++round) {
        WriteBytes(folder / kind.file, kind.damaged(round));
        StoreLoadReport report = kind.make(data.path(), nullptr)->Load(StoreMode::ReadWrite);
        EXPECT_TRUE(report.keptAside) << round;
        EXPECT_EQ(report.keptAs, folder / Slot(kind, 0)) << round;
        EXPECT_FALSE(report.keepAsideError) << *report.keepAsideError;
    }
    std::vector<std::string> expected = {kind.file};
    for (int slot = 0; slot < 10; ++slot) {
        expected.push_back(Slot(kind, slot));
        EXPECT_TRUE(ReadBytes(folder / Slot(kind, slot)) == kind.damaged(11 - slot)) << slot;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(folder), expected);

    // A kept file the user removed leaves a gap: only the newer ones move, nothing is dropped.
    std::filesystem::remove(folder / Slot(kind, 4));
    WriteBytes(folder / kind.file, kind.damaged(12));
    kind.make(data.path(), nullptr)->Load(StoreMode::ReadWrite);
    const int expectedRounds[] = {12, 11, 10, 9, 8, 6, 5, 4, 3, 2};
    for (int slot = 0; slot < 10; ++slot) {
        EXPECT_TRUE(ReadBytes(folder / Slot(kind, slot)) == kind.damaged(expectedRounds[slot]))
            << "after the gap, slot " << slot;
    }
    EXPECT_EQ(Entries(folder), expected);
}

// When the damaged file cannot be kept aside (here the oldest kept one cannot be dropped: it
// is a folder, which is not the store's to remove), no save of that store writes over it until
// the store is loaded again.
TEST_P(KeptFiles, FileThatCannotBeKeptAsideIsNeverWrittenOver) {
    const StoreKind& kind = GetParam();
    TempFolder data;
    const auto folder = data / "ms_1";
    for (int slot = 0; slot < 9; ++slot)
        WriteBytes(folder / Slot(kind, slot), Bytes{static_cast<std::uint8_t>(slot)});
    WriteBytes(folder / Slot(kind, 9) / "something", Bytes{9});
    const std::vector<std::string> before = [&] {
        auto names = Entries(folder);
        names.push_back(kind.file);
        std::sort(names.begin(), names.end());
        return names;
    }();
    WriteBytes(folder / kind.file, kind.damaged(0));

    auto store = kind.make(data.path(), nullptr);
    StoreLoadReport report = store->Load(StoreMode::ReadWrite);
    EXPECT_FALSE(report.keptAside);
    EXPECT_TRUE(report.keptAs.empty());
    ASSERT_TRUE(report.keepAsideError);
    EXPECT_NE(report.keepAsideError->find(Slot(kind, 9)), std::string::npos)
        << *report.keepAsideError;
    if (report.freshStart) {
        EXPECT_FALSE(report.save.ok());
    }

    Result saved = store->Save();
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.reason().find(kind.file), std::string::npos) << saved.reason();
    store->AddRecord();
    EXPECT_FALSE(store->Save().ok());
    EXPECT_FALSE(store->SaveIfChanged().ok());
    EXPECT_TRUE(ReadBytes(folder / kind.file) == kind.damaged(0));
    EXPECT_EQ(Entries(folder), before);
    for (int slot = 0; slot < 9; ++slot)
        EXPECT_TRUE(ReadBytes(folder / Slot(kind, slot)) == Bytes{static_cast<std::uint8_t>(slot)});

    // Once the way is clear, the next load keeps the file and saves work again.
    std::filesystem::remove_all(folder / Slot(kind, 9));
    report = store->Load(StoreMode::ReadWrite);
    EXPECT_TRUE(report.keptAside);
    EXPECT_TRUE(ReadBytes(folder / Slot(kind, 0)) == kind.damaged(0));
    EXPECT_TRUE(ReadBytes(folder / Slot(kind, 9)) == Bytes{8});
    EXPECT_TRUE(store->Save());
}

INSTANTIATE_TEST_SUITE_P(DamagedStores, KeptFiles, ::testing::ValuesIn(kStoreKinds),
                         [](const auto& info) { return std::string(info.param.label); });

// The application-profile rules keep their damaged file aside in the same way.
class RulesUnderTest : public StoreUnderTest {
  public:
    RulesUnderTest(const std::filesystem::path& data, AtomicFileWriter* writer)
        : rules_(data, writer) {}
    StoreLoadReport Load(StoreMode mode) override { return rules_.Load(mode); }
    Result Save() override { return rules_.Save(); }
    Result SaveIfChanged() override { return rules_.SaveIfChanged(); }
    void AddRecord() override { (void)rules_.Set("added", u"Profile1"); }

  private:
    AppProfileRules rules_;
};

std::unique_ptr<StoreUnderTest> MakeRules(const std::filesystem::path& data,
                                          AtomicFileWriter* writer) {
    return std::make_unique<RulesUnderTest>(data, writer);
}

Bytes RulesText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

const StoreKind kRuleKinds[] = {
    {"RulesWithUnknownLine", "appprofiles.txt", "pro.data", MakeRules,
     [] { return RulesText("rule\tkept\tProfile1\n"); },
     [] { return RulesText("rule\tkept\tProfile1\nrule\tother\tProfile2\n"); },
     [](int n) { return RulesText("rule\tkept\tProfile1\nnonsense " + std::to_string(n) + "\n"); },
     nullptr},
    {"RulesWithBadEscape", "appprofiles.txt", "pro.data", MakeRules,
     [] { return RulesText("rule\tkept\tProfile1\n"); },
     [] { return RulesText("rule\tkept\tProfile1\nrule\tother\tProfile2\n"); },
     [](int n) { return RulesText("rule\tbad\\q" + std::to_string(n) + "\tProfile1\n"); }, nullptr},
};

INSTANTIATE_TEST_SUITE_P(DamagedRules, KeptFiles, ::testing::ValuesIn(kRuleKinds),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace ms1::test
