#include "ui/dialogs/qt/CMS_1_SelectMacro.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "core/ProfileRecord.h"
#include "ui/DialogTestEnv.h"
#include "ui/dialogs/FunctionChoice.h"
#include "ui/dialogs/qt/FunctionDialogs.h"

namespace ms1 {
namespace {

MacroList ThreeMacros() {
    return {MakeEmptyMacro(u"Reload"), MakeEmptyMacro(u"Spray"), MakeEmptyMacro(u"Grüße")};
}

class SelectMacro : public ::testing::Test {
  protected:
    // Builds the dialog with the caller's presets, as the page does before showing it.
    void Open(int index, int mode, int repeat) {
        dialog_ =
            std::make_unique<CMS_1_SelectMacro>(dialogtest::Skins(), dialogtest::Texts(), macros_);
        dialog_->selectedMacro = index;
        dialog_->repeatMode = mode;
        dialog_->loopCount = repeat;
        ASSERT_TRUE(dialog_->Create()) << "selectmacro.xml missing";
        list_ = dialog_->FindControlAs<QListWidget>("list_macro");
        edit_ = dialog_->FindControlAs<QLineEdit>("edit_loop_time");
        loopRow_ = dialog_->FindControl("hor_loop_time");
        for (int i = 0; i < 3; ++i) {
            options_[i] = dialog_->FindControlAs<QRadioButton>(QString("repeat_%1").arg(i + 1));
            ASSERT_NE(options_[i], nullptr);
        }
        ASSERT_TRUE(list_ && edit_ && loopRow_);
    }
    void LeaveLoopField() { dialog_->RaiseNotify(edit_, "killfocus"); }

    MacroList macros_ = ThreeMacros();
    std::unique_ptr<CMS_1_SelectMacro> dialog_;
    QListWidget* list_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QWidget* loopRow_ = nullptr;
    QRadioButton* options_[3] = {};
};

TEST_F(SelectMacro, OpensForAButtonWithoutAMacroInModeZeroWithNothingSelected) {
    Open(-1, 0, 1);
    ASSERT_EQ(list_->count(), 3);
    EXPECT_EQ(list_->item(0)->text(), "Reload");
    EXPECT_EQ(list_->item(2)->text(), QString::fromUtf8("Grüße"));
    EXPECT_EQ(list_->item(1)->sizeHint().height(), 22);
    EXPECT_EQ(list_->currentRow(), -1);
    EXPECT_TRUE(options_[0]->isChecked());
    EXPECT_FALSE(options_[1]->isChecked() || options_[2]->isChecked());
    EXPECT_FALSE(loopRow_->isHidden());
    EXPECT_EQ(edit_->text(), "1");
    EXPECT_EQ(dialog_->selectedMacro, -1);
    EXPECT_EQ(dialog_->Widget()->windowTitle(), "Assign a macro");
}

TEST_F(SelectMacro, OpensOnTheButtonsMacroModeAndCount) {
    Open(1, 2, 7);
    EXPECT_EQ(list_->currentRow(), 1);
    EXPECT_TRUE(options_[2]->isChecked());
    EXPECT_TRUE(loopRow_->isHidden());
    EXPECT_EQ(edit_->text(), "7");
    EXPECT_EQ(dialog_->repeatMode, 2);
    EXPECT_EQ(dialog_->selectedMacro, 1);
    EXPECT_EQ(dialog_->loopCount, 7);
}

TEST_F(SelectMacro, PresetsFromADamagedProfileShowWhatTheDialogGivesBack) {
    // A macro index past the store (the store shrank), an unknown mode, a count of 0.
    Open(5, 9, 0);
    EXPECT_EQ(list_->currentRow(), -1);
    EXPECT_EQ(dialog_->selectedMacro, -1);
    EXPECT_TRUE(options_[0]->isChecked());
    EXPECT_EQ(dialog_->repeatMode, 0);
    EXPECT_EQ(edit_->text(), "1");
    EXPECT_EQ(dialog_->loopCount, 1);
}

TEST_F(SelectMacro, ClickingTheRowTheListMadeCurrentOnFocusChoosesIt) {
    Open(-1, 0, 1);
    // Getting the focus, the list makes its first row current without selecting it.
    list_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    EXPECT_EQ(dialog_->selectedMacro, -1);
    // The click selects that row; the current row does not change, so no itemselect comes.
    list_->item(0)->setSelected(true);
    dialog_->FindControlAs<QAbstractButton>("btn_ok")->click();
    EXPECT_EQ(dialog_->selectedMacro, 0);
}

TEST_F(SelectMacro, ChoosingARowAndAModeUpdatesTheFieldsAndHidesTheCountOutsideModeZero) {
    Open(-1, 0, 12);
    list_->setCurrentRow(2);
    EXPECT_EQ(dialog_->selectedMacro, 2);

    options_[1]->click();
    EXPECT_EQ(dialog_->repeatMode, 1);
    EXPECT_TRUE(loopRow_->isHidden());
    options_[2]->click();
    EXPECT_EQ(dialog_->repeatMode, 2);
    EXPECT_TRUE(loopRow_->isHidden());
    // Hidden, the count keeps its value and comes back with mode 0.
    EXPECT_EQ(edit_->text(), "12");
    EXPECT_EQ(dialog_->loopCount, 12);
    options_[0]->click();
    EXPECT_EQ(dialog_->repeatMode, 0);
    EXPECT_FALSE(loopRow_->isHidden());
    EXPECT_EQ(edit_->text(), "12");
}

TEST_F(SelectMacro, LoopFieldTakesDigitsOnlyAndIsClampedWhenLeft) {
    Open(-1, 0, 1);
    edit_->clear();
    dialogtest::TypeText(edit_, "3a0");
    EXPECT_EQ(edit_->text(), "30");
    EXPECT_EQ(edit_->cursorPosition(), 2);
    LeaveLoopField();
    EXPECT_EQ(dialog_->loopCount, 30);

    dialogtest::TypeText(edit_, "0");
    EXPECT_EQ(edit_->text(), "300");
    LeaveLoopField();
    EXPECT_EQ(edit_->text(), "255");
    EXPECT_EQ(dialog_->loopCount, 255);

    edit_->clear();
    LeaveLoopField();
    EXPECT_EQ(edit_->text(), "1");
    EXPECT_EQ(dialog_->loopCount, 1);
}

TEST_F(SelectMacro, OkTakesTheCountStillBeingTyped) {
    Open(-1, 0, 1);
    edit_->clear();
    dialogtest::TypeText(edit_, "300");
    // Enter in the field presses OK without the field losing the focus first.
    dialog_->RaiseNotify(dialog_->FindControl("btn_ok"), "click");
    EXPECT_EQ(dialog_->loopCount, 255);
    EXPECT_EQ(edit_->text(), "255");
}

// The page's side: a FunctionChoiceUi whose macro dialog is the real one.
struct DialogUi : FunctionChoiceUi {
    dialogtest::OwnerWindow& owner;
    int applies = 0;
    explicit DialogUi(dialogtest::OwnerWindow& window) : owner(window) {}
    void ShowWarning(std::string_view) override {}
    std::optional<ShortcutChoice> RunShortcutDialog(const ShortcutChoice&) override {
        return std::nullopt;
    }
    std::optional<MacroChoice> RunMacroDialog(const MacroList& macros,
                                              const MacroChoice& initial) override {
        return MacroDialogFor(owner)(macros, initial);
    }
    void RequestApply() override { ++applies; }
    void DrawButtonLabel(int) override {}
};

TEST(SelectMacroDialog, RunsModallyAndHandsBackTheChoice) {
    dialogtest::OwnerWindow owner;
    ASSERT_TRUE(owner.Create());
    const MacroList macros = ThreeMacros();
    dialogtest::PressWhenShown("select_macro_wnd", "btn_ok", [](QWidget* dialog) {
        dialog->findChild<QListWidget*>("list_macro")->setCurrentRow(1);
        dialog->findChild<QRadioButton*>("repeat_2")->click();
    });
    const std::optional<MacroChoice> chosen = RunMacroDialog(owner, macros, MacroChoice{-1, 0, 4});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->index, 1);
    EXPECT_EQ(chosen->mode, 1);
    EXPECT_EQ(chosen->repeat, 4);

