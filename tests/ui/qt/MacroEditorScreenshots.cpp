// Renders the README's screenshots of the macro editor offscreen: empty, with a recorded
// macro, and with the single-action panel open. Usage: ms1_macro_screenshots OUTPUT_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/WindowMessages.h"
#include "storage/MacroStore.h"
#include "tests/ui/qt/QtPageFixtures.h"
#include "ui/macro/qt/CMS_1_Macro.h"

namespace {

// A hook library that switches nothing: the events are posted by this tool itself.
extern "C" int NoMouseCall() {
    return 1;
}
extern "C" int NoFlag(int) {
    return 1;
}
extern "C" int NoInstall(const Ms1WindowHandle*) {
    return 1;
}
const ms1::HookTable kHooks{NoMouseCall, NoMouseCall, NoFlag, NoInstall,
                            NoMouseCall, NoFlag,      NoFlag};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
    }
}

template <typename T = QWidget>
T* Find(ms1::CMS_1_Macro& editor, const char* name) {
    return editor.FindControlAs<T>(QString::fromLatin1(name));
}

// Ctrl+C, a left click, Ctrl+V: as the hook library posts them.
void Record(ms1::CMS_1_Macro& editor) {
    Find<QAbstractButton>(editor, "ms_1_macro_record_btn")->click();
    const std::pair<std::uintptr_t, std::intptr_t> events[] = {
        {0xA2, 0},  {0x43, 0}, {0x43, 1}, {0xA2, 1}, {0x201, 0},
        {0x202, 0}, {0xA2, 0}, {0x56, 0}, {0x56, 1}, {0xA2, 1}};
    for (auto [code, kind] : events) {
        Ms1PostMessage(editor.Handle(), ms1::MSG_HOOK_EVENT, code, kind);
    }
    Settle();
    Find<QAbstractButton>(editor, "ms_1_macro_record_btn")->click();
    Settle();
}

bool Shoot(const QString& file, int stage) {
    QTemporaryDir data;
    const std::filesystem::path folder(data.path().toStdString());
    ms1::MacroStore macros(folder);
    macros.LoadMacroStore();
    if (stage > 0) {
        auto access = macros.Lock();
        for (const char16_t* name : {u"Reload", u"Burst fire"})
            access.Macros().push_back(ms1::MakeEmptyMacro(name));
        access.SaveMacroStore();
    }
    auto layout = ms1::XkbKeyboardLayout::FromNames("us");
    ms1::CMS_1_Macro editor(ms1::test::Skins(), ms1::test::Texts(),
                            {macros, kHooks, *layout, folder});
    if (!editor.Create()) {
        return false;
    }
    editor.Widget()->resize(ms1::CMS_1_Macro::kWidth, ms1::CMS_1_Macro::kHeight);
    editor.Widget()->show();
    Settle();
    if (stage > 0) {
        Find<QAbstractButton>(editor, "ms_1_macro_add_btn")->click();
        auto* name = Find<QLineEdit>(editor, "ms_1_macro_name_edit");
        name->setText("Copy and paste");
        editor.RaiseNotify(name, "killfocus");
        Find<QLineEdit>(editor, "ms_1_default_delay_edit")->setText("50");
        Record(editor);
    }
    if (stage > 1) {
        Find<QListWidget>(editor, "ms_1_macro_action_list")->setCurrentRow(4);
        Find<QAbstractButton>(editor, "ms_1_macro_action_edit_check")->click();
        Find<QAbstractButton>(editor, "ms_1_macro_insert_mouse_btn")->click();
        Settle();
    }
    return editor.Widget()->grab().save(file);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: ms1_macro_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");
    const bool ok = Shoot(out.filePath("macro_editor_empty.png"), 0) &&
                    Shoot(out.filePath("macro_editor_recorded.png"), 1) &&
                    Shoot(out.filePath("macro_editor_edit_panel.png"), 2);
    return ok ? 0 : 1;
}
