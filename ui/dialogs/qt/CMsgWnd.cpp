#include "ui/dialogs/qt/CMsgWnd.h"

#include <QStringList>
#include <QWidget>

#include "platform/DebugLog.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {

MessageKind KindOfMessage(const QString& messageKey) {
    static const QStringList notices = {
        QStringLiteral("one_profile_text"),
        QStringLiteral("one_click_text"),
        QStringLiteral("warn_name_1_text"),
        QStringLiteral("warn_name_2_text"),
    };
    return notices.contains(messageKey) ? MessageKind::Notice : MessageKind::Confirmation;
}

CMsgWnd::CMsgWnd(std::shared_ptr<const dui::SkinLoader> skins,
                 std::shared_ptr<const dui::LanguageTexts> texts, QString titleKey,
                 QString messageKey, MessageKind kind)
    : DuiWindow(std::move(skins), std::move(texts)),
      titleKey_(std::move(titleKey)),
      messageKey_(std::move(messageKey)),
      kind_(kind) {}

void CMsgWnd::InitWindow() {
    okButton_ = FindControl(kDialogButtons.ok);
    cancelButton_ = FindControl(kDialogButtons.cancel);
    if (cancelButton_ != nullptr && kind_ == MessageKind::Notice)
        cancelButton_->hide();
    // Both are resource-text controls in the skin: they show the language texts of the keys.
    SetText(FindControl(kMessageBox.title), titleKey_);
    SetText(FindControl(kMessageBox.message), messageKey_);
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

int ShowMessageBox(const dui::DuiWindow& owner, const QString& titleKey, const QString& messageKey,
                   MessageKind kind) {
    CMsgWnd box(owner.SharedSkins(), owner.SharedTexts(), titleKey, messageKey, kind);
    if (!box.Create(owner.Widget())) {
        qCWarning(lcMs1) << "message box skin missing; taken as refused:" << messageKey;
        return 0;
    }
    box.Widget()->setWindowModality(Qt::ApplicationModal);
    box.CenterOnScreen();
    return box.ShowModal() == 1 ? 1 : 0;
}

}  // namespace ms1
