#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "storage/ProfileStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using namespace test::files;

// A store file written out by hand: selection, a patterned reserved block, named records
// with a marker byte inside each one.
Bytes HandMadeStore(int selected, std::initializer_list<const char*> names) {
    Bytes bytes(kHeader + names.size() * kRecord, 0);
    PutI32(bytes, 0, selected);
    for (std::size_t i = 4; i < kHeader; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::size_t at = kHeader;
    for (const char* name : names) {
        PutName(bytes, at, name);
        bytes[at + 1500] = 0xAB;         // inside a reserved text
        bytes[at + kRecord - 1] = 0xCD;  // last byte of the last button entry
        at += kRecord;
    }
    return bytes;
}

std::string Name(const ProfileRecord& profile) {
    return ToUtf8(profile.profileName.get());
}

TEST(ProfileStore, FreshStartCreatesFolderAndOneDefaultProfile) {
    TempFolder data;
    ProfileStore store(data.path());
    StoreLoadReport report = store.LoadProfileStore(u"Profile");
    EXPECT_TRUE(report.freshStart);
    EXPECT_TRUE(report.save);
    EXPECT_FALSE(report.keptAside);

    Bytes file = ReadBytes(data / "ms_1/pro.data");
    ASSERT_EQ(file.size(), 286660u);
    for (std::size_t i = 0; i < kHeader; ++i)
        ASSERT_EQ(file[i], 0) << "header byte " << i;
    const std::uint8_t* p = file.data() + kHeader;
    const std::uint8_t name[] = {'P', 0,   'r', 0,   'o', 0,   'f', 0, 'i',
                                 0,   'l', 0,   'e', 0,   '1', 0,   0, 0};
    EXPECT_EQ(0, std::memcmp(p, name, sizeof name));
    const std::uint8_t reserved2200[] = {0xA4, 0x01, 0, 0, 0x03, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p + 2200, reserved2200, sizeof reserved2200));
    const std::uint8_t dpi[] = {0x10, 0, 0, 0, 0x20, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(p + 2244, dpi, sizeof dpi));
    const std::uint8_t green[] = {0x00, 0xFF, 0x00, 0x00};
    EXPECT_EQ(0, std::memcmp(p + 2396, green, sizeof green));
    // Button 1: index 0, left click, 562 at offset 8, -1 -1 at 1072.
    const std::uint8_t* button1 = p + 2464;
    EXPECT_EQ(button1[0], 0);
    EXPECT_EQ(button1[1], 1);
    EXPECT_EQ(button1[8], 0x32);
    EXPECT_EQ(button1[9], 0x02);
    for (int i = 1072; i < 1080; ++i)
        EXPECT_EQ(button1[i], 0xFF);

    auto access = store.Lock();
    ASSERT_EQ(access.Profiles().size(), 1u);
    EXPECT_EQ(Name(*access.Profiles()[0]), "Profile1");
    EXPECT_EQ(access.SelectedIndex(), 0);
}

TEST(ProfileStore, LoadAndSaveKeepEveryByte) {
    TempFolder data;
    Bytes original = HandMadeStore(2, {"One", "Two", "Three"});
    ASSERT_EQ(original.size(), 382212u);
    WriteBytes(data / "ms_1/pro.data", original);

    ProfileStore store(data.path());
    StoreLoadReport report = store.LoadProfileStore(u"Profile");
    EXPECT_FALSE(report.freshStart);
    EXPECT_FALSE(report.keptAside);
    {
        auto access = store.Lock();
        ASSERT_EQ(access.Profiles().size(), 3u);
        EXPECT_EQ(Name(*access.Profiles()[0]), "One");
        EXPECT_EQ(Name(*access.Profiles()[1]), "Two");
        EXPECT_EQ(Name(*access.Profiles()[2]), "Three");
        EXPECT_EQ(access.SelectedIndex(), 2);
    }
    std::filesystem::remove(data / "ms_1/pro.data");
    ASSERT_TRUE(store.SaveProfileStore());
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == original);
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/pro.data.bad"));
}

TEST(ProfileStore, TrailingFragmentIsDroppedAndTheFileKeptAside) {
    TempFolder data;
    Bytes whole = HandMadeStore(0, {"Kept"});
    Bytes damaged = whole;
    damaged.insert(damaged.end(), 100, 0x5A);
    WriteBytes(data / "ms_1/pro.data", damaged);

    ProfileStore store(data.path());
    StoreLoadReport report = store.LoadProfileStore(u"Profile");
    EXPECT_FALSE(report.freshStart);
    EXPECT_EQ(report.droppedBytes, 100u);
    EXPECT_TRUE(report.keptAside);
    EXPECT_EQ(store.Lock().Profiles().size(), 1u);
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data.bad") == damaged);

    ASSERT_TRUE(store.SaveProfileStore());
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == whole);
}

