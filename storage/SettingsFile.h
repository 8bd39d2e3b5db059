#pragma once

#include <filesystem>

#include "core/Result.h"
#include "storage/AtomicFileWriter.h"

namespace ms1 {

inline constexpr int kModelCount = 6;  // mouse pictures 0..5

// "setting.ini" in the data folder.
std::filesystem::path SettingsFilePath(const std::filesystem::path& dataFolder);

// The selected mouse picture, 0..5: "Model" in section "SETTING". A missing file or key, or
// a value that is not a number in 0..5, is replaced by 0, which is written back.
int ReadModel(const std::filesystem::path& dataFolder);
int ReadModel(const std::filesystem::path& dataFolder, AtomicFileWriter& writer);

// Writes "Model"; every other section and key of the file stays as it was.
Result WriteModel(const std::filesystem::path& dataFolder, int model);
Result WriteModel(const std::filesystem::path& dataFolder, int model, AtomicFileWriter& writer);

// The page style: "Theme" in section "SETTING", "light" or "dark". A missing or unknown value
// is the light style; reading never rewrites the file.
enum class Theme { Light, Dark };
Theme ReadTheme(const std::filesystem::path& dataFolder);
// Writes "Theme"; every other section and key of the file stays as it was.
Result WriteTheme(const std::filesystem::path& dataFolder, Theme theme);
Result WriteTheme(const std::filesystem::path& dataFolder, Theme theme, AtomicFileWriter& writer);

// Desktop notifications: "Notifications" (all of them) and "RuleNotifications" (profile
// switches by an application rule) in section "SETTING", "1" on and "0" off. A missing or
// unknown value is on; reading never rewrites the file.
struct NotificationSettings {
    bool all = true;
    bool ruleSwitches = true;
};
NotificationSettings ReadNotificationSettings(const std::filesystem::path& dataFolder);
// Writes both keys; every other section and key of the file stays as it was.
Result WriteNotificationSettings(const std::filesystem::path& dataFolder,
                                 const NotificationSettings& settings);
Result WriteNotificationSettings(const std::filesystem::path& dataFolder,
                                 const NotificationSettings& settings, AtomicFileWriter& writer);

}  // namespace ms1
