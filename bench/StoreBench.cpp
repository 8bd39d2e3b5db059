// Save and load of a profile store of 100 profiles (about 5 MB), atomic write included:
// temporary file, fsync, rename and the folder sync.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "storage/ProfileStore.h"

namespace ms1 {
namespace {

constexpr int kProfiles = 100;

class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ms1-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void FillStore(ProfileStore& store) {
    store.LoadProfileStore(u"Profile");
    auto access = store.Lock();
    while (access.Profiles().size() < kProfiles)
        access.AddDefaultProfile(u"Profile");
}

void BM_SaveProfileStore100(benchmark::State& state) {
    BenchFolder folder;
    ProfileStore store(folder.path());
    FillStore(store);
    for (auto _ : state) {
        if (!store.SaveProfileStore())
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(
        state.iterations() *
        static_cast<std::int64_t>(sizeof(ProfileStoreHeader) + kProfiles * sizeof(ProfileRecord)));
}
BENCHMARK(BM_SaveProfileStore100)->Unit(benchmark::kMillisecond);

void BM_LoadProfileStore100(benchmark::State& state) {
    BenchFolder folder;
    {
        ProfileStore store(folder.path());
        FillStore(store);
        store.SaveProfileStore();
    }
    for (auto _ : state) {
        ProfileStore store(folder.path());
        StoreLoadReport report = store.LoadProfileStore(u"Profile");
        if (report.freshStart || store.Lock().Profiles().size() != kProfiles) {
            state.SkipWithError("load did not find the 100 profiles");
        }
    }
}
BENCHMARK(BM_LoadProfileStore100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ms1
