#include "core/ProfileRecord.h"

#include <algorithm>
#include <cstring>

namespace ms1 {
namespace {

constexpr std::uint8_t kDefaultFunctions[kPageButtons] = {1, 2, 3, 6, 0, 0,  4,  5, 0,
                                                          0, 0, 0, 0, 0, 11, 12, 0, 0};
constexpr std::int32_t kDefaultDpi[kDpiStages] = {16, 32, 48, 64, 100, 320, 0, 0};
constexpr std::int32_t kDefaultStageEnabled[kDpiStages] = {1, 1, 1, 1, 1, 1, 0, 0};
constexpr RgbColor kDefaultStageColors[kDpiStages] = {
    {255, 0, 0, 0},   {0, 255, 0, 0},   {0, 0, 255, 0},  {255, 0, 255, 0},
    {255, 255, 0, 0}, {0, 255, 255, 0}, {255, 64, 0, 0}, {255, 255, 255, 0}};
constexpr RgbColor kDefaultReservedColors[kDpiStages] = {
    {255, 0, 0, 0},   {0, 255, 0, 0},     {0, 0, 255, 0},     {255, 0, 255, 0},
    {255, 255, 0, 0}, {255, 255, 255, 0}, {255, 255, 255, 0}, {255, 128, 0, 0}};

std::uint8_t* EntryBytes(ButtonEntry& entry) {
    return reinterpret_cast<std::uint8_t*>(&entry);
}

}  // namespace

std::uint8_t DefaultButtonFunction(int buttonIndex) {
    if (buttonIndex < 0 || buttonIndex >= kPageButtons)
        return kFunctionOff;
    return kDefaultFunctions[buttonIndex];
}

std::unique_ptr<ProfileRecord> MakeZeroedProfile() {
    auto profile = std::make_unique<ProfileRecord>();
    std::memset(profile.get(), 0, sizeof(ProfileRecord));
    return profile;
}

void ResetProfileToDefaults(ProfileRecord& p) {
    for (auto& unit : p.reservedText1)
        unit = 0;
    for (auto& unit : p.reservedText2)
        unit = 0;
    p.reserved2200 = 420;
    p.reserved2204 = 3;
    p.reserved2208[0] = 0;
    p.reserved2212 = 6;
    std::memset(p.reserved2216, 0, sizeof p.reserved2216);
    p.reserved2224 = 0;
    p.liftOffDistance = 0;
    p.reserved2232 = 0;
    std::memset(p.reserved2236, 0, sizeof p.reserved2236);
    ResetDpiToDefaults(p);
    p.brightness = 8;
    p.breathSpeed = 6;
    p.sleepTimer = 10;
    p.lightOffTimer = 1;
    p.pollingRate = 3;
    p.moveCloseLight = 1;
    p.rippleControl = 1;
    p.angleSnap = 0;
    p.reserved2376 = 1;
    p.lightMode = 7;
    p.reserved2384 = 3;
    p.reserved2388[0] = 1;
    p.keyDebounce = 4;
    p.lightColor = {0, 255, 0, 0};
    for (int i = 0; i < kDpiStages; ++i)
        p.reservedColor[i] = kDefaultReservedColors[i];

    std::memset(p.button, 0, sizeof p.button);
    for (int k = 0; k < kPageButtons; ++k) {
        ButtonEntry& entry = p.button[k];
        entry.buttonIndex = static_cast<std::uint8_t>(k);
        entry.function = kDefaultFunctions[k];
        entry.reserved2 = 0;
        entry.reserved8 = 562;
        entry.macroIndex = -1;
        entry.reserved1076 = -1;
    }
}

void ResetDpiToDefaults(ProfileRecord& p) {
    p.activeStage = 1;
    for (int i = 0; i < kDpiStages; ++i) {
        p.dpiValue[i] = kDefaultDpi[i];
        p.dpiValueY[i] = kDefaultDpi[i];
        p.stageColor[i] = kDefaultStageColors[i];
        p.stageEnabled[i] = kDefaultStageEnabled[i];
    }
}

bool StageUsable(const ProfileRecord& p, int stage) {
    if (stage < 0 || stage >= kDpiStages)
        return false;
    return p.stageEnabled[stage] == 1 && p.dpiValue[stage] > 0;
}

int DpiStepToDisplay(int step) {
    step = std::clamp(step, 0, kMaxDpiStep);
    return step <= 200 ? step * 50 : (step - 100) * 100;
}

int DisplayToDpiStep(long long n) {
    if (n >= 24000)
        return kMaxDpiStep;
    if (n <= 50)
        return kMinDpiStep;
    if (n > 10000)
        return static_cast<int>(200 + (n - 10000) / 100);
    return static_cast<int>(n / 50);
}

std::uint32_t ColorToDisplay(RgbColor c) {
    return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

RgbColor DisplayToColor(std::uint32_t argb) {
    return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
            static_cast<std::uint8_t>(argb), 0};
}

void CopyMacroToButton(const MacroRecord& macro, ButtonEntry& entry) {
    entry.macroName.set(macro.name.get());
    entry.macroActionCount = static_cast<std::uint16_t>(macro.actionCount.get());
    std::memcpy(entry.macroActions, macro.actions, sizeof entry.macroActions);
}

MacroRecord MacroFromButton(const ButtonEntry& entry) {
    MacroRecord macro = MakeEmptyMacro(entry.macroName.get());
    macro.repeat = entry.macroRepeat.get();
    macro.actionCount = entry.macroActionCount.get();
    std::memcpy(macro.actions, entry.macroActions, sizeof macro.actions);
    return macro;
}

void ClearButtonMacro(ButtonEntry& entry, int buttonIndex) {
    std::uint8_t* bytes = EntryBytes(entry);
    bytes[0] = 0;
    entry.function = DefaultButtonFunction(buttonIndex);
    bytes[2] = 0;
    std::memset(bytes + 3, 0, 1072 - 3);
    entry.macroIndex = -1;
    std::memset(bytes + 1076, 0, sizeof(ButtonEntry) - 1076);
}

MacroResync ResyncMacroButtons(ProfileList& profiles, const MacroList& macros,
                               const ProfileRecord* working, const MacroNameChanges& changes) {
    constexpr int kResyncedButtons = 12;
    MacroResync result;
    for (auto& profile : profiles) {
        for (int k = 0; k < kResyncedButtons; ++k) {
            ButtonEntry& entry = profile->button[k];
            std::u16string name = entry.macroName.get();
            if (entry.function != kFunctionMacro && name.empty())
                continue;

            // The name the macro has now, or none when it was deleted on the way.
            bool deleted = false;
            for (const MacroNameChange& change : changes) {
                if (deleted || !NamesEqual(change.from, name))
                    continue;
                if (change.to) {
                    name = *change.to;
                } else {
                    deleted = true;
                }
            }
            const MacroRecord* found = nullptr;
            for (const auto& macro : macros) {
                if (!deleted && NamesEqual(macro.name.get(), name)) {
                    found = &macro;
                    break;
                }
            }
            const ButtonEntry before = entry;
            if (found) {
                entry.macroActionCount = static_cast<std::uint16_t>(found->actionCount.get());
                entry.macroName.set(found->name.get());
                std::memcpy(entry.macroActions, found->actions, sizeof entry.macroActions);
            } else {
                ClearButtonMacro(entry, k);
            }
            if (std::memcmp(&before, &entry, sizeof entry) != 0) {
                result.anyChanged = true;
                if (profile.get() == working)
                    result.workingChanged = true;
            }
        }
    }
    return result;
}

std::optional<std::string> CheckProfileBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(ProfileRecord)) {
        return "shorter than one profile (" + std::to_string(bytes.size()) + " of " +
               std::to_string(sizeof(ProfileRecord)) + " bytes)";
    }
    ProfileRecord profile;
    std::memcpy(&profile, bytes.data(), sizeof profile);
    if (!profile.profileName.terminated()) {
        return "the profile name is not terminated within its 100 characters";
    }
    for (int k = 0; k < kButtonEntries; ++k) {
        int count = profile.button[k].macroActionCount;
        if (count > kMaxMacroActions) {
            return "button " + std::to_string(k + 1) + " holds " + std::to_string(count) +
                   " macro actions (at most 200)";
        }
    }
    return std::nullopt;
}

std::unique_ptr<ProfileRecord> ProfileFromBytes(std::span<const std::uint8_t> bytes) {
    auto profile = MakeZeroedProfile();
    std::memcpy(profile.get(), bytes.data(), std::min(bytes.size(), sizeof(ProfileRecord)));
    return profile;
}

}  // namespace ms1
