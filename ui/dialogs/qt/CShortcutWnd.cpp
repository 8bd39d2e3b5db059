#include "ui/dialogs/qt/CShortcutWnd.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/dui/ControlOps.h"
#include "ports/WindowMessages.h"
#include "ui/KeyTables.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {
namespace {

// The hook reports mouse buttons with their message numbers (0x201 and up); keyboard keys
// are virtual-key codes below 0x100.
constexpr std::uintptr_t kFirstMouseMessage = 0x200;

// The modifier a virtual key is, as the index of its box (Ctrl, Shift, Alt, Win); -1 for
// other keys. Both sides count, and the generic codes some keyboards send.
int ModifierIndex(std::uintptr_t virtualKey) {
    switch (virtualKey) {
        case 0x11:
        case 0xA2:
        case 0xA3:
            return 0;
        case 0x10:
        case 0xA0:
        case 0xA1:
            return 1;
        case 0x12:
        case 0xA4:
        case 0xA5:
            return 2;
        case 0x5B:
        case 0x5C:
            return 3;
        default:
            return -1;
    }
}

// Tab (alone or with Shift) and Esc (alone) move on from the key field as they do everywhere:
// a keyboard user could not leave the field otherwise. With Ctrl, Alt or Win held they are
// captured like any key. `held` has the bits of ModifierIndex.
constexpr std::uintptr_t kTabKey = 0x09;
constexpr std::uintptr_t kEscapeKey = 0x1B;
constexpr unsigned kShiftBit = 1u << 1;

bool IsLeavingKey(std::uintptr_t virtualKey, unsigned held) {
    return (virtualKey == kTabKey && (held & ~kShiftBit) == 0) ||
           (virtualKey == kEscapeKey && held == 0);
}

bool IsLeavingKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers held = key.modifiers() & ~Qt::KeypadModifier;
    return ((key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
            (held & ~Qt::ShiftModifier) == Qt::NoModifier) ||
           (key.key() == Qt::Key_Escape && held == Qt::NoModifier);
}

}  // namespace

CShortcutWnd::CShortcutWnd(std::shared_ptr<const dui::SkinLoader> skins,
                           std::shared_ptr<const dui::LanguageTexts> texts,
                           const HookTable& hookFunctions, const KeyboardLayout& layout,
                           const TextLookup& keyTexts)
    : DuiWindow(std::move(skins), std::move(texts)),
      hookFunctions_(hookFunctions),
      layout_(layout),
      keyTexts_(keyTexts),
      handle_(MakeWindowHandle(Messages())),
      captureProblem_(CaptureProblem(hookFunctions)) {}

CShortcutWnd::~CShortcutWnd() {
    // The library must let go of our handle before it goes away, focus or not.
    if (hookFunctions_.removehook != nullptr) {
        hookFunctions_.removehook();
    }
    // Our own filter on the key field must not see events while the base tears it down.
    if (editKey_ != nullptr) {
        editKey_->removeEventFilter(this);
    }
}

bool CShortcutWnd::KeyCaptureAvailable() const {
    return hookFunctions_.installhook != nullptr && captureProblem_.empty();
}

QString CShortcutWnd::UnavailableNote() const {
    // The library's own reason when it gives one (no display, no readable input device).
    return captureProblem_.empty() ? LanguageText(QStringLiteral("hook_unavailable_text"))
                                   : QString::fromStdString(captureProblem_);
}

void CShortcutWnd::InitWindow() {
    Widget()->setWindowTitle(LanguageText("shortcut_title_text"));
    NameAccessibly(Widget(), Texts(),
                   {{kDialogButtons.exit, "acc_close_name", ""},
                    {kShortcutDialog.keyEdit, "acc_shortcut_key_name", "acc_shortcut_key_desc"}});
    const std::uint8_t flags[4] = {ctrlFlag, shiftFlag, altFlag, winFlag};
    for (int i = 0; i < 4; ++i) {
        checkFlags_[i] = FindControl(QString::fromLatin1(kShortcutDialog.modifierChecks[i]));
        dui::SetSelected(checkFlags_[i], flags[i] != 0, false);
    }
    editKey_ = FindControlAs<QLineEdit>(kShortcutDialog.keyEdit);
    if (editKey_ != nullptr) {
        // Keys typed while capturing belong to the shortcut, not to the dialog (Esc, Enter, Tab).
        editKey_->installEventFilter(this);
        if (!KeyCaptureAvailable()) {
            editKey_->setEnabled(false);
            editKey_->setToolTip(UnavailableNote());
        }
    }
    ShowKey();
}

void CShortcutWnd::Notify(const dui::TNotify& notify) {
    if (notify.control == nullptr) {
        return;
    }
    if (notify.type == u"click") {
        OnClick(notify);
    } else if (notify.type == u"checkclick") {
        if (std::uint8_t* flag = FlagOf(notify.control)) {
            *flag = dui::IsSelected(notify.control) ? 1 : 0;
        }
    } else if (notify.control == editKey_) {
        if (notify.type == u"setfocus") {
            StartCapture();
        } else if (notify.type == u"killfocus") {
            StopCapture();
        }
    }
}

