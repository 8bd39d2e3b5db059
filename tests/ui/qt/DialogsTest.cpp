// The profile name dialog and the colour dialog, driven through their own controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"
#include "ui/dialogs/qt/CMS_1_ProfileName.h"
#include "ui/dialogs/qt/ColorPalette.h"

namespace ms1::test {
namespace {

class ProfileNameTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }

    std::unique_ptr<CMS_1_ProfileName> Open(const QString& titleKey) {
        auto dialog = std::make_unique<CMS_1_ProfileName>(
            Skins(), Texts(), titleKey, profiles_,
            [this](const QString& key) { warnings_.push_back(key.toStdString()); });
        EXPECT_TRUE(dialog->Create());
        return dialog;
    }
    static QLineEdit* Edit(CMS_1_ProfileName& dialog) {
        return dialog.FindControlAs<QLineEdit>("edit_name");
    }
    static void Click(CMS_1_ProfileName& dialog, const char* button) {
        dialog.FindControlAs<QAbstractButton>(button)->click();
    }
    static int Result(CMS_1_ProfileName& dialog) {
        return qobject_cast<QDialog*>(dialog.Widget())->result();
    }

    std::vector<std::u16string> profiles_{u"Profile", u"Shooter"};
    std::vector<std::string> warnings_;
};

// Closing a warning may lay the dialog out anew and leave the focus on another control; the
// dialog takes back its size and puts the user back in the name field, its text selected.
TEST_F(ProfileNameTest, AfterAWarningKeepsItsSizeAndTheNameField) {
    struct Row {
        const char* typed;
        const char* warning;
    };
    for (const Row& row : {Row{"", "warn_name_1_text"}, Row{"shooter", "warn_name_2_text"}}) {
        CMS_1_ProfileName* opened = nullptr;
        CMS_1_ProfileName dialog(Skins(), Texts(), "profile_name_1_text", profiles_,
                                 [&](const QString& key) {
                                     warnings_.push_back(key.toStdString());
                                     opened->Widget()->resize(520, 300);
                                     opened->FindControl("btn_cancel")->setFocus();
                                 });
        opened = &dialog;
        ASSERT_TRUE(dialog.Create());
        dialog.Widget()->show();
        const QSize size = dialog.Widget()->size();
        Edit(dialog)->setText(row.typed);
        Click(dialog, "btn_ok");
        EXPECT_EQ(warnings_.back(), row.warning);
        EXPECT_EQ(dialog.Widget()->size(), size) << row.warning;
        EXPECT_EQ(dialog.Widget()->focusWidget(), Edit(dialog)) << row.warning;
        EXPECT_EQ(Edit(dialog)->selectedText(), row.typed) << row.warning;
    }
}

TEST_F(ProfileNameTest, RefusesEmptyAndTakenNamesInAnyCaseAndStaysOpen) {
    auto dialog = Open("profile_name_2_text");
    Click(*dialog, "btn_ok");
    Edit(*dialog)->setText("SHOOTER");
    Click(*dialog, "btn_ok");
    Edit(*dialog)->setText("profile");
    Click(*dialog, "btn_ok");
    EXPECT_EQ(warnings_, (std::vector<std::string>{"warn_name_1_text", "warn_name_2_text",
                                                   "warn_name_2_text"}));
    EXPECT_FALSE(dialog->ResultName().has_value());
    EXPECT_EQ(Result(*dialog), 0);

    // Blanks alone would show as an empty row: refused as no name.
    for (const char* blank : {" ", "   ", "\t "}) {
        Edit(*dialog)->setText(blank);
        Click(*dialog, "btn_ok");
        EXPECT_EQ(warnings_.back(), "warn_name_1_text") << '"' << blank << '"';
        EXPECT_FALSE(dialog->ResultName().has_value());
    }
    EXPECT_EQ(warnings_.size(), 6u);

    // Blanks around a name are the user's: taken as typed.
    Edit(*dialog)->setText(" Work ");
    Click(*dialog, "btn_ok");
    ASSERT_TRUE(dialog->ResultName().has_value());
    EXPECT_EQ(*dialog->ResultName(), u" Work ");
    EXPECT_EQ(Result(*dialog), 1);
}

