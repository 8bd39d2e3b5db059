#include "ui/dialogs/qt/CMS_1_ProfileName.h"

#include <QLineEdit>

#include "storage/NameRules.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/CMsgWnd.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {

CMS_1_ProfileName::CMS_1_ProfileName(std::shared_ptr<const dui::SkinLoader> skins,
                                     std::shared_ptr<const dui::LanguageTexts> texts,
                                     QString titleKey, std::vector<std::u16string> names, Warn warn)
    : DuiWindow(std::move(skins), std::move(texts)),
      titleKey_(std::move(titleKey)),
      names_(std::move(names)),
      warn_(std::move(warn)) {
    if (!warn_) {
        warn_ = [this](const QString& key) {
            ShowMessageBox(*this, QStringLiteral("warning_title_text"), key, MessageKind::Notice);
        };
    }
}

CMS_1_ProfileName::~CMS_1_ProfileName() = default;

void CMS_1_ProfileName::InitWindow() {
    Widget()->setWindowTitle(LanguageText(titleKey_));
    NameAccessibly(Widget(), Texts(),
                   {{kDialogButtons.exit, "acc_close_name", ""},
                    {kProfileNameDialog.nameEdit, "acc_profile_name_name", ""}});
    if (QWidget* title = FindControl(kProfileNameDialog.title)) {
        title->setProperty("resourcetext", true);
        SetText(title, titleKey_);
    }
    // The profile's name field holds 99 characters and its terminator.
    if (auto* edit = FindControlAs<QLineEdit>(kProfileNameDialog.nameEdit)) {
        edit->setMaxLength(kMaxNameChars);
        edit->setText(QString::fromStdU16String(startName_));
        edit->selectAll();
        edit->setFocus();
    }
}

void CMS_1_ProfileName::Notify(const dui::TNotify& notify) {
    // Enter in the edit presses the default button "btn_ok", which arrives as its click.
    if (notify.type == u"click") {
        OnClick(notify);
    }
}

void CMS_1_ProfileName::OnClick(const dui::TNotify& notify) {
    if (notify.sender == kDialogButtons.ok) {
        auto* edit = FindControlAs<QLineEdit>(kProfileNameDialog.nameEdit);
        const QString text = edit != nullptr ? edit->text().left(kMaxNameChars) : QString();
        // A name of nothing but spaces would show as a blank row: no name either.
        if (text.trimmed().isEmpty()) {
            WarnAndStay(QStringLiteral("warn_name_1_text"));
            return;
        }
        const std::u16string name = text.toStdU16String();
        if (NameExists(names_, name)) {
            WarnAndStay(QStringLiteral("warn_name_2_text"));
            return;
        }
        resultName_ = name;
        Close(1);
    } else if (notify.sender == kDialogButtons.cancel || notify.sender == kDialogButtons.exit) {
        Close(0);
    }
}

void CMS_1_ProfileName::WarnAndStay(const QString& key) {
    // The warning is a window of its own: when it closes, the desktop may hand the focus
    // elsewhere and lay the dialog out anew. The user goes on typing where they were.
    const QSize size = Widget()->size();
    warn_(key);
    Widget()->resize(size);
    Widget()->activateWindow();
    if (auto* edit = FindControlAs<QLineEdit>(kProfileNameDialog.nameEdit)) {
        edit->setFocus();
        edit->selectAll();
    }
}

}  // namespace ms1
