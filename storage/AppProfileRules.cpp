#include "storage/AppProfileRules.h"

#include <algorithm>

#include "core/Utf16Text.h"
#include "storage/PrivateFiles.h"
#include "storage/StoreFileIo.h"

namespace ms1 {
namespace {

constexpr std::string_view kComment =
    "# ms1 application profiles: \"switch\" TAB on|off, then \"rule\" TAB application TAB "
    "profile\n";

bool AppsEqual(std::string_view a, std::string_view b) {
    return NamesEqual(FromUtf8(a), FromUtf8(b));
}

bool IsUtf8(std::string_view text) {
    return ToUtf8(FromUtf8(text)) == text;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

}  // namespace

AppProfileRules::AppProfileRules(std::filesystem::path dataFolder, AtomicFileWriter* writer)
    : dataFolder_(std::move(dataFolder)), writer_(writer ? writer : &defaultWriter_) {}

std::filesystem::path AppProfileRules::FilePath(const std::filesystem::path& dataFolder) {
    return dataFolder / "ms_1" / "appprofiles.txt";
}

std::filesystem::path AppProfileRules::FilePath() const {
    return FilePath(dataFolder_);
}

bool AppProfileRules::ValidAppId(std::string_view app) {
    if (app.empty() || app.size() > 255 || !IsUtf8(app))
        return false;
    bool onlySpaces = true;
    for (char c : app) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        if (c != ' ')
            onlySpaces = false;
    }
    return !onlySpaces;
}

StoreLoadReport AppProfileRules::Load(StoreMode mode) {
    std::unique_lock lock(mutex_);
    StoreLoadReport report;
    const auto path = FilePath();
    const bool writes = mode == StoreMode::ReadWrite;
    rules_.clear();
    switchOn_ = true;
    onDisk_.reset();
    savesAllowed_ = Result::Done();
    if (writes)
        AtomicFileWriter::RemoveStaleTemporaries(path);
    StoreFileContents file = ReadStoreFile(path);
    if (!file.exists) {
        onDisk_.emplace();
        return report;
    }
    const std::string text(file.bytes.begin(), file.bytes.end());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto fields = SplitTabs(line);
        bool taken = false;
        if (!IsUtf8(line)) {
            taken = false;
        } else if (fields.size() == 2 && fields[0] == "switch" &&
                   (fields[1] == "on" || fields[1] == "off")) {
            switchOn_ = fields[1] == "on";
            taken = true;
        } else if (fields.size() == 3 && fields[0] == "rule") {
            auto app = Unescape(fields[1]);
            auto profile = Unescape(fields[2]);
            if (app && profile && ValidAppId(*app) && !profile->empty() &&
                Find(*app) == rules_.end()) {
                rules_.push_back({*app, FromUtf8(*profile)});
                taken = true;
            }
        }
        if (!taken)
            ++report.droppedRecords;
    }
    if (file.readable)
        onDisk_ = std::move(file.bytes);
    const bool lost = !file.readable || report.droppedRecords > 0;
    if (lost && writes)
        savesAllowed_ = KeepDamagedFile(path, !file.readable, report);
    return report;
}

std::vector<AppProfileRule>::iterator AppProfileRules::Find(std::string_view appId) {
    return std::find_if(rules_.begin(), rules_.end(),
                        [&](const AppProfileRule& rule) { return AppsEqual(rule.app, appId); });
}

std::vector<AppProfileRule>::const_iterator AppProfileRules::Find(std::string_view appId) const {
    return std::find_if(rules_.begin(), rules_.end(),
                        [&](const AppProfileRule& rule) { return AppsEqual(rule.app, appId); });
}

std::optional<std::u16string> AppProfileRules::ProfileFor(std::string_view appId) const {
    std::lock_guard lock(mutex_);
    auto rule = Find(appId);
    if (rule == rules_.end())
        return std::nullopt;
    return rule->profile;
}

bool AppProfileRules::Enabled() const {
    std::lock_guard lock(mutex_);
    return switchOn_ && !rules_.empty();
}

bool AppProfileRules::SwitchOn() const {
    std::lock_guard lock(mutex_);
    return switchOn_;
}

std::vector<AppProfileRule> AppProfileRules::Rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

bool AppProfileRules::Has(std::string_view appId) const {
    std::lock_guard lock(mutex_);
    return Find(appId) != rules_.end();
}

