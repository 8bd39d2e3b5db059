#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "storage/AtomicFileWriter.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "tests/support/TempFolder.h"

namespace ms1::test {

// One of the two stores behind the same few calls, so that one test runs over both.
class StoreUnderTest {
  public:
    virtual ~StoreUnderTest() = default;
    virtual StoreLoadReport Load(StoreMode mode = StoreMode::ReadWrite) = 0;
    virtual Result Save() = 0;
    virtual Result SaveIfChanged() = 0;
    virtual void AddRecord() = 0;
};

constexpr std::size_t kProfileHeader = 238884;
constexpr std::size_t kProfileRecord = 47776;
constexpr std::size_t kMacroRecord = 856;

// A profile store file written out by hand: selection 0, a marker in the reserved block, and
// one record per name.
inline Bytes HandMadeProfiles(std::initializer_list<const char*> names) {
    Bytes bytes(kProfileHeader + names.size() * kProfileRecord, 0);
    bytes[7] = 0x42;
    std::size_t at = kProfileHeader;
    for (const char* name : names) {
        PutName(bytes, at, name);
        bytes[at + kProfileRecord - 1] = 0xCD;
        at += kProfileRecord;
    }
    return bytes;
}

// A macro store file: one macro of one action per name; `count` overrides the action count
// of the last one.
inline Bytes HandMadeMacros(std::initializer_list<const char*> names, std::int32_t count = 1) {
    Bytes bytes;
    for (const char* name : names) {
        Bytes macro(kMacroRecord, 0);
        PutName(macro, 0, name);
        PutI32(macro, 52, 1);
        macro[56] = 0x04;
        macro[57] = 0x01;
        bytes.insert(bytes.end(), macro.begin(), macro.end());
    }
    PutI32(bytes, bytes.size() - kMacroRecord + 52, count);
    return bytes;
}

inline Bytes Append(Bytes bytes, std::size_t count, std::uint8_t value) {
    bytes.insert(bytes.end(), count, value);
    return bytes;
}

// A way a store file can be, with the bytes a test starts from.
struct StoreKind {
    const char* label;
    const char* file;   // the store's file name in "ms_1"
    const char* other;  // the other store's file name
    std::unique_ptr<StoreUnderTest> (*make)(const std::filesystem::path& data,
                                            AtomicFileWriter* writer);
    Bytes (*whole)();         // one record "Kept"
    Bytes (*whole2)();        // "Kept" and "Other", as another program would have written
    Bytes (*damaged)(int n);  // damaged, with different bytes for every n
    Bytes (*repaired)();  // what a save after loading `damaged` writes; null after a fresh start
};

// For test names of tests that care only which store it is.
inline std::string StoreName(const StoreKind& kind) {
    return std::string(kind.file) == "pro.data" ? "ProfileStore" : "MacroStore";
}

inline std::ostream& operator<<(std::ostream& out, const StoreKind& kind) {
    return out << kind.label;
}

class ProfileStoreUnderTest : public StoreUnderTest {
  public:
    ProfileStoreUnderTest(const std::filesystem::path& data, AtomicFileWriter* writer)
        : store_(data, writer) {}
    StoreLoadReport Load(StoreMode mode) override {
        return store_.LoadProfileStore(u"Profile", mode);
    }
    Result Save() override { return store_.SaveProfileStore(); }
    Result SaveIfChanged() override { return store_.SaveProfileStoreIfChanged(); }
    void AddRecord() override { store_.Lock().AddDefaultProfile(u"Profile"); }

  private:
    ProfileStore store_;
};

class MacroStoreUnderTest : public StoreUnderTest {
  public:
    MacroStoreUnderTest(const std::filesystem::path& data, AtomicFileWriter* writer)
        : store_(data, writer) {}
    StoreLoadReport Load(StoreMode mode) override { return store_.LoadMacroStore(mode); }
    Result Save() override { return store_.SaveMacroStore(); }
    Result SaveIfChanged() override { return store_.SaveMacroStoreIfChanged(); }
    void AddRecord() override { store_.Lock().Macros().push_back(MakeEmptyMacro(u"New")); }

  private:
    MacroStore store_;
};

inline std::unique_ptr<StoreUnderTest> MakeProfileStore(const std::filesystem::path& data,
                                                        AtomicFileWriter* writer) {
    return std::make_unique<ProfileStoreUnderTest>(data, writer);
}
inline std::unique_ptr<StoreUnderTest> MakeMacroStore(const std::filesystem::path& data,
                                                      AtomicFileWriter* writer) {
    return std::make_unique<MacroStoreUnderTest>(data, writer);
}

inline const StoreKind kStoreKinds[] = {
    {"ProfilesWithoutWholeRecord", "pro.data", "macro.data", MakeProfileStore,
     [] { return HandMadeProfiles({"Kept"}); },
     [] {
         return HandMadeProfiles({"Kept", "Other"});
     },
     [](int n) { return Bytes(1000 + n, 0x11); }, nullptr},
    {"ProfilesWithTrailingFragment", "pro.data", "macro.data", MakeProfileStore,
     [] { return HandMadeProfiles({"Kept"}); },
     [] {
         return HandMadeProfiles({"Kept", "Other"});
     },
     [](int n) { return Append(HandMadeProfiles({"Kept"}), 1 + n, 0x5A); },
     [] { return HandMadeProfiles({"Kept"}); }},
    {"MacrosWithInvalidRecord", "macro.data", "pro.data", MakeMacroStore,
     [] { return HandMadeMacros({"Kept"}); },
     [] {
         return HandMadeMacros({"Kept", "Other"});
     },
     [](int n) {
         return HandMadeMacros({"Kept", "Bad"}, 201 + n);
     },
     [] { return HandMadeMacros({"Kept"}); }},
    {"MacrosWithTrailingFragment", "macro.data", "pro.data", MakeMacroStore,
     [] { return HandMadeMacros({"Kept"}); },
     [] {
         return HandMadeMacros({"Kept", "Other"});
     },
     [](int n) { return Append(HandMadeMacros({"Kept"}), 1 + n, 0x42); },
     [] { return HandMadeMacros({"Kept"}); }},
};

// The names in a folder, sorted.
inline std::vector<std::string> Entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ms1::test
