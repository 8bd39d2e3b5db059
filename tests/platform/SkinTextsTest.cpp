// The language texts of a skin's keys: texts, combo items, tooltips and placeholders of the
// controls that say they are keys, once, and nothing of the others.
#include "platform/dui/SkinTexts.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/dui/LanguageTexts.h"
#include "tests/support/QtTestApp.h"

namespace ms1::dui {
namespace {

TEST(SkinTexts, KeysShowTheirLanguageTextsOnce) {
    TestApp();
    LanguageTexts texts;
    ASSERT_TRUE(texts.Parse(R"(<language><text key="a_text">Anwenden</text>
        <text key="b_text">Beenden</text><text key="tip_text">Sendet es</text>
        <text key="Anwenden">loop</text></language>)"));
    QWidget root;
    auto* layout = new QVBoxLayout(&root);
    auto add = [&]<typename T>(T* control, std::initializer_list<const char*> keyed) {
        for (const char* property : keyed)
            control->setProperty(property, true);
        layout->addWidget(control);
        return control;
    };
    auto* label = add(new QLabel("a_text"), {"resourcetext"});
    auto* plain = add(new QLabel("a_text"), {});
    auto* button = add(new QPushButton("b_text"), {"resourcetext", "resourcetip"});
    button->setToolTip("tip_text");
    auto* tipOnly = add(new QPushButton("b_text"), {"resourcetip"});
    tipOnly->setToolTip("tip_text");
    auto* combo = add(new QComboBox, {"resourcetext"});
    combo->addItems({"a_text", "b_text", "missing_text"});
    auto* edit = add(new QLineEdit, {"resourceplaceholder"});
    edit->setPlaceholderText("b_text");
    edit->setText("a_text");

    // Twice: a text that is itself a key ("Anwenden") is not looked up again.
    ShowSkinTexts(&root, &texts);
    ShowSkinTexts(&root, &texts);
    const struct {
        const char* what;
        QString shown;
        QString expected;
    } rows[] = {
        {"label", label->text(), "Anwenden"},
        {"label without the property", plain->text(), "a_text"},
        {"button", button->text(), "Beenden"},
        {"button's tooltip", button->toolTip(), "Sendet es"},
        {"text of a button with a key tooltip only", tipOnly->text(), "b_text"},
        {"tooltip of that button", tipOnly->toolTip(), "Sendet es"},
        {"first item", combo->itemText(0), "Anwenden"},
        {"second item", combo->itemText(1), "Beenden"},
        {"a missing key stays visible", combo->itemText(2), "missing_text"},
        {"placeholder", edit->placeholderText(), "Beenden"},
        {"an edit's own text", edit->text(), "a_text"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.shown, row.expected) << row.what;

    // A control that comes later is shown by the next pass; the others stay as they are.
    auto* later = add(new QLabel("b_text"), {"resourcetext"});
    ShowSkinTexts(&root, &texts);
    EXPECT_EQ(later->text(), "Beenden");
    EXPECT_EQ(label->text(), "Anwenden");
    // A key property that is false is no key.
    auto* off = add(new QLabel("a_text"), {});
    off->setProperty("resourcetext", false);
    ShowSkinTexts(&root, &texts);
    EXPECT_EQ(off->text(), "a_text");

    // Without texts nothing changes.
    QLabel other("a_text");
    other.setProperty("resourcetext", true);
    ShowSkinTexts(&other, nullptr);
    EXPECT_EQ(other.text(), "a_text");
    ShowSkinTexts(nullptr, &texts);
}

}  // namespace
}  // namespace ms1::dui
