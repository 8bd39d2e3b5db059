#include "app/CMsgWnd.h"

#include <QWidget>

#include "platform/DebugLog.h"

namespace ms1 {

CMsgWnd::CMsgWnd(std::shared_ptr<const dui::SkinLoader> skins,
                 std::shared_ptr<const dui::LanguageTexts> texts, QString titleKey,
                 QString messageKey)
    : DuiWindow(std::move(skins), std::move(texts)),
      titleKey_(std::move(titleKey)),
      messageKey_(std::move(messageKey)) {}

void CMsgWnd::InitWindow() {
    okButton_ = FindControl("btn_ok");
    cancelButton_ = FindControl("btn_cancel");
    // Both are resource-text controls in the skin: they show the language texts of the keys.
    SetText(FindControl("warning_title"), titleKey_);
    SetText(FindControl("warning"), messageKey_);
    Widget()->setWindowTitle(LanguageText(titleKey_));
}

void CMsgWnd::Notify(const dui::TNotify& notify) {
    if (notify.type != u"click" || notify.control == nullptr) {
        return;
    }
    if (notify.control == okButton_) {
        Close(1);
    } else if (notify.control == cancelButton_) {
        Close(0);
    }
}

int ShowMessageBox(const dui::DuiWindow& owner, const QString& titleKey,
                   const QString& messageKey) {
    CMsgWnd box(owner.SharedSkins(), owner.SharedTexts(), titleKey, messageKey);
    if (!box.Create(owner.Widget())) {
        qCWarning(lcMs1) << "message box skin missing; taken as refused:" << messageKey;
        return 0;
    }
    box.Widget()->setWindowModality(Qt::ApplicationModal);
    box.CenterOnScreen();
    return box.ShowModal() == 1 ? 1 : 0;
}

}  // namespace ms1
