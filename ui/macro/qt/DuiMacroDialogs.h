#pragma once

#include <filesystem>

#include "ui/macro/MacroEditorPorts.h"

namespace ms1 {

namespace dui {
class DuiWindow;
}

// The editor's dialogs as windows of the program: the message box and the "Macro File"
// dialogs, which start in the data folder.
class DuiMacroDialogs : public MacroEditorDialogs {
  public:
    DuiMacroDialogs(const dui::DuiWindow& owner, std::filesystem::path dataFolder);

    bool MessageBox(std::string_view titleKey, std::string_view messageKey) override;
    bool Confirm(std::string_view titleKey, std::string_view messageKey,
                 const std::string& name) override;
    void ShowProblem(const std::string& text) override;
    std::optional<std::filesystem::path> AskMacroFileToOpen() override;
    std::optional<std::filesystem::path> AskMacroFileToSave(
        const std::u16string& fileName) override;

  private:
    const dui::DuiWindow& owner_;
    std::filesystem::path dataFolder_;
};

}  // namespace ms1
