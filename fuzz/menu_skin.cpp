// A menu skin (the tray menu, the button function menu), read as the menus are built from it.
#include <QByteArray>

#include "fuzz/FuzzInput.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/MenuSkin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ms1::dui;
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LanguageTexts texts;
    texts.Parse(R"(<language><text key="exit_text">Exit</text></language>)");
    const MenuSkin skin = ReadMenuSkin(xml, &texts);
    if (!skin.readable) {
        MS1_FUZZ_CHECK(skin.entries.empty() && !skin.error.isEmpty());
        return 0;
    }
    // Every entry lies in the menu or in a sub-menu before it, so the menus can be built in
    // one pass; separators carry nothing.
    for (std::size_t i = 0; i < skin.entries.size(); ++i) {
        const MenuEntry& entry = skin.entries[i];
        MS1_FUZZ_CHECK(entry.parent >= -1 && entry.parent < static_cast<int>(i));
        if (entry.parent >= 0) {
            const auto& holder = skin.entries[static_cast<std::size_t>(entry.parent)];
            MS1_FUZZ_CHECK(holder.kind == MenuEntry::Kind::SubMenu);
        }
        if (entry.kind == MenuEntry::Kind::Separator)
            MS1_FUZZ_CHECK(entry.name.isEmpty() && entry.caption.isEmpty());
    }
    // Without language texts the same entries come, in the same places.
    const MenuSkin plain = ReadMenuSkin(xml, nullptr);
    MS1_FUZZ_CHECK(plain.readable && plain.entries.size() == skin.entries.size());
    for (std::size_t i = 0; i < skin.entries.size(); ++i) {
        MS1_FUZZ_CHECK(plain.entries[i].kind == skin.entries[i].kind);
        MS1_FUZZ_CHECK(plain.entries[i].parent == skin.entries[i].parent);
        MS1_FUZZ_CHECK(plain.entries[i].name == skin.entries[i].name);
    }
    return 0;
}
