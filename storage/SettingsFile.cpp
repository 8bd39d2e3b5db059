#include "storage/SettingsFile.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "storage/IniText.h"

namespace ms1 {
namespace {

constexpr const char* kSection = "SETTING";
constexpr const char* kKey = "Model";
constexpr const char* kThemeKey = "Theme";
constexpr const char* kDark = "dark";
constexpr const char* kLight = "light";
constexpr const char* kNotificationsKey = "Notifications";
constexpr const char* kRuleNotificationsKey = "RuleNotifications";

// The file's text; empty when there is no file, nothing when a file is there but unreadable.
std::optional<std::string> ReadText(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::string();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return text;
}

std::optional<int> ParseModel(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < 0 || value >= kModelCount)
        return std::nullopt;
    return value;
}

// Sets one key of section "SETTING" and keeps the rest of the file.
Result WriteSetting(const std::filesystem::path& dataFolder, const char* key,
                    const std::string& value, AtomicFileWriter& writer) {
    const auto path = dataFolder / "setting.ini";
    auto old = ReadText(path);
    // Rewriting a file we could not read would lose whatever else the user keeps in it.
    if (!old)
        return Result::Failed(path.string() + ": cannot be read");
    IniText ini(*old);
    ini.Set(kSection, key, value);
    std::string text = ini.Text();
    return writer.Write(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// A switch of section "SETTING": "0" is off, anything else (or nothing) on.
bool ReadSwitch(const IniText& ini, const char* key) {
    const auto value = ini.Get(kSection, key);
    return !value || *value != "0";
}

}  // namespace

std::filesystem::path SettingsFilePath(const std::filesystem::path& dataFolder) {
    return dataFolder / "setting.ini";
}

int ReadModel(const std::filesystem::path& dataFolder) {
    AtomicFileWriter writer;
    return ReadModel(dataFolder, writer);
}

int ReadModel(const std::filesystem::path& dataFolder, AtomicFileWriter& writer) {
    IniText ini(ReadText(SettingsFilePath(dataFolder)).value_or(std::string()));
    if (auto text = ini.Get(kSection, kKey)) {
        if (auto model = ParseModel(*text))
            return *model;
    }
    WriteModel(dataFolder, 0, writer);
    return 0;
}

Result WriteModel(const std::filesystem::path& dataFolder, int model) {
    AtomicFileWriter writer;
    return WriteModel(dataFolder, model, writer);
}

Result WriteModel(const std::filesystem::path& dataFolder, int model, AtomicFileWriter& writer) {
    return WriteSetting(dataFolder, kKey, std::to_string(model), writer);
}

Theme ReadTheme(const std::filesystem::path& dataFolder) {
    IniText ini(ReadText(SettingsFilePath(dataFolder)).value_or(std::string()));
    const auto value = ini.Get(kSection, kThemeKey);
    return value && *value == kDark ? Theme::Dark : Theme::Light;
}

Result WriteTheme(const std::filesystem::path& dataFolder, Theme theme) {
    AtomicFileWriter writer;
    return WriteTheme(dataFolder, theme, writer);
}

Result WriteTheme(const std::filesystem::path& dataFolder, Theme theme, AtomicFileWriter& writer) {
    return WriteSetting(dataFolder, kThemeKey, theme == Theme::Dark ? kDark : kLight, writer);
}

NotificationSettings ReadNotificationSettings(const std::filesystem::path& dataFolder) {
    IniText ini(ReadText(SettingsFilePath(dataFolder)).value_or(std::string()));
    return {ReadSwitch(ini, kNotificationsKey), ReadSwitch(ini, kRuleNotificationsKey)};
}

Result WriteNotificationSettings(const std::filesystem::path& dataFolder,
                                 const NotificationSettings& settings) {
    AtomicFileWriter writer;
    return WriteNotificationSettings(dataFolder, settings, writer);
}

Result WriteNotificationSettings(const std::filesystem::path& dataFolder,
                                 const NotificationSettings& settings, AtomicFileWriter& writer) {
    if (Result done = WriteSetting(dataFolder, kNotificationsKey, settings.all ? "1" : "0", writer);
        !done)
        return done;
    return WriteSetting(dataFolder, kRuleNotificationsKey, settings.ruleSwitches ? "1" : "0",
                        writer);
}

}  // namespace ms1
