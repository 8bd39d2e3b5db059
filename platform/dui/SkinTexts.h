#pragma once

class QWidget;

namespace ms1::dui {

class LanguageTexts;

// A skin names its texts by language key, so that they follow the user's language. On a
// control with the dynamic property
//   "resourcetext"        the text is a key (on a combo box, each item's text is one),
//   "resourcetip"         the tooltip is a key,
//   "resourceplaceholder" the placeholder text of an edit is a key.
// Shows the language texts of the keys on `root` and the controls under it. A control is
// changed once: calling it again, or on a part already shown, changes nothing. Null texts
// leave the keys.
void ShowSkinTexts(QWidget* root, const LanguageTexts* texts);

}  // namespace ms1::dui
