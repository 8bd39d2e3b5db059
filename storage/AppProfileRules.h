#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "storage/AtomicFileWriter.h"
#include "storage/StoreLoadReport.h"

namespace ms1 {

// "While a window of application `app` has the focus, use profile `profile`."
struct AppProfileRule {
    std::string app;         // the application id as the user gave it (UTF-8)
    std::u16string profile;  // the stored profile's name
};

// The application-profile rules and the file "ms_1/appprofiles.txt" that keeps them.
//
// The file is UTF-8 text, one entry a line, fields separated by one TAB:
//   # a comment (the program writes one line of them at the top)
//   switch<TAB>on            or  switch<TAB>off: the one switch of the whole feature
//   rule<TAB>APP<TAB>PROFILE  one rule, in the order they are listed
// In APP and PROFILE a backslash, TAB, line feed and carriage return are written as "\\",
// "\t", "\n" and "\r". Empty lines are ignored. A line of any other form, a rule with an empty
// field or one for an application that already has a rule is dropped; the file as found is
// then copied aside as "appprofiles.txt.bad" (older ones move up a number, as the stores do)
// and the rest is used. A file that cannot be read at all is moved aside.
//
// Application ids are matched without regard to letter case. The switch is on when the file
// does not say, and the first rule added to an empty list turns it on: with no rules it means
// nothing, so a rule the user adds is meant to work.
//
// Every call may come from any thread. A change is saved at once; when the save fails, the
// change stays in memory and the failure is returned.
class AppProfileRules {
  public:
    explicit AppProfileRules(std::filesystem::path dataFolder, AtomicFileWriter* writer = nullptr);

    // Reads the file (see above). Nothing there is an empty list with the switch on.
    StoreLoadReport Load(StoreMode mode = StoreMode::ReadWrite);

    // The profile for a window of application `appId`, whether or not the switch is on.
    std::optional<std::u16string> ProfileFor(std::string_view appId) const;
    // Whether automatic switching is wanted: the switch is on and there is a rule.
    bool Enabled() const;
    // The switch as set, with or without rules.
    bool SwitchOn() const;
    std::vector<AppProfileRule> Rules() const;
    bool Has(std::string_view appId) const;

    // Adds the rule for `app`, or gives the application's rule another profile.
    Result Set(std::string_view app, std::u16string_view profile);
    // Removes the rule of `appId`; Done when there was none.
    Result Unset(std::string_view appId);
    Result SetSwitch(bool on);

    // A stored profile was renamed: its rules follow it.
    Result ProfileRenamed(std::u16string_view from, std::u16string_view to);
    // A stored profile was deleted: its rules go with it.
    Result ProfileDeleted(std::u16string_view name);
    // Drops the rules whose profile is none of `stored` and writes each kept rule's profile as
    // it is spelled there (files edited by hand, profiles deleted while the program was not
    // running). Saves only when something changed.
    Result KeepOnlyProfiles(const std::vector<std::u16string>& stored);

    Result Save();
    // Saves only when the rules differ from the file as last read or written.
    Result SaveIfChanged();

    // Called after every change, from the thread that made it, with no lock held.
    int AddListener(std::function<void()> listener);
    void RemoveListener(int id);

    // Whether `app` can be an application id: not empty, at most 255 bytes of UTF-8, no control
    // characters, not only spaces.
    static bool ValidAppId(std::string_view app);

    std::filesystem::path FilePath() const;
    static std::filesystem::path FilePath(const std::filesystem::path& dataFolder);

  private:
    std::vector<std::uint8_t> FileBytes() const;
    Result SaveLocked();
    // Saves when `changed`, then tells the listeners.
    Result Changed(std::unique_lock<std::mutex>& lock, bool changed);
    std::vector<AppProfileRule>::iterator Find(std::string_view appId);
    std::vector<AppProfileRule>::const_iterator Find(std::string_view appId) const;

    std::filesystem::path dataFolder_;
    AtomicFileWriter defaultWriter_;
    AtomicFileWriter* writer_;
    mutable std::mutex mutex_;
    std::vector<AppProfileRule> rules_;
    bool switchOn_ = true;
    std::optional<std::vector<std::uint8_t>> onDisk_;
    Result savesAllowed_;
    std::map<int, std::function<void()>> listeners_;
    int nextListener_ = 1;
};

}  // namespace ms1
