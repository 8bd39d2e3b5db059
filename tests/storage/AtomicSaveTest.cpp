#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "storage/AtomicFileWriter.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "tests/support/TempFolder.h"

namespace ms1 {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Fails one of the disk steps, after letting part of the bytes through.
class FailingWriter : public AtomicFileWriter {
  public:
    enum class Step { Mode, Write, Sync, Close, Rename };
    explicit FailingWriter(Step step) : step_(step) {}

  protected:
    int SetMode(int fd) override {
        return step_ == Step::Mode ? EPERM : AtomicFileWriter::SetMode(fd);
    }
    int WriteAll(int fd, std::span<const std::uint8_t> bytes) override {
        if (step_ != Step::Write)
            return AtomicFileWriter::WriteAll(fd, bytes);
        AtomicFileWriter::WriteAll(fd, bytes.first(bytes.size() / 2));
        return ENOSPC;
    }
    int SyncFile(int fd) override {
        return step_ == Step::Sync ? EIO : AtomicFileWriter::SyncFile(fd);
    }
    int CloseFile(int fd) override {
        int error = AtomicFileWriter::CloseFile(fd);
        return step_ == Step::Close ? EIO : error;
    }
    int ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return step_ == Step::Rename ? EACCES : AtomicFileWriter::ReplaceFile(from, to);
    }

  private:
    Step step_;
};

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(AtomicSave, FailedStepLeavesTheOldFileAndNoTemporary) {
    for (auto step : {FailingWriter::Step::Write, FailingWriter::Step::Sync,
                      FailingWriter::Step::Close, FailingWriter::Step::Rename}) {
        TempFolder data;
        Bytes old = {'o', 'l', 'd'};
        WriteBytes(data / "ms_1/macro.data", old);

        FailingWriter writer(step);
        MacroStore store(data.path(), &writer);
        store.LoadMacroStore();
        MacroStore::Added added = store.Lock().AddMacro(u"Macro");
        EXPECT_FALSE(added.save.ok());
        EXPECT_NE(added.save.reason().find("macro.data"), std::string::npos) << added.save.reason();
        EXPECT_TRUE(ReadBytes(data / "ms_1/macro.data") == old);
        // Only the store and the copy of the fragment that could not be read as a macro.
        std::vector<std::string> entries = FolderEntries(data / "ms_1");
        std::sort(entries.begin(), entries.end());
        EXPECT_EQ(entries, (std::vector<std::string>{"macro.data", "macro.data.bad"}));
    }
}

// Some file systems (FAT) refuse to change the mode; the file then keeps the private mode it
// was created with, and the save goes on.
TEST(AtomicSave, RefusedModeChangeStillSavesAndLeavesNoTemporary) {
    TempFolder data;
    FailingWriter writer(FailingWriter::Step::Mode);
    Bytes bytes = {4, 5, 6};
    ASSERT_TRUE(writer.Write(data / "f", bytes));
    EXPECT_TRUE(ReadBytes(data / "f") == bytes);
    EXPECT_EQ(FolderEntries(data.path()), std::vector<std::string>{"f"});
}

TEST(AtomicSave, ReplacesTheWholeFile) {
    TempFolder data;
    WriteBytes(data / "f", Bytes(5000, 0x33));
    AtomicFileWriter writer;
    Bytes shorter = {1, 2, 3};
    ASSERT_TRUE(writer.Write(data / "f", shorter));
    EXPECT_TRUE(ReadBytes(data / "f") == shorter);
    EXPECT_EQ(FolderEntries(data.path()), std::vector<std::string>{"f"});
}

TEST(AtomicSave, MissingFolderIsAFailureWithAReason) {
    TempFolder data;
    AtomicFileWriter writer;
    Result result = writer.Write(data / "no/such/folder/f", Bytes{1});
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.reason().empty());
}

TEST(AtomicSave, StoreFolderThatIsAFileFailsTheSave) {
    TempFolder data;
    test::WriteText(data / "ms_1", "a file where the folder goes");
    ProfileStore store(data.path());
    StoreLoadReport report = store.LoadProfileStore(u"Profile");
    EXPECT_TRUE(report.freshStart);
    EXPECT_FALSE(report.save.ok());
    EXPECT_EQ(store.Lock().Profiles().size(), 1u);
}

// Savers, list changers and a reader of the file run at once. Every change rewrites the
// whole list with one stamp (in each profile and in the reserved header bytes) and puts the
// selection on the last profile; every file the reader sees must be one whole list of one
// stamp, never a torn or mixed one.
TEST(AtomicSave, ConcurrentSavesAndChangesNeverTearOrMixTheFile) {
    TempFolder data;
    ProfileStore store(data.path());
    store.LoadProfileStore(u"Profile");
    constexpr std::size_t kHeader = 238884;
    constexpr std::size_t kRecord = 47776;

    int stamp = 0;  // changed under the store's lock only
    auto change = [&](int thread, int round) {
        auto access = store.Lock();
        ++stamp;
        ProfileList& profiles = access.Profiles();
        if ((round + thread) % 3 == 0 && profiles.size() > 1) {
            profiles.pop_back();
        } else if (profiles.size() < 5) {
            access.AddDefaultProfile(u"Profile");
        }
        for (auto& profile : profiles)
            profile->brightness = stamp;
        test::Bytes header(4);
        test::PutI32(header, 0, stamp);
        std::copy(header.begin(), header.end(), access.Header().reserved);
        access.SetSelectedIndex(static_cast<int>(profiles.size()) - 1);
        if (round % 4 == 0) {
            EXPECT_TRUE(access.SaveProfileStore());
        }
    };

    std::vector<std::string> problems;
    auto check = [&] {
        Bytes file = ReadBytes(data / "ms_1/pro.data");
        if (file.size() < kHeader + kRecord || (file.size() - kHeader) % kRecord != 0) {
            problems.push_back("torn file of " + std::to_string(file.size()) + " bytes");
            return;
        }
        auto i32 = [&](std::size_t at) {
            return static_cast<std::int32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                             file[at + 3] << 24);
        };
        const std::size_t count = (file.size() - kHeader) / kRecord;
        if (i32(0) != static_cast<std::int32_t>(count) - 1) {
            problems.push_back("selection " + std::to_string(i32(0)) + " with " +
                               std::to_string(count) + " profiles");
        }
        for (std::size_t k = 0; k < count; ++k) {
            if (i32(kHeader + k * kRecord + 2340) != i32(4) && i32(4) != 0) {
                problems.push_back("profile " + std::to_string(k) + " has stamp " +
                                   std::to_string(i32(kHeader + k * kRecord + 2340)) + ", header " +
                                   std::to_string(i32(4)));
            }
        }
    };

    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 150; ++round)
                change(t, round);
        });
        threads.emplace_back([&] {
            for (int round = 0; round < 40; ++round)
                EXPECT_TRUE(store.SaveProfileStore());
        });
    }
    std::thread reader([&] {
        for (int round = 0; round < 150; ++round)
            check();
    });
    for (auto& thread : threads)
        thread.join();
    reader.join();
    ASSERT_TRUE(store.SaveProfileStore());
    check();
    EXPECT_TRUE(problems.empty()) << problems.size() << " bad files, first: " << problems[0];
    EXPECT_EQ(FolderEntries(data / "ms_1"), std::vector<std::string>{"pro.data"});
}

}  // namespace
}  // namespace ms1
