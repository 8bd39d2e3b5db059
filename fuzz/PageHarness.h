#pragma once

#include <cstdlib>
#include <functional>
#include <memory>

#include "fuzz/FuzzFolder.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "storage/MacroStore.h"
#include "storage/ProfileStore.h"
#include "ui/FakePage.h"
#include "ui/page/CMS_1_Page.h"

namespace ms1::fuzz {

// The keyboard layout the page's button labels are drawn with; made once per run.
inline const KeyboardLayout& UsLayout() {
    static const std::unique_ptr<XkbKeyboardLayout> layout = XkbKeyboardLayout::FromNames("us");
    if (!layout)
        std::abort();
    return *layout;
}

// The mouse page over fake controls and scripted dialogs, with its stores in `folder`.
struct PageHarness {
    explicit PageHarness(const FuzzFolder& folder)
        : profiles(folder.Path(), &writer),
          macros(folder.Path(), &writer),
          page(MousePageDeps{controls, dialogs, apply, apply, profiles, macros, folder.Path(),
                             texts, UsLayout()}) {}

    UnsyncedWriter writer;
    test::FakeControls controls;
    test::ScriptedDialogs dialogs;
    test::CountingApply apply;
    test::EnglishTexts texts;
    ProfileStore profiles;
    MacroStore macros;
    CMS_1_Page page;
};

}  // namespace ms1::fuzz