    dialogtest::PressWhenShown("select_macro_wnd", "btn_cancel", [](QWidget* dialog) {
        dialog->findChild<QListWidget*>("list_macro")->setCurrentRow(2);
    });
    EXPECT_FALSE(RunMacroDialog(owner, macros, MacroChoice{}).has_value());
}

TEST(SelectMacroDialog, OkOverAnEmptyStoreOrWithoutAPickChangesNothingOnTheButton) {
    dialogtest::OwnerWindow owner;
    ASSERT_TRUE(owner.Create());
    DialogUi ui(owner);
    auto profile = MakeZeroedProfile();
    ResetProfileToDefaults(*profile);
    const std::uint8_t before = profile->button[3].function;
    const auto bytes = BytesOf(*profile);
    const std::vector<std::uint8_t> bytesBefore(bytes.begin(), bytes.end());

    const MacroList empty;
    dialogtest::PressWhenShown("select_macro_wnd", "btn_ok", [](QWidget* dialog) {
        EXPECT_EQ(dialog->findChild<QListWidget*>("list_macro")->count(), 0);
    });
    OnFunctionChosen(*profile, 3, "ms_1_select_macro", empty, ui);

    const MacroList macros = ThreeMacros();
    dialogtest::PressWhenShown("select_macro_wnd", "btn_ok");
    OnFunctionChosen(*profile, 3, "ms_1_select_macro", macros, ui);

    EXPECT_EQ(profile->button[3].function, before);
    const auto after = BytesOf(*profile);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), bytesBefore.begin(), bytesBefore.end()));
    EXPECT_EQ(ui.applies, 0);
}

}  // namespace
}  // namespace ms1
