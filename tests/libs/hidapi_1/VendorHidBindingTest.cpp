#include "transport/VendorHidBinding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ports/WindowMessages.h"
#include "tests/support/ResultText.h"

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
    const char* opened;  // "done", or why the feature device did not open
    const char* sent;    // "done", or why the report did not go
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
        EXPECT_EQ(test::Said(binding.OpenFeatureDevice()), c.opened);
        EXPECT_EQ(test::Said(binding.SetFeature(report, sizeof report)), c.sent);
    }
    EXPECT_EQ(calls, c.calls);
}

const Case kCases[] = {
    {"Whole",
     "",
     true,
     "done",
     "done",
     {"vidpid 7511:40977", "monitor window 1539 1540", "open", "set 21 60", "closefeature",
      "closemonitor"}},
    {"NoSetFeature",
     "set",
     true,
     "done",
     "the vendor library has no HID_SetFeature",
     {"vidpid 7511:40977", "monitor window 1539 1540", "open", "closefeature", "closemonitor"}},
    // Without the monitor there is nothing to close.
    {"NoMonitor",
     "monitor closemonitor",
     true,
     "done",
     "done",
     {"vidpid 7511:40977", "open", "set 21 60", "closefeature"}},
    {"NothingThere",
     "vidpid monitor open closefeature closemonitor set",
     false,
     "the vendor library has no HID_Open_FeatureDevice",
     "the vendor library has no HID_SetFeature",
     {}},
};

INSTANTIATE_TEST_SUITE_P(Libraries, BindingCalls, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VendorHidLibrary, AMissingLibraryIsNoWiredLinkAndSaysWhy) {
    const auto missing = VendorHidLibrary::Load("/nonexistent");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.value(), nullptr);
    EXPECT_NE(missing.reason().find("libhidapi_1.so"), std::string::npos) << missing.reason();
}

// The built library exports all seven names, and with no wired mouse on this machine it
// starts, finds nothing and ends cleanly.
TEST(VendorHidLibrary, TheBuiltLibraryHasEveryNameAndStartsAndEndsWithoutTheMouse) {
    auto loaded = VendorHidLibrary::Load(ProgramFolder());
    ASSERT_TRUE(loaded) << loaded.reason();
    const auto library = std::move(loaded).value();
    ASSERT_NE(library, nullptr);
    const VendorHidFunctions& f = library->Functions();
    EXPECT_TRUE(f.setVidPid && f.openDevMonitor && f.openFeatureDevice && f.closeFeatureDevice &&
                f.closeDevMonitor && f.setFeature && f.getFeature);
    NoWindow window;
    VendorHidBinding binding(f, window);
    binding.StartMonitor();
    EXPECT_EQ(test::Said(binding.OpenFeatureDevice()),
              "no wired mouse answered HID_Open_FeatureDevice");
    const std::uint8_t report[60] = {0x15};
    EXPECT_EQ(test::Said(binding.SetFeature(report, sizeof report)), "HID_SetFeature failed");
    binding.Close();
    EXPECT_EQ(test::Said(binding.SetFeature(report, sizeof report)),
              "the vendor library is closed");
}

}  // namespace
}  // namespace ms1
