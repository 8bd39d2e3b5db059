#include "transport/VendorHidBinding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ports/WindowMessages.h"

namespace ms1 {
namespace {

struct NoWindow final : MessageTarget {
    void Post(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
};

std::filesystem::path ProgramFolder() {
    const char* folder = std::getenv("MS1_PROGRAM_DIR");
    return folder != nullptr ? folder : "";
}

// Functions that write down their calls; `absent` names the ones the library lacks.
VendorHidFunctions Recording(std::vector<std::string>& calls, const std::string& absent) {
    VendorHidFunctions f;
    auto has = [&](const char* name) { return absent.find(name) == std::string::npos; };
    if (has("vidpid"))
        f.setVidPid = [&calls](std::uint16_t vid, std::uint16_t pid) {
            calls.push_back("vidpid " + std::to_string(vid) + ":" + std::to_string(pid));
            return 1;
        };
    if (has("monitor"))
        f.openDevMonitor = [&calls](const Ms1WindowHandle* window, std::uint32_t data,
                                    std::uint32_t state) {
            calls.push_back(std::string("monitor ") + (window ? "window " : "null ") +
                            std::to_string(data) + " " + std::to_string(state));
            return 1;
        };
    if (has("open"))
        f.openFeatureDevice = [&calls] {
            calls.push_back("open");
            return 1;
        };
    if (has("closefeature"))
        f.closeFeatureDevice = [&calls] { calls.push_back("closefeature"); };
    if (has("closemonitor"))
        f.closeDevMonitor = [&calls] { calls.push_back("closemonitor"); };
    if (has("set"))
        f.setFeature = [&calls](const std::uint8_t* data, std::size_t length) {
            calls.push_back("set " + std::to_string(data[0]) + " " + std::to_string(length));
            return 1;
        };
    return f;
}

struct Case {
    const char* name;
    const char* absent;
    bool bound;
    int opened;
    int sent;
    std::vector<std::string> calls;
};

class BindingCalls : public ::testing::TestWithParam<Case> {};

// Start-up (ids, monitor, feature device), one report, destruction (feature device, then
// monitor); a function the library lacks is skipped and never called.
TEST_P(BindingCalls, CallsWhatIsThereInOrder) {
    const Case& c = GetParam();
    std::vector<std::string> calls;
    NoWindow window;
    const std::uint8_t report[60] = {0x15};
    {
        VendorHidBinding binding(Recording(calls, c.absent), window);
        EXPECT_EQ(binding.IsBound(), c.bound);
        binding.StartMonitor();
        EXPECT_EQ(binding.OpenFeatureDevice(), c.opened);
        EXPECT_EQ(binding.SetFeature(report, sizeof report), c.sent);
    }
    EXPECT_EQ(calls, c.calls);
}

const Case kCases[] = {
    {"Whole",
     "",
     true,
     1,
     1,
     {"vidpid 7511:40977", "monitor window 1539 1540", "open", "set 21 60", "closefeature",
      "closemonitor"}},
    {"NoSetFeature",
     "set",
     true,
     1,
     0,
     {"vidpid 7511:40977", "monitor window 1539 1540", "open", "closefeature", "closemonitor"}},
    // Without the monitor there is nothing to close.
    {"NoMonitor",
     "monitor closemonitor",
     true,
     1,
     1,
     {"vidpid 7511:40977", "open", "set 21 60", "closefeature"}},
    {"NothingThere", "vidpid monitor open closefeature closemonitor set", false, 0, 0, {}},
};

INSTANTIATE_TEST_SUITE_P(Libraries, BindingCalls, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VendorHidLibrary, AMissingLibraryIsNoWiredLinkAndSaysWhy) {
    std::string why;
    EXPECT_EQ(VendorHidLibrary::Load("/nonexistent", &why), nullptr);
    EXPECT_NE(why.find("libhidapi_1.so"), std::string::npos) << why;
}

// The built library exports all seven names, and with no wired mouse on this machine it
// starts, finds nothing and ends cleanly.
TEST(VendorHidLibrary, TheBuiltLibraryHasEveryNameAndStartsAndEndsWithoutTheMouse) {
    std::string why;
    auto library = VendorHidLibrary::Load(ProgramFolder(), &why);
    ASSERT_NE(library, nullptr) << why;
    const VendorHidFunctions& f = library->Functions();
    EXPECT_TRUE(f.setVidPid && f.openDevMonitor && f.openFeatureDevice && f.closeFeatureDevice &&
                f.closeDevMonitor && f.setFeature && f.getFeature);
    NoWindow window;
    VendorHidBinding binding(f, window);
    binding.StartMonitor();
    EXPECT_EQ(binding.OpenFeatureDevice(), 0);
    const std::uint8_t report[60] = {0x15};
    EXPECT_EQ(binding.SetFeature(report, sizeof report), 0);
    binding.Close();
}

}  // namespace
}  // namespace ms1
