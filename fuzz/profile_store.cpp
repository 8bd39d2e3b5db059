// pro.data as the mouse page loads it at start: the store loader, the page showing each
// profile it holds, and the stores written at the end.
//
// The first input byte says how the rest becomes the file. Odd: the rest is the file as it
// is (short and damaged files). Even: the rest's first four bytes are the stored selection,
// followed by a header block of zeros and then the rest: the header's other bytes are only
// carried along, and leaving them out keeps the inputs small.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/PageHarness.h"
#include "storage/StoreFileIo.h"
#include "ui/PageNames.h"

namespace ms1::fuzz {
namespace {

constexpr std::size_t kHeader = sizeof(ProfileStoreHeader);
constexpr std::size_t kRecord = sizeof(ProfileRecord);

std::vector<std::uint8_t> StoreFile(InputReader& input) {
    const bool raw = input.Byte() & 1;
    if (raw) {
        auto rest = input.Rest();
        return {rest.begin(), rest.end()};
    }
    // The header is the selection word the input chose, then zeros.
    const std::vector<std::uint8_t> selection = input.TakePadded(4);
    auto rest = input.Rest();
    std::vector<std::uint8_t> file(kHeader + rest.size(), 0);
    std::copy(selection.begin(), selection.end(), file.begin());
    std::copy(rest.begin(), rest.end(), file.begin() + kHeader);
    return file;
}

bool Equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

std::int32_t SelectionOf(std::span<const std::uint8_t> file) {
    return static_cast<std::int32_t>(file[0] | (file[1] << 8) | (file[2] << 16) |
                                     (std::uint32_t{file[3]} << 24));
}

}  // namespace
}  // namespace ms1::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1;
    using namespace ms1::fuzz;
    static const FuzzFolder folder;
    folder.Reset();
    InputReader input(data, size);
    const std::vector<std::uint8_t> file = StoreFile(input);
    const auto path = ProfileStore::FilePath(folder.Path());
    WriteFileOrAbort(path, file);

    PageHarness h(folder);
    h.page.LoadProfiles();

    const bool usable = file.size() >= kHeader + kRecord;
    const std::size_t count = usable ? (file.size() - kHeader) / kRecord : 1;
    const std::size_t whole = kHeader + (count * kRecord);
    const bool fragment = usable && file.size() != whole;
    const std::int32_t stored = usable ? SelectionOf(file) : 0;
    const bool selectionKept = stored >= 0 && static_cast<std::size_t>(stored) < count;
    {
        auto access = h.profiles.Lock();
        MS1_FUZZ_CHECK(access.Profiles().size() == count);
        MS1_FUZZ_CHECK(access.SelectedIndex() == (selectionKept ? stored : 0));
        MS1_FUZZ_CHECK(h.page.SelectedIndex() == access.SelectedIndex());
        MS1_FUZZ_CHECK(h.controls.listLines.size() == count);
        if (usable) {
            // Every whole record and the header are taken as they are.
            const auto* header = reinterpret_cast<const std::uint8_t*>(&access.Header());
            MS1_FUZZ_CHECK(std::memcmp(header + 4, file.data() + 4, kHeader - 4) == 0);
            for (std::size_t i = 0; i < count; ++i) {
                MS1_FUZZ_CHECK(std::memcmp(access.Profiles()[i].get(),
                                           file.data() + kHeader + i * kRecord, kRecord) == 0);
            }
        }
    }
    // A file that was not taken whole is kept aside as it was, and the user is told; an empty
    // one is just replaced. Keeping it can fail for reasons of the disk: the user is told
    // that, and the file is not written over.
    const bool damaged = fragment || (!usable && !file.empty());
    h.page.ShowStoreNotices();
    MS1_FUZZ_CHECK(h.dialogs.problems.size() == (damaged ? 1u : 0u));
    if (damaged && h.dialogs.problems[0].find("store_not_kept_aside_text") != std::string::npos) {
        std::fprintf(stderr, "not kept aside: %s\n", h.dialogs.problems[0].c_str());
        h.page.SaveStores();
        MS1_FUZZ_CHECK(ReadFileOrEmpty(path) == file);
        return 0;
    }
    const bool keptAside = damaged;
    MS1_FUZZ_CHECK(!damaged || h.dialogs.problems[0].find("store_kept_aside_text") == 0);
    MS1_FUZZ_CHECK(keptAside == std::filesystem::exists(KeptFileName(path, 0)));
    if (keptAside) {
        MS1_FUZZ_CHECK(ReadFileOrEmpty(KeptFileName(path, 0)) == file);
        MS1_FUZZ_CHECK(std::filesystem::exists(path));
    }

    // The page shows each profile in turn, the selected one last.
    const int selected = h.page.SelectedIndex();
    for (std::size_t i = 0; i < count; ++i)
        h.page.Notify({"itemselect", kProfileList, static_cast<int>(i)});
    h.page.Notify({"itemselect", kProfileList, selected});
    MS1_FUZZ_CHECK(h.page.SelectedIndex() == selected);
    h.page.SaveStores();

    // What was loaded is written back byte for byte: the header with the selection, every
    // whole record; a fragment is not (it stays in the kept file).
    const auto written = ReadFileOrEmpty(path);
    if (usable) {
        MS1_FUZZ_CHECK(written.size() == whole);
        MS1_FUZZ_CHECK(SelectionOf(written) == selected);
        MS1_FUZZ_CHECK(
            Equal(std::span(written).subspan(4), std::span(file).first(whole).subspan(4)));
    } else {
        MS1_FUZZ_CHECK(written.size() == kHeader + kRecord && SelectionOf(written) == 0);
    }

    // And it reads again as the same store.
    ProfileStore again(folder.Path());
    again.LoadProfileStore(u"Profile", StoreMode::ReadOnly);
    auto access = again.Lock();
    auto loaded = h.profiles.Lock();
    MS1_FUZZ_CHECK(access.Profiles().size() == loaded.Profiles().size());
    for (std::size_t i = 0; i < count; ++i) {
        MS1_FUZZ_CHECK(
            std::memcmp(access.Profiles()[i].get(), loaded.Profiles()[i].get(), kRecord) == 0);
    }
    return 0;
}