TEST_F(ProfileNameTest, TitleIsTheLanguageTextAndEnterConfirms) {
    auto dialog = Open("profile_name_1_text");
    dialog->Widget()->show();  // the default button answers Enter on a shown dialog
    EXPECT_EQ(dialog->FindControl("title_string")->property("text").toString(), "New profile");
    EXPECT_EQ(dialog->Widget()->windowTitle(), "New profile");
    QTest::keyClicks(Edit(*dialog), "Racing");
    QTest::keyClick(Edit(*dialog), Qt::Key_Return);
    ASSERT_TRUE(dialog->ResultName().has_value());
    EXPECT_EQ(*dialog->ResultName(), u"Racing");

    // Enter on a taken name warns once, not once for the edit and once for the button.
    auto again = Open("profile_name_1_text");
    again->Widget()->show();
    Edit(*again)->setText("shooter");
    QTest::keyClick(Edit(*again), Qt::Key_Return);
    EXPECT_EQ(warnings_, std::vector<std::string>{"warn_name_2_text"});
}

TEST_F(ProfileNameTest, RenameStartsWithTheNameSelectedSoTypingReplacesIt) {
    CMS_1_ProfileName dialog(Skins(), Texts(), "profile_name_2_text", profiles_);
    dialog.SetStartName(u"Shooter");
    ASSERT_TRUE(dialog.Create());
    dialog.Widget()->show();
    QLineEdit* edit = Edit(dialog);
    EXPECT_EQ(edit->text(), "Shooter");
    EXPECT_EQ(edit->selectedText(), "Shooter");
    QTest::keyClicks(edit, "Sniper");
    EXPECT_EQ(edit->text(), "Sniper");
}

TEST_F(ProfileNameTest, NamesStopAtNinetyNineCharacters) {
    auto dialog = Open("profile_name_1_text");
    QTest::keyClicks(Edit(*dialog), QString(120, QChar(u'x')));
    EXPECT_EQ(Edit(*dialog)->text().size(), 99);
    Edit(*dialog)->setText(QString(150, QChar(u'y')));
    Click(*dialog, "btn_ok");
    ASSERT_TRUE(dialog->ResultName().has_value());
    EXPECT_EQ(dialog->ResultName()->size(), 99u);
}

TEST_F(ProfileNameTest, CloseAndCancelGiveNoName) {
    for (const char* button : {"btn_exit", "btn_cancel"}) {
        auto dialog = Open("profile_name_1_text");
        Edit(*dialog)->setText("Fresh");
        Click(*dialog, button);
        EXPECT_EQ(Result(*dialog), 0) << button;
        EXPECT_FALSE(dialog->ResultName().has_value()) << button;
    }
    EXPECT_TRUE(warnings_.empty());
}

class ColorDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        dialog_ = std::make_unique<CDpiColorWnd>(Skins(), Texts());
        dialog_->SetColour(0xFF102030);
        dialog_->SetPosition(QPoint(40, 60));
        ASSERT_TRUE(dialog_->Create());
    }
    QLineEdit* Edit(const char* name) const { return dialog_->FindControlAs<QLineEdit>(name); }
    std::string Channels() const {
        return (Edit("r_edit")->text() + "," + Edit("g_edit")->text() + "," +
                Edit("b_edit")->text())
            .toStdString();
    }
    void Type(const char* edit, const QString& text) {
        Edit(edit)->selectAll();
        QTest::keyClicks(Edit(edit), text);
    }
    int Result() const { return qobject_cast<QDialog*>(dialog_->Widget())->result(); }

    std::unique_ptr<CDpiColorWnd> dialog_;
};

