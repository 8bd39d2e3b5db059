#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dui/DuiWindow.h"
#include "ports/OpenWindowApps.h"
#include "storage/AppProfileRules.h"
#include "ui/dialogs/AppProfilesDialog.h"

namespace ms1 {

// The "Application profiles" dialog of the main menu (skin "appprofiles.xml") over the logic of
// AppProfilesDialog. Every change takes effect at once; "Close" and Esc close it. While it is
// open it follows changes of the rules made elsewhere (ms1ctl through the program).
class CAppProfilesWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr const char* kSkinFile = "appprofiles.xml";

    CAppProfilesWnd(std::shared_ptr<const dui::SkinLoader> skins,
                    std::shared_ptr<const dui::LanguageTexts> texts,
                    AppProfilesDialog::Ports ports);
    ~CAppProfilesWnd() override;

    const AppProfilesDialog& Logic() const { return logic_; }

  protected:
    QString GetSkinFile() const override { return QString::fromLatin1(kSkinFile); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    // Fills every control from the logic, raising no notifications.
    void Show();
    void ShowProblem();

    AppProfilesDialog logic_;
    AppProfileRules& rules_;
    int listener_ = 0;
};

// Runs the dialog modally over `owner`.
void ShowAppProfilesDialog(const dui::DuiWindow& owner, AppProfilesDialog::Ports ports);

}  // namespace ms1
