#include "protocol/ApplyPlan.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/ReportBytes.h"

namespace ms1 {
namespace {

using test::Action;
using test::DefaultProfile;

// "14", "15", ... and "19/11" for a macro page with its page number.
std::vector<std::string> Commands(const std::vector<PlannedReport>& reports) {
    std::vector<std::string> names;
    for (const auto& r : reports) {
        std::string name = test::Hex(r.bytes, 0, 1);
        if (r.bytes[0] == 0x19) {
            // Appended in steps: "x" + a temporary string draws a false -Wrestrict from GCC 12.
            name += '/';
            name += std::to_string(r.bytes[2]);
        }
        names.push_back(name);
    }
    return names;
}

std::unique_ptr<ProfileRecord> Copy(const ProfileRecord& p) {
    auto copy = MakeZeroedProfile();
    std::memcpy(copy.get(), &p, sizeof p);
    return copy;
}

TEST(ApplyPlan, FullApplySendsEveryGroupThenEachMacroButtonInOrder) {
    auto p = DefaultProfile();
    test::SetMacro(p->button[3], {Action(4, 1, 10), Action(4, 2, 10)});            // start page 16
    test::SetMacro(p->button[0], std::vector<MacroAction>(60, Action(5, 1, 10)));  // pages 1, 2
    p->button[7].macroActionCount = 3;  // not a macro button: no pages
    auto reports = ListApplyReports(*p, nullptr);
    EXPECT_EQ(Commands(reports),
              (std::vector<std::string>{"1c", "14", "15", "16", "18", "19/1", "19/2", "19/16"}));
    EXPECT_EQ(reports[5].group, ReportGroup::Macro);
    EXPECT_EQ(reports[5].button, 0);
    EXPECT_EQ(reports[7].button, 3);
    EXPECT_EQ(reports[0].bytes.size(), 60u);
    EXPECT_EQ(reports[7].bytes.size(), 131u);
}

TEST(ApplyPlan, EachFieldLandsInItsGroup) {
    struct Row {
        const char* what;
        void (*change)(ProfileRecord&);
        std::vector<std::string> sent;
    };
    const Row rows[] = {
        {"nothing", [](ProfileRecord&) {}, {}},
        {"brightness", [](ProfileRecord& p) { p.brightness = 3; }, {"15"}},
        {"breath speed", [](ProfileRecord& p) { p.breathSpeed = 3; }, {"15"}},
        {"light colour", [](ProfileRecord& p) { p.lightColor.b = 9; }, {"15"}},
        {"word 2384", [](ProfileRecord& p) { p.reserved2384 = 0; }, {"15"}},
        {"debounce", [](ProfileRecord& p) { p.keyDebounce = 9; }, {"15"}},
        {"light-off timer", [](ProfileRecord& p) { p.lightOffTimer = 9; }, {"15"}},
        {"polling", [](ProfileRecord& p) { p.pollingRate = 0; }, {"16"}},
        {"stage", [](ProfileRecord& p) { p.activeStage = 3; }, {"14"}},
        {"dpi y", [](ProfileRecord& p) { p.dpiValueY[7] = 5; }, {"14"}},
        {"lift-off", [](ProfileRecord& p) { p.liftOffDistance = 1; }, {"14"}},
        {"word 2224", [](ProfileRecord& p) { p.reserved2224 = 1; }, {"14"}},
        {"stage colour", [](ProfileRecord& p) { p.stageColor[7].g = 1; }, {"14"}},
        {"angle snap and brightness",
         [](ProfileRecord& p) {
             p.angleSnap = 1;
             p.brightness = 1;
         },
         {"14", "15"}},
        {"button function", [](ProfileRecord& p) { p.button[17].function = 6; }, {"18"}},
        {"unused entry", [](ProfileRecord& p) { p.button[23].key = 6; }, {"18"}},
        {"name", [](ProfileRecord& p) { p.profileName.set(u"Other"); }, {}},
        {"reserved 2200", [](ProfileRecord& p) { p.reserved2200 = 1; }, {}},
    };
    auto snapshot = DefaultProfile();
    for (const Row& row : rows) {
        auto working = Copy(*snapshot);
        row.change(*working);
        EXPECT_EQ(Commands(ListApplyReports(*working, snapshot.get())), row.sent) << row.what;
    }
}

TEST(ApplyPlan, MacroPagesGoOnlyWhenTheMacroItselfChanged) {
    auto snapshot = DefaultProfile();
    test::SetMacro(snapshot->button[2], {Action(4, 1, 10)});
    snapshot->button[2].macroName.set(u"Old");

    auto renamed = Copy(*snapshot);
    renamed->button[2].macroName.set(u"New");
    EXPECT_EQ(Commands(ListApplyReports(*renamed, snapshot.get())),
              (std::vector<std::string>{"18"}));

    auto recounted = Copy(*snapshot);
    recounted->button[2].macroActionCount = 0;  // the count alone is no macro change
    EXPECT_EQ(Commands(ListApplyReports(*recounted, snapshot.get())),
              (std::vector<std::string>{"18"}));

    auto newAction = Copy(*snapshot);
    newAction->button[2].macroActions[0].delay = 11;
    EXPECT_EQ(Commands(ListApplyReports(*newAction, snapshot.get())),
              (std::vector<std::string>{"18", "19/11"}));

    auto loops = Copy(*snapshot);
    loops->button[2].macroRepeat = 5;
    EXPECT_EQ(Commands(ListApplyReports(*loops, snapshot.get())),
              (std::vector<std::string>{"18", "19/11"}));

    // A changed macro on a button that is no longer a macro button sends no pages.
    auto unassigned = Copy(*newAction);
    unassigned->button[2].function = 3;
    EXPECT_EQ(Commands(ListApplyReports(*unassigned, snapshot.get())),
              (std::vector<std::string>{"18"}));
}

TEST(ApplyPlan, AssigningAMacroToButtonThreeSendsTheMapAndItsPages) {
    auto snapshot = DefaultProfile();
    auto working = Copy(*snapshot);
    test::SetMacro(working->button[2], {Action(0x2C, 1, 20), Action(0x2C, 2, 20)}, 0, 1);
    auto reports = ListApplyReports(*working, snapshot.get());
    EXPECT_EQ(Commands(reports), (std::vector<std::string>{"18", "19/11"}));
    EXPECT_EQ(test::Hex(reports[0].bytes, 9, 3), "12 00 0b");
    ChangeSet changes = ComputeChanges(*working, *snapshot);
    for (int k = 0; k < kPageButtons; ++k)
        EXPECT_EQ(changes.macroChanged[k], k == 2) << k;
}

TEST(ApplyPlan, CopyingAGroupBackLeavesOnlyTheOtherGroupsChanged) {
    auto old = DefaultProfile();
    auto edited = Copy(*old);
    edited->activeStage = 4;
    edited->pollingRate = 0;
    edited->keyDebounce = 9;
    edited->button[5].function = 7;
    test::SetMacro(edited->button[3], {Action(4, 1, 10)});
    edited->button[3].function = old->button[3].function;  // pages only, no button change

    CopyGroup(*edited, *old, ReportGroup::Lighting, -1);
    EXPECT_EQ(edited->keyDebounce, 4);
    ChangeSet c = ComputeChanges(*edited, *old);
    EXPECT_TRUE(c.sensorChanged && c.pollingChanged && c.buttonsChanged && c.macroChanged[3]);
    EXPECT_FALSE(c.lightingChanged);

    CopyGroup(*edited, *old, ReportGroup::Macro, 3);
    CopyGroup(*edited, *old, ReportGroup::Macro, 99);  // no such button: nothing
    c = ComputeChanges(*edited, *old);
    EXPECT_FALSE(c.macroChanged[3]);
    EXPECT_TRUE(c.buttonsChanged);  // the action count and the function of button 6 stay

    CopyGroup(*edited, *old, ReportGroup::Sensor, -1);
    CopyGroup(*edited, *old, ReportGroup::Polling, -1);
    CopyGroup(*edited, *old, ReportGroup::Buttons, -1);
    EXPECT_EQ(ComputeChanges(*edited, *old), ChangeSet{});
    EXPECT_EQ(std::memcmp(edited.get(), old.get(), sizeof(ProfileRecord)), 0);
}

}  // namespace
}  // namespace ms1
