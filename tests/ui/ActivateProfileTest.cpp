// The page makes a profile active by name: by hand as the list does (its whole apply), or
// for the user (an application rule: only what differs, cutting short an apply under way).
#include <gtest/gtest.h>

#include "tests/ui/PageFixture.h"

namespace ms1::test {
namespace {

class ActivateProfile : public PageFixture {
  protected:
    void SetUp() override {
        PageFixture::SetUp();
        ProfileStore store(data_);
        store.LoadProfileStore(u"Profile");
        auto access = store.Lock();
        access.AddDefaultProfile(u"Paint");
        access.Profiles().back()->profileName.set(u"Paint");
        access.Profiles().back()->brightness = 1;
        ASSERT_TRUE(access.SaveProfileStore());
    }
};

struct Step {
    const char* name;
    bool byHand;
    bool found;
    int selected;      // the active profile's index afterwards, in the page and its list
    int applies;       // whole applies asked for
    int instead;       // applies asked for in place of the one under way
    bool fullPending;  // a full apply waits
    int brightness;    // the working profile's, as the page shows it
};

TEST_F(ActivateProfile, ByHandOrForTheUserWithoutRegardToLetterCase) {
    CMS_1_Page& page = Start();
    {
        auto lock = page.Lock();
        page.FullApplyPending() = false;  // the start-up's full apply went
    }
    std::vector<std::u16string> heard;
    page.onChosenByHand = [&](const std::u16string& name) { heard.push_back(name); };
    const Step steps[] = {
        {"pAINT", false, true, 1, 0, 1, false, 1},
        {"Paint", false, true, 1, 0, 1, false, 1},  // active already: nothing asked
        {"nobody", false, false, 1, 0, 1, false, 1},
        {"PROFILE1", false, true, 0, 0, 2, false, 8},
        {"paint", true, true, 1, 1, 2, true, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::string name = step.name;
        EXPECT_EQ(page.ActivateProfile(std::u16string(name.begin(), name.end()), step.byHand),
                  step.found);
        EXPECT_EQ(page.SelectedIndex(), step.selected);
        EXPECT_EQ(controls_.listSelection, step.selected);
        EXPECT_EQ(apply_.now, step.applies);
        EXPECT_EQ(apply_.instead, step.instead);
        auto lock = page.Lock();
        EXPECT_EQ(page.FullApplyPending(), step.fullPending);
        EXPECT_EQ(page.Working().brightness, step.brightness);
    }
    EXPECT_EQ(heard, (std::vector<std::u16string>{u"Paint"})) << "only the choice by hand";
    EXPECT_EQ(page.ActiveProfileName(), u"Paint");
}

}  // namespace
}  // namespace ms1::test
