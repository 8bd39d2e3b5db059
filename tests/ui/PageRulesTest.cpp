// The page loads the application-profile rules with its stores.
#include <gtest/gtest.h>

#include <string>

#include "storage/AppProfileRules.h"
#include "tests/support/TempFolder.h"
#include "ui/PageFixture.h"

namespace ms1 {
namespace {

using namespace test::files;
using PageRules = test::PageFixture;

Bytes Profiles(std::initializer_list<const char*> names) {
    Bytes bytes(kHeader + names.size() * kRecord, 0);
    std::size_t at = kHeader;
    for (const char* name : names) {
        PutName(bytes, at, name);
        at += kRecord;
    }
    return bytes;
}

struct LoadCase {
    const char* label;
    Bytes profiles;  // pro.data as found; empty: none
    std::string rules;
    std::string rulesAfter;  // the file after the load
    std::size_t notices;     // damaged files the page tells of
};

// Rules for profiles that are not stored go at start, and the file says so; a profile store
// that had to start afresh takes no rules with it.
TEST_F(PageRules, RulesForProfilesThatAreGoneGoAtStart) {
    const std::string top =
        "# ms1 application profiles: \"switch\" TAB on|off, then \"rule\" TAB application TAB "
        "profile\n";
    const LoadCase cases[] = {
        {"all stored", Profiles({"Main", "Drawing"}), "rule\ta\tdrawing\nrule\tb\tMain\n",
         top + "switch\ton\nrule\ta\tDrawing\nrule\tb\tMain\n", 0},
        {"one gone", Profiles({"Main"}), "rule\ta\tDrawing\nrule\tb\tMain\n",
         top + "switch\ton\nrule\tb\tMain\n", 0},
        {"damaged profile store", Bytes(1000, 0x11), "rule\ta\tDrawing\n", "rule\ta\tDrawing\n", 1},
        // Kept aside and left as found until the next change.
        {"damaged rules", Profiles({"Main"}), "rule\tb\tMain\nnonsense\n",
         "rule\tb\tMain\nnonsense\n", 1},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.label);
        page_.reset();
        std::filesystem::remove_all(data_ / "ms_1");
        if (!c.profiles.empty())
            WriteBytes(data_ / "ms_1" / "pro.data", c.profiles);
        WriteText(data_ / "ms_1" / "appprofiles.txt", c.rules);
        AppProfileRules rules(data_);
        profiles_ = std::make_unique<ProfileStore>(data_);
        macros_ = std::make_unique<MacroStore>(data_);
        page_ = std::make_unique<CMS_1_Page>(MousePageDeps{
            controls_, dialogs_, apply_, apply_, *profiles_, *macros_, data_, texts_, *layout_});
        page_->SetAppProfileRules(&rules);
        page_->InitPage();
        page_->LoadProfiles();
        dialogs_.problems.clear();
        page_->ShowStoreNotices();
        EXPECT_EQ(dialogs_.problems.size(), c.notices);
        EXPECT_EQ(ReadText(data_ / "ms_1" / "appprofiles.txt"), c.rulesAfter);
        page_.reset();
    }
}

TEST_F(PageRules, ActiveReasonShowsTheRulesApplication) {
    Start();
    page_->ShowActiveReason(u"firefox");
    EXPECT_EQ(controls_.Text("ms_1_label_active_reason"), "by rule: firefox");
    EXPECT_TRUE(controls_.IsVisible("ms_1_label_active_reason"));
    page_->ShowActiveReason(u"");
    EXPECT_EQ(controls_.Text("ms_1_label_active_reason"), "");
    EXPECT_FALSE(controls_.IsVisible("ms_1_label_active_reason"));
}

}  // namespace
}  // namespace ms1
