#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dui/DuiWindow.h"
#include "ports/HookTable.h"
#include "ports/KeyboardLayout.h"
#include "ports/TextLookup.h"
#include "ports/WindowHandle.h"

class QLineEdit;

namespace ms1 {

// The shortcut dialog (skin "shortcut.xml"): four modifier boxes and one key, captured
// system-wide through the hook library while the key field has the focus; modifiers held as
// the key is pressed tick their boxes, and a modifier pressed and released alone is the key. The
// caller sets the fields, runs the dialog modally (1 OK, 0 otherwise) and reads the fields back.
class CShortcutWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ShortcutWnd";

    // The hook table, layout and key texts are the caller's and must outlive the dialog.
    CShortcutWnd(std::shared_ptr<const dui::SkinLoader> skins,
                 std::shared_ptr<const dui::LanguageTexts> texts, const HookTable& hookFunctions,
                 const KeyboardLayout& layout, const TextLookup& keyTexts);
    ~CShortcutWnd() override;

    QString GetWindowClassName() const { return QString::fromLatin1(kClassName); }
    // False when the hook library is missing or says it cannot capture keys: the key field
    // then says why and stays disabled.
    bool KeyCaptureAvailable() const;

    // 0 or 1 each: Ctrl, Shift, Alt, Win.
    std::uint8_t ctrlFlag = 0;
    std::uint8_t shiftFlag = 0;
    std::uint8_t altFlag = 0;
    std::uint8_t winFlag = 0;
    // HID usage of the key; 0 none.
    std::uint8_t shortcutKey = 0;

  protected:
    QString GetSkinFile() const override { return QStringLiteral("shortcut.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;
    bool HandleMessage(const Message& message) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnClick(const dui::TNotify& notify);
    void OnHookEvent(const Message& message);
    // The captured key is `virtualKey`; with `withModifiers`, the boxes become the modifiers
    // held.
    void TakeKey(std::uintptr_t virtualKey, bool withModifiers);
    void StartCapture();
    void StopCapture();
    void ShowKey();
    QString UnavailableNote() const;
    std::uint8_t* FlagOf(const QWidget* control);

    const HookTable& hookFunctions_;
    const KeyboardLayout& layout_;
    const TextLookup& keyTexts_;
    // The library keeps this pointer from installhook until removehook.
    Ms1WindowHandle handle_;
    // Asked of the library once: why it cannot capture keys; empty when it can.
    const std::string captureProblem_;
    QWidget* checkFlags_[4] = {};
    QLineEdit* editKey_ = nullptr;
    // The modifiers held down now (bit 0 Ctrl ... bit 3 Win), and the modifier pressed last
    // while no other key followed it (0 none).
    unsigned heldModifiers_ = 0;
    std::uintptr_t loneModifier_ = 0;
};

}  // namespace ms1
