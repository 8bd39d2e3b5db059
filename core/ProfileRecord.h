#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "core/LittleEndian.h"
#include "core/MacroRecord.h"
#include "core/Utf16Text.h"

namespace ms1 {

inline constexpr int kButtonEntries = 24;
inline constexpr int kPageButtons = 18;  // buttons shown, uploaded and imported
inline constexpr int kDpiStages = 8;
// DPI steps the page can set: 1 is 50 DPI, 340 is 24000 DPI.
inline constexpr int kMinDpiStep = 1;
inline constexpr int kMaxDpiStep = 340;
inline constexpr std::size_t kProfileNameMaxChars = 99;

// Button function codes that the program treats specially.
inline constexpr std::uint8_t kFunctionOff = 0;
inline constexpr std::uint8_t kFunctionLeftClick = 1;
inline constexpr std::uint8_t kFunctionKeyCombination = 16;
inline constexpr std::uint8_t kFunctionMacro = 17;

// Modifier bits of a key combination.
inline constexpr std::uint8_t kModCtrl = 0x01;
inline constexpr std::uint8_t kModShift = 0x02;
inline constexpr std::uint8_t kModAlt = 0x04;
inline constexpr std::uint8_t kModWin = 0x08;

struct RgbColor {
    std::uint8_t r, g, b, spare;
};

// What one button does, with its own copy of an assigned macro. 1888 bytes.
struct ButtonEntry {
    std::uint8_t buttonIndex;
    std::uint8_t function;
    std::uint8_t reserved2;
    std::uint8_t key;
    std::uint8_t reserved4[3];
    std::uint8_t modifiers;
    le_u16 reserved8;
    le_u16 reserved10;
    le_i32 macroMode;
    Utf16Field<24> macroName;
    le_i32 macroRepeat;
    le_u16 macroActionCount;
    std::uint8_t reserved70[2];
    std::uint8_t reserved72[1000];
    le_i32 macroIndex;
    le_i32 reserved1076;
    std::uint8_t reserved1080[4];
    std::uint8_t reserved1084[4];  // the first three go to the mouse in a macro's first page
    MacroAction macroActions[kMaxMacroActions];
};

// One profile, 47776 bytes: the same bytes in memory, in "pro.data" and in "*.pro" files.
struct ProfileRecord {
    Utf16Field<100> profileName;
    le_u16 reservedText1[500];
    le_u16 reservedText2[500];
    le_i32 reserved2200;
    le_i32 reserved2204;
    std::uint8_t reserved2208[4];
    le_i32 reserved2212;
    std::uint8_t reserved2216[8];
    le_i32 reserved2224;
    le_i32 liftOffDistance;
    le_i32 reserved2232;
    std::uint8_t reserved2236[8];
    le_i32 dpiValue[kDpiStages];
    le_i32 dpiValueY[kDpiStages];
    le_i32 stageEnabled[kDpiStages];
    le_i32 brightness;
    le_i32 breathSpeed;
    le_i32 sleepTimer;
    le_i32 lightOffTimer;
    le_i32 activeStage;
    le_i32 pollingRate;
    le_i32 moveCloseLight;
    le_i32 rippleControl;
    le_i32 angleSnap;
    le_i32 reserved2376;
    le_i32 lightMode;
    le_i32 reserved2384;
    std::uint8_t reserved2388[4];
    le_i32 keyDebounce;
    RgbColor lightColor;
    RgbColor stageColor[kDpiStages];
    RgbColor reservedColor[kDpiStages];
    ButtonEntry button[kButtonEntries];
};

static_assert(std::is_standard_layout_v<ProfileRecord> &&
              std::is_trivially_copyable_v<ProfileRecord>);
static_assert(sizeof(ButtonEntry) == 1888);
static_assert(sizeof(ProfileRecord) == 47776);
static_assert(offsetof(ButtonEntry, function) == 1);
static_assert(offsetof(ButtonEntry, key) == 3);
static_assert(offsetof(ButtonEntry, modifiers) == 7);
static_assert(offsetof(ButtonEntry, reserved8) == 8);
static_assert(offsetof(ButtonEntry, macroMode) == 12);
static_assert(offsetof(ButtonEntry, macroName) == 16);
static_assert(offsetof(ButtonEntry, macroRepeat) == 64);
static_assert(offsetof(ButtonEntry, macroActionCount) == 68);
static_assert(offsetof(ButtonEntry, macroIndex) == 1072);
static_assert(offsetof(ButtonEntry, reserved1076) == 1076);
static_assert(offsetof(ButtonEntry, reserved1084) == 1084);
static_assert(offsetof(ButtonEntry, macroActions) == 1088);
static_assert(offsetof(ProfileRecord, reservedText1) == 200);
static_assert(offsetof(ProfileRecord, reservedText2) == 1200);
static_assert(offsetof(ProfileRecord, reserved2200) == 2200);
static_assert(offsetof(ProfileRecord, reserved2212) == 2212);
static_assert(offsetof(ProfileRecord, reserved2224) == 2224);
static_assert(offsetof(ProfileRecord, liftOffDistance) == 2228);
static_assert(offsetof(ProfileRecord, reserved2232) == 2232);
static_assert(offsetof(ProfileRecord, dpiValue) == 2244);
static_assert(offsetof(ProfileRecord, dpiValueY) == 2276);
static_assert(offsetof(ProfileRecord, stageEnabled) == 2308);
static_assert(offsetof(ProfileRecord, brightness) == 2340);
static_assert(offsetof(ProfileRecord, breathSpeed) == 2344);
static_assert(offsetof(ProfileRecord, sleepTimer) == 2348);
static_assert(offsetof(ProfileRecord, lightOffTimer) == 2352);
static_assert(offsetof(ProfileRecord, activeStage) == 2356);
static_assert(offsetof(ProfileRecord, pollingRate) == 2360);
static_assert(offsetof(ProfileRecord, moveCloseLight) == 2364);
static_assert(offsetof(ProfileRecord, rippleControl) == 2368);
static_assert(offsetof(ProfileRecord, angleSnap) == 2372);
static_assert(offsetof(ProfileRecord, reserved2376) == 2376);
static_assert(offsetof(ProfileRecord, lightMode) == 2380);
static_assert(offsetof(ProfileRecord, reserved2384) == 2384);
static_assert(offsetof(ProfileRecord, reserved2388) == 2388);
static_assert(offsetof(ProfileRecord, keyDebounce) == 2392);
static_assert(offsetof(ProfileRecord, lightColor) == 2396);
static_assert(offsetof(ProfileRecord, stageColor) == 2400);
static_assert(offsetof(ProfileRecord, reservedColor) == 2432);
static_assert(offsetof(ProfileRecord, button) == 2464);

// The page's profiles: separately allocated so that a reference to the working profile
// survives the list growing.
using ProfileList = std::vector<std::unique_ptr<ProfileRecord>>;

inline std::u16string RecordName(const ProfileRecord& record) {
    return record.profileName.get();
}
inline std::u16string RecordName(const std::unique_ptr<ProfileRecord>& record) {
    return record->profileName.get();
}

// Default function of buttons 1..18.
std::uint8_t DefaultButtonFunction(int buttonIndex);

// A record of zero bytes; creators start from this, reset to defaults and name it.
std::unique_ptr<ProfileRecord> MakeZeroedProfile();

// Writes every default setting; leaves the name and the unnamed bytes alone.
void ResetProfileToDefaults(ProfileRecord& profile);
// Only the eight DPI stages, their colours and flags, and the active stage.
void ResetDpiToDefaults(ProfileRecord& profile);

// Steps below 0 show as 0, like the 0 of an unused stage, and steps above the highest as the
// highest: any number a damaged record holds is shown without overflow.
// A stage the mouse can run on: switched on and above 0 DPI. `stage` is 0..7.
bool StageUsable(const ProfileRecord& profile, int stage);

int DpiStepToDisplay(int step);
int DisplayToDpiStep(long long typed);

// A colour as shown (0xFFRRGGBB) and as stored (R, G, B, 0).
std::uint32_t ColorToDisplay(RgbColor color);
RgbColor DisplayToColor(std::uint32_t argb);

// The copies of a macro that a button entry carries.
void CopyMacroToButton(const MacroRecord& macro, ButtonEntry& entry);
MacroRecord MacroFromButton(const ButtonEntry& entry);

// Removes a vanished macro from a button: the entry returns to its default function.
void ClearButtonMacro(ButtonEntry& entry, int buttonIndex);

// What became of a macro's name while the macro editor was open: renamed to `to`, or deleted
// (no `to`).
struct MacroNameChange {
    std::u16string from;
    std::optional<std::u16string> to;
};
using MacroNameChanges = std::vector<MacroNameChange>;

struct MacroResync {
    bool workingChanged = false;  // the caller redraws the labels and requests an apply
    bool anyChanged = false;      // the profile store needs writing
};

// Brings the macro copies of the first 12 buttons of every profile up to date with the macro
// list, by name. A button follows the renames of its macro in `changes` (applied in order) and
// is freed when its macro was deleted or is gone. Says which entries changed, byte for byte.
MacroResync ResyncMacroButtons(ProfileList& profiles, const MacroList& macros,
                               const ProfileRecord* working, const MacroNameChanges& changes = {});

// Why bytes offered as a profile file cannot be taken, or nothing when they can.
std::optional<std::string> CheckProfileBytes(std::span<const std::uint8_t> bytes);

// Copies the first record out of checked bytes.
std::unique_ptr<ProfileRecord> ProfileFromBytes(std::span<const std::uint8_t> bytes);

inline std::span<const std::uint8_t> BytesOf(const ProfileRecord& profile) {
    return {reinterpret_cast<const std::uint8_t*>(&profile), sizeof profile};
}
inline std::span<const std::uint8_t> BytesOf(const MacroRecord& macro) {
    return {reinterpret_cast<const std::uint8_t*>(&macro), sizeof macro};
}

}  // namespace ms1