TEST_F(ColorDialogTest, StartsWithTheCallersColourAtItsPlace) {
    EXPECT_EQ(Channels(), "16,32,48");
    EXPECT_EQ(dialog_->Palette()->GetSelectColor(), 0xFF102030u);
    EXPECT_EQ(dialog_->Widget()->geometry(), QRect(40, 60, 250, 200));
    EXPECT_EQ(dialog_->Palette()->objectName(), "ColorPallet");
    EXPECT_EQ(dialog_->Widget()->windowTitle(), "Choose a colour");
}

TEST_F(ColorDialogTest, SwatchThenOkReturnsThePreset) {
    dialog_->FindControlAs<QAbstractButton>("mouse_dpi_color_13")->click();
    EXPECT_EQ(Channels(), "30,180,10");
    dialog_->FindControlAs<QAbstractButton>("confirm_btn")->click();
    EXPECT_EQ(Result(), 1);
    EXPECT_EQ(dialog_->Colour(), 0xFF1EB40Au);
}

TEST_F(ColorDialogTest, ChannelEditsTakeDigitsOnlyClampAndBuildAnOpaqueColour) {
    struct Row {
        const char* edit;
        const char* typed;
        const char* shown;
    };
    const Row rows[] = {
        {"r_edit", "300", "255"},    // brought down to the largest channel value
        {"g_edit", "-7", "7"},       // no sign
        {"b_edit", "1a2x", "12"},    // letters are not taken
        {"g_edit", "abc", "7"},      // letters are not taken at all
        {"g_edit", "12345", "123"},  // three digits at most
    };
    for (const Row& row : rows) {
        Type(row.edit, row.typed);
        EXPECT_EQ(Edit(row.edit)->text(), row.shown) << row.typed;
    }
    EXPECT_EQ(dialog_->Colour(), 0xFFFF7B0Cu);
    EXPECT_EQ(dialog_->Palette()->GetSelectColor(), 0xFFFF7B0Cu);
    // An emptied field is 0.
    Edit("g_edit")->selectAll();
    QTest::keyClick(Edit("g_edit"), Qt::Key_Backspace);
    EXPECT_EQ(dialog_->Colour(), 0xFFFF000Cu);
}

TEST_F(ColorDialogTest, PaletteColourLosesItsAlpha) {
    dialog_->Palette()->SetSelectColor(0x4000FF80);
    dialog_->RaiseNotify(dialog_->Palette(), "colorchanged");
    EXPECT_EQ(dialog_->Colour(), 0xFF00FF80u);
    EXPECT_EQ(Channels(), "0,255,128");
    // A press on the palette picks the colour under the pointer, always opaque.
    QTest::mouseClick(dialog_->Palette(), Qt::LeftButton, {}, QPoint(3, 0));
    EXPECT_EQ(dialog_->Colour(), 0xFFFFFFFFu);  // the top edge is white
    EXPECT_EQ(dialog_->Colour() >> 24, 0xFFu);
}

TEST_F(ColorDialogTest, CancelGivesResultZero) {
    dialog_->FindControlAs<QAbstractButton>("mouse_dpi_color_2")->click();
    dialog_->FindControlAs<QAbstractButton>("cancel_btn")->click();
    EXPECT_EQ(Result(), 0);
}

TEST(ColorChannelText, ReadsTheLeadingNumber) {
    EXPECT_EQ(CDpiColorWnd::ReadChannel("42"), 42);
    EXPECT_EQ(CDpiColorWnd::ReadChannel("+7a"), 7);
    EXPECT_EQ(CDpiColorWnd::ReadChannel("-12"), -12);
    EXPECT_EQ(CDpiColorWnd::ReadChannel("x9"), 0);
    EXPECT_EQ(CDpiColorWnd::ReadChannel(""), 0);
    EXPECT_GT(CDpiColorWnd::ReadChannel("99999999999999999999"), 255);
}

}  // namespace
}  // namespace ms1::test