Result AppProfileRules::Set(std::string_view app, std::u16string_view profile) {
    if (!ValidAppId(app))
        return Result::Failed("not an application id: \"" + std::string(app) + "\"");
    if (profile.empty())
        return Result::Failed("a rule needs a profile");
    std::unique_lock lock(mutex_);
    auto rule = Find(app);
    if (rule != rules_.end()) {
        const bool changed = rule->profile != profile;
        rule->profile = profile;
        return Changed(lock, changed);
    }
    if (rules_.empty())
        switchOn_ = true;
    rules_.push_back({std::string(app), std::u16string(profile)});
    return Changed(lock, true);
}

Result AppProfileRules::Unset(std::string_view appId) {
    std::unique_lock lock(mutex_);
    auto rule = Find(appId);
    if (rule == rules_.end())
        return Result::Done();
    rules_.erase(rule);
    return Changed(lock, true);
}

Result AppProfileRules::SetSwitch(bool on) {
    std::unique_lock lock(mutex_);
    const bool changed = switchOn_ != on;
    switchOn_ = on;
    return Changed(lock, changed);
}

Result AppProfileRules::ProfileRenamed(std::u16string_view from, std::u16string_view to) {
    std::unique_lock lock(mutex_);
    bool changed = false;
    for (auto& rule : rules_) {
        if (NamesEqual(rule.profile, from) && rule.profile != to) {
            rule.profile = to;
            changed = true;
        }
    }
    return Changed(lock, changed);
}

Result AppProfileRules::ProfileDeleted(std::u16string_view name) {
    std::unique_lock lock(mutex_);
    const auto gone = std::remove_if(rules_.begin(), rules_.end(), [&](const AppProfileRule& rule) {
        return NamesEqual(rule.profile, name);
    });
    const bool changed = gone != rules_.end();
    rules_.erase(gone, rules_.end());
    return Changed(lock, changed);
}

Result AppProfileRules::KeepOnlyProfiles(const std::vector<std::u16string>& stored) {
    std::unique_lock lock(mutex_);
    bool changed = false;
    std::vector<AppProfileRule> kept;
    for (auto& rule : rules_) {
        auto match = std::find_if(stored.begin(), stored.end(), [&](const std::u16string& name) {
            return NamesEqual(name, rule.profile);
        });
        if (match == stored.end()) {
            changed = true;
            continue;
        }
        if (*match != rule.profile)
            changed = true;
        kept.push_back({rule.app, *match});
    }
    rules_ = std::move(kept);
    return Changed(lock, changed);
}

std::vector<std::uint8_t> AppProfileRules::FileBytes() const {
    std::string text(kComment);
    text += switchOn_ ? "switch\ton\n" : "switch\toff\n";
    for (const auto& rule : rules_)
        text += "rule\t" + Escape(rule.app) + "\t" + Escape(ToUtf8(rule.profile)) + "\n";
    return {text.begin(), text.end()};
}

Result AppProfileRules::SaveLocked() {
    const auto path = FilePath();
    if (!savesAllowed_)
        return savesAllowed_;
    if (std::error_code error = CreatePrivateFolders(path.parent_path()))
        return Result::Failed(path.parent_path().string() + ": " + error.message());
    const std::vector<std::uint8_t> bytes = FileBytes();
    Result written = writer_->Write(path, bytes);
    if (written) {
        onDisk_ = bytes;
    } else {
        onDisk_.reset();
    }
    return written;
}

Result AppProfileRules::Save() {
    std::lock_guard lock(mutex_);
    return SaveLocked();
}

Result AppProfileRules::SaveIfChanged() {
    std::lock_guard lock(mutex_);
    if (savesAllowed_ && onDisk_ && *onDisk_ == FileBytes())
        return Result::Done();
    return SaveLocked();
}

Result AppProfileRules::Changed(std::unique_lock<std::mutex>& lock, bool changed) {
    if (!changed)
        return Result::Done();
    Result saved = SaveLocked();
    std::vector<std::function<void()>> listeners;
    for (const auto& [id, listener] : listeners_)
        listeners.push_back(listener);
    lock.unlock();
    for (const auto& listener : listeners)
        listener();
    return saved;
}

int AppProfileRules::AddListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    listeners_[nextListener_] = std::move(listener);
    return nextListener_++;
}

void AppProfileRules::RemoveListener(int id) {
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

}  // namespace ms1
