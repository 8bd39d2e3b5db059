#include "ui/PageMessageBox.h"

#include <QWidget>

#include "app/CMsgWnd.h"
#include "platform/DebugLog.h"
#include "ui/DetachCaption.h"

namespace ms1 {

int PageMessageBox(const dui::DuiWindow& owner, const QString& titleKey,
                   const QString& messageKey) {
    CMsgWnd box(owner.SharedSkins(), owner.SharedTexts(), titleKey, messageKey);
    if (!box.Create(owner.Widget())) {
        qCWarning(lcMs1) << "message box skin missing; taken as refused:" << messageKey;
        return 0;
    }
    box.Widget()->setWindowModality(Qt::ApplicationModal);
    if (QWidget* parent = owner.Widget(); parent != nullptr && parent->isVisible()) {
        QRect frame = box.Widget()->frameGeometry();
        frame.moveCenter(parent->frameGeometry().center());
        box.Widget()->move(frame.topLeft());
    } else {
        box.CenterOnScreen();
    }
    const int result = box.ShowModal() == 1 ? 1 : 0;
    DetachCaption(box);
    return result;
}

}  // namespace ms1
