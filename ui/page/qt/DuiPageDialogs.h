#pragma once

#include <functional>
#include <memory>

#include "ui/page/PageDialogs.h"

class QTimer;
class QWidget;

namespace ms1 {

namespace dui {
class DuiWindow;
class MenuWindow;
}  // namespace dui
class DuiPageControls;

// The page's dialogs as windows of the program: message box, profile name dialog, colour
// dialog, file dialogs for "*.pro", the desktop's mouse settings and the function menu.
class DuiPageDialogs : public PageDialogs {
  public:
    DuiPageDialogs(dui::DuiWindow& owner, const DuiPageControls& controls);
    ~DuiPageDialogs() override;

    bool MessageBox(std::string_view titleKey, std::string_view messageKey) override;
    bool Confirm(std::string_view titleKey, std::string_view messageKey,
                 const std::string& name) override;
    void ShowProblem(std::string_view titleKey, const std::string& text) override;
    std::optional<std::u16string> AskProfileName(std::string_view titleKey,
                                                 const std::vector<std::u16string>& names,
                                                 const std::u16string& startName) override;
    std::optional<std::uint32_t> ChooseColor(std::string_view anchorControl,
                                             std::uint32_t argb) override;
    std::optional<std::filesystem::path> AskProfileFileToOpen() override;
    std::optional<std::filesystem::path> AskProfileFileToSave(
        const std::u16string& fileName) override;
    void OpenMouseSettings() override;
    void ShowStatus(std::string_view key, const std::string& detail) override;
    MacroNameChanges RunMacroEditor() override;
    void OpenFunctionMenu(std::string_view anchorControl) override;

    // The macro editor is a window of its own; whoever builds it plugs it in here.
    void SetMacroEditor(std::function<MacroNameChanges()> run) { macroEditor_ = std::move(run); }

    // The file "ms_1_menu.xml" of the function menu, relative to the resource folder.
    static constexpr const char* kFunctionMenuFile = "MS/MS_1/ms_1_menu.xml";
    // How long a status stays before the status line's own text is back.
    static constexpr int kStatusMs = 4000;
    QTimer* StatusTimer() const { return statusTimer_.get(); }

  private:
    dui::DuiWindow& owner_;
    const DuiPageControls& controls_;
    std::function<MacroNameChanges()> macroEditor_;
    std::unique_ptr<dui::MenuWindow> menu_;
    std::unique_ptr<QTimer> statusTimer_;
};

}  // namespace ms1
