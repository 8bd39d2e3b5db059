#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "platform/dui/DuiWindow.h"

namespace ms1 {

// The dialog in which the user names a new profile or renames the shown one (skin
// "MS/MS_1/profilename.xml"). It refuses an empty name and a name another profile already
// has in any letter case, and takes at most 99 characters so the name fits its field.
class CMS_1_ProfileName : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr int kMaxNameChars = 99;
    // Shows a refusal: the message key of the warning.
    using Warn = std::function<void(const QString& messageKey)>;

    CMS_1_ProfileName(std::shared_ptr<const dui::SkinLoader> skins,
                      std::shared_ptr<const dui::LanguageTexts> texts, QString titleKey,
                      std::vector<std::u16string> names, Warn warn = {});

    ~CMS_1_ProfileName() override;

    // The name the edit starts with, selected so that typing replaces it (before Create).
    void SetStartName(const std::u16string& name) { startName_ = name; }
    // The confirmed name; empty until OK succeeded.
    const std::optional<std::u16string>& ResultName() const { return resultName_; }

  protected:
    QString GetSkinFile() const override { return QStringLiteral("MS/MS_1/profilename.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    void OnClick(const dui::TNotify& notify);
    // Shows a warning, then gives the dialog back its size and the name field its focus.
    void WarnAndStay(const QString& key);

    QString titleKey_;
    std::vector<std::u16string> names_;  // of the other profiles
    Warn warn_;
    std::u16string startName_;
    std::optional<std::u16string> resultName_;
};

}  // namespace ms1
