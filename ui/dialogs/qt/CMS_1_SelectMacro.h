#pragma once

#include <QString>
#include <memory>

#include "core/MacroRecord.h"
#include "platform/dui/DuiWindow.h"

namespace ms1 {

// The macro selection dialog (skin "MS/MS_1/selectmacro.xml"): one macro of the store, one of
// three repeat modes and, for the first mode, a loop count. The caller presets the fields,
// runs the dialog modally (1 OK, 0 otherwise) and reads the fields back.
class CMS_1_SelectMacro : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "MS_1_SelectMacro";

    // The macro list is the caller's and must outlive the dialog.
    CMS_1_SelectMacro(std::shared_ptr<const dui::SkinLoader> skins,
                      std::shared_ptr<const dui::LanguageTexts> texts, const MacroList& macroStore);
    ~CMS_1_SelectMacro() override;

    QString GetWindowClassName() const { return QString::fromLatin1(kClassName); }

    const MacroList& macroStore;
    int repeatMode = 0;      // 0, 1 or 2
    int selectedMacro = -1;  // index in macroStore; -1 none
    int loopCount = 1;       // 1..255

  protected:
    QString GetSkinFile() const override { return QStringLiteral("MS/MS_1/selectmacro.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    void OnClick(const dui::TNotify& notify);
    void OnRowChosen(int row);
    void OnModeChosen(int mode);
    void FilterLoopText();
    void CommitLoopText();

    QWidget* options_[3] = {};
    QWidget* list_ = nullptr;
    QWidget* loopRow_ = nullptr;
    QWidget* loopEdit_ = nullptr;
};

}  // namespace ms1