TEST(ProfileStore, FileWithoutWholeProfileStartsAfreshAndIsKeptAside) {
    for (std::size_t size : {std::size_t{1000}, kHeader, kHeader + kRecord - 1}) {
        TempFolder data;
        Bytes damaged(size, 0x11);
        WriteBytes(data / "ms_1/pro.data", damaged);

        ProfileStore store(data.path());
        StoreLoadReport report = store.LoadProfileStore(u"Profile");
        EXPECT_TRUE(report.freshStart) << size;
        EXPECT_TRUE(report.keptAside) << size;
        EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data.bad") == damaged) << size;
        Bytes fresh = ReadBytes(data / "ms_1/pro.data");
        ASSERT_EQ(fresh.size(), 286660u) << size;
        EXPECT_EQ(fresh[kHeader], 'P');
        EXPECT_EQ(fresh[0], 0);
    }
}

TEST(ProfileStore, EmptyFileIsReplacedWithoutKeepingIt) {
    TempFolder data;
    WriteBytes(data / "ms_1/pro.data", {});
    ProfileStore store(data.path());
    StoreLoadReport report = store.LoadProfileStore(u"Profile");
    EXPECT_TRUE(report.freshStart);
    EXPECT_FALSE(report.keptAside);
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/pro.data.bad"));
    EXPECT_EQ(std::filesystem::file_size(data / "ms_1/pro.data"), 286660u);
}

TEST(ProfileStore, SelectionOutsideTheListBecomesZero) {
    for (int stored : {2, 5, -1}) {
        TempFolder data;
        WriteBytes(data / "ms_1/pro.data", HandMadeStore(stored, {"A", "B"}));
        ProfileStore store(data.path());
        StoreLoadReport report = store.LoadProfileStore(u"Profile");
        EXPECT_TRUE(report.selectedIndexReset) << stored;
        EXPECT_EQ(store.Lock().SelectedIndex(), 0) << stored;
    }
    TempFolder data;
    WriteBytes(data / "ms_1/pro.data", HandMadeStore(1, {"A", "B"}));
    ProfileStore store(data.path());
    EXPECT_FALSE(store.LoadProfileStore(u"Profile").selectedIndexReset);
    EXPECT_EQ(store.Lock().SelectedIndex(), 1);
}

TEST(ProfileStore, ReadOnlyLoadTouchesNothing) {
    TempFolder data;
    ProfileStore fresh(data.path());
    StoreLoadReport report = fresh.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
    EXPECT_TRUE(report.freshStart);
    EXPECT_EQ(fresh.Lock().Profiles().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1"));

    Bytes damaged = HandMadeStore(0, {"A"});
    damaged.push_back(1);
    WriteBytes(data / "ms_1/pro.data", damaged);
    ProfileStore store(data.path());
    EXPECT_EQ(store.LoadProfileStore(u"Profile", StoreMode::ReadOnly).droppedBytes, 1u);
    EXPECT_FALSE(std::filesystem::exists(data / "ms_1/pro.data.bad"));
    EXPECT_TRUE(ReadBytes(data / "ms_1/pro.data") == damaged);
}

TEST(ProfileStore, DefaultNamesAreUniqueInAnyLetterCase) {
    TempFolder data;
    WriteBytes(data / "ms_1/pro.data", HandMadeStore(0, {"profile2", "PROFILE2_1"}));
    ProfileStore store(data.path());
    store.LoadProfileStore(u"Profile");
    auto access = store.Lock();
    // Two profiles: the third would be Profile3.
    EXPECT_EQ(Name(access.AddDefaultProfile(u"Profile")), "Profile3");
    access.Profiles().erase(access.Profiles().begin() + 2);
    access.Profiles().erase(access.Profiles().begin() + 1);
    // One profile, "profile2": the base Profile2 is taken.
    EXPECT_EQ(Name(access.AddDefaultProfile(u"Profile")), "Profile2_1");
}

TEST(ProfileStore, LongDefaultNamesFitTheField) {
    TempFolder data;
    ProfileStore store(data.path());
    const std::u16string text(120, u'x');
    store.LoadProfileStore(text);
    auto access = store.Lock();
    EXPECT_EQ(access.Profiles()[0]->profileName.get(), std::u16string(99, u'x'));
    // The next base is cut to the same 99 characters and collides: the suffix must fit.
    std::u16string second = access.AddDefaultProfile(text).profileName.get();
    EXPECT_EQ(second, std::u16string(97, u'x') + u"_1");
    EXPECT_TRUE(access.Profiles()[1]->profileName.terminated());
}

}  // namespace
}  // namespace ms1
