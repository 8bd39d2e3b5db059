#pragma once

#include <QString>
#include <filesystem>
#include <memory>

#include "core/ProfileRecord.h"
#include "platform/dui/DuiWindow.h"
#include "ports/HookTable.h"
#include "ports/KeyboardLayout.h"
#include "ports/WindowHandle.h"

namespace ms1 {

class DuiMacroControls;
class DuiMacroDialogs;
class DuiTextLookup;
class HookTableHooks;
class MacroEditor;
class MacroStore;
class SteadyMillisecondClock;

// The macro editor's window (skin "MS/MS_1/ms_1_macropage.xml"): the editor's logic over the
// window's controls, the message box and file dialogs, the hook library and the window's
// timers. Hook events arrive as message 1034. Run modally; closing it in any way ends a
// recording and removes the hooks. Moved by its title bar, resized by the grip in its
// bottom right corner.
class CMS_1_Macro : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "MS_1_Macro";
    static constexpr const char* kSkinFile = "MS/MS_1/ms_1_macropage.xml";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 800;

    // Everything referenced is the caller's and must outlive the window.
    struct Deps {
        MacroStore& macros;
        const HookTable& hookFunctions;
        const KeyboardLayout& layout;
        std::filesystem::path dataFolder;
    };

    CMS_1_Macro(std::shared_ptr<const dui::SkinLoader> skins,
                std::shared_ptr<const dui::LanguageTexts> texts, Deps deps);
    ~CMS_1_Macro() override;

    QString GetWindowClassName() const { return QString::fromLatin1(kClassName); }
    MacroEditor* Editor() const { return editor_.get(); }
    DuiMacroControls* Controls() const { return controls_.get(); }
    const Ms1WindowHandle* Handle() const { return &handle_; }
    // Sizes and places the window on the screen `owner` is on: 800 x 800 where that fits,
    // smaller on a smaller screen, over the owner and wholly on the screen.
    void FitTo(const QWidget* owner);

  protected:
    QString GetSkinFile() const override { return QString::fromLatin1(kSkinFile); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;
    bool HandleMessage(const Message& message) override;
    void OnTimer(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnClosed();
    // The pointer is over this window (a button pressed now goes to one of its controls).
    bool PointerOverEditor() const;

    Deps deps_;
    // The library keeps this pointer from installhook until removehook.
    Ms1WindowHandle handle_;
    std::unique_ptr<DuiTextLookup> keyTexts_;
    std::unique_ptr<DuiMacroControls> controls_;
    std::unique_ptr<DuiMacroDialogs> dialogs_;
    std::unique_ptr<HookTableHooks> hooks_;
    std::unique_ptr<SteadyMillisecondClock> clock_;
    std::unique_ptr<MacroEditor> editor_;
    QWidget* keyEdit_ = nullptr;
    bool closed_ = false;
};

// Runs the editor modally over `owner`, centred over it; returns when it is closed, with the
// macros renamed and deleted meanwhile.
MacroNameChanges RunMacroEditor(const dui::DuiWindow& owner, CMS_1_Macro::Deps deps);

}  // namespace ms1