void CShortcutWnd::OnClick(const dui::TNotify& notify) {
    if (notify.sender == kDialogButtons.ok) {
        Close(1);
    } else if (notify.sender == kDialogButtons.cancel || notify.sender == kDialogButtons.exit) {
        Close(0);
    }
}

bool CShortcutWnd::HandleMessage(const Message& message) {
    if (message.number == MSG_HOOK_EVENT) {
        OnHookEvent(message);
    }
    // Default processing goes on in every case.
    return DuiWindow::HandleMessage(message);
}

void CShortcutWnd::OnHookEvent(const Message& message) {
    // No diagnostics here: what is captured may be part of a password.
    if (message.wParam >= kFirstMouseMessage) {
        // A click (on OK, say) is not a key and must not wipe the one captured.
        return;
    }
    const bool pressed = message.lParam == 0;
    const int modifier = ModifierIndex(message.wParam);
    if (modifier >= 0) {
        const unsigned bit = 1u << modifier;
        if (pressed && (heldModifiers_ & bit) == 0) {
            heldModifiers_ |= bit;
            loneModifier_ = message.wParam;
        } else if (!pressed) {
            heldModifiers_ &= ~bit;
            // Pressed and released with no other key: the modifier is the key itself.
            if (loneModifier_ == message.wParam)
                TakeKey(message.wParam, false);
            loneModifier_ = 0;
        }
        return;
    }
    // A key is taken as it is pressed, with the modifiers held then (Ctrl+K gives Ctrl and
    // K); its release changes nothing.
    if (pressed && IsLeavingKey(message.wParam, heldModifiers_)) {
        // Tab, Shift+Tab and Esc leave the field (or the dialog) as everywhere else; with
        // Ctrl, Alt or Win held they are keys like any other (Alt+Tab).
        loneModifier_ = 0;
        return;
    }
    if (pressed) {
        loneModifier_ = 0;
        TakeKey(message.wParam, heldModifiers_ != 0);
    }
}

void CShortcutWnd::TakeKey(std::uintptr_t virtualKey, bool withModifiers) {
    const UsageLookup found = VirtualKeyToUsage(static_cast<std::uint32_t>(virtualKey), layout_);
    shortcutKey = found.found && found.usage >= 0 && found.usage <= 0xFF
                      ? static_cast<std::uint8_t>(found.usage)
                      : 0;
    // Held modifiers set the boxes; a key pressed alone leaves the boxes as the user ticked
    // them.
    if (withModifiers) {
        std::uint8_t* flags[4] = {&ctrlFlag, &shiftFlag, &altFlag, &winFlag};
        for (int i = 0; i < 4; ++i) {
            *flags[i] = (heldModifiers_ >> i) & 1u;
            dui::SetSelected(checkFlags_[i], *flags[i] != 0, false);
        }
    }
    ShowKey();
}

void CShortcutWnd::StartCapture() {
    if (!KeyCaptureAvailable()) {
        return;
    }
    if (hookFunctions_.installhook != nullptr) {
        hookFunctions_.installhook(&handle_);
    }
    if (hookFunctions_.enablehook != nullptr) {
        hookFunctions_.enablehook(1);
    }
}

void CShortcutWnd::StopCapture() {
    // Keys held when the field is left are not seen released here.
    heldModifiers_ = 0;
    loneModifier_ = 0;
    if (hookFunctions_.removehook != nullptr) {
        hookFunctions_.removehook();
    }
    if (hookFunctions_.enablehook != nullptr) {
        hookFunctions_.enablehook(0);
    }
}

void CShortcutWnd::ShowKey() {
    QString shown = QString::fromStdU16String(UsageToKeyName(shortcutKey, layout_, keyTexts_));
    if (!KeyCaptureAvailable()) {
        const QString note = UnavailableNote();
        shown = shown.isEmpty() ? note : shown + QStringLiteral(" - ") + note;
    }
    SetText(editKey_, shown);
    if (editKey_ != nullptr) {
        // Long texts show their beginning, where the key's name is.
        editKey_->setCursorPosition(0);
    }
}

std::uint8_t* CShortcutWnd::FlagOf(const QWidget* control) {
    std::uint8_t* flags[4] = {&ctrlFlag, &shiftFlag, &altFlag, &winFlag};
    for (int i = 0; i < 4; ++i) {
        if (control == checkFlags_[i]) {
            return flags[i];
        }
    }
    return nullptr;
}

bool CShortcutWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editKey_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        // The keys that leave the field do so; every other key is for the capture alone.
        if (event->type() == QEvent::KeyPress && IsLeavingKey(*static_cast<QKeyEvent*>(event)))
            return DuiWindow::eventFilter(watched, event);
        event->accept();
        return true;
    }
    return DuiWindow::eventFilter(watched, event);
}

}  // namespace ms1
