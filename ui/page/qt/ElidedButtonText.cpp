#include "ui/page/qt/ElidedButtonText.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace ms1 {
namespace {

const char* const kWhole = "_ms1_whole_text";
const char* const kOwnTip = "_ms1_own_tip";
const char* const kFollower = "_ms1_elide_follower";

// The width the button's style leaves for its text (padding and frame taken off).
int TextWidth(QAbstractButton* button) {
    auto* push = qobject_cast<QPushButton*>(button);
    if (push == nullptr)
        return button->contentsRect().width();
    QStyleOptionButton option;
    option.initFrom(push);
    option.text = QStringLiteral("x");
    const QRect contents =
        push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
    return contents.width();
}

}  // namespace

void ElidedButtonText::Keep(QAbstractButton* button) {
    if (button == nullptr)
        return;
    if (!button->property(kFollower).toBool()) {
        button->setProperty(kFollower, true);
        button->setProperty(kOwnTip, button->toolTip());
        button->installEventFilter(new ElidedButtonText(button));
    }
    button->setProperty(kWhole, button->text());
    Refresh(button);
}

QString ElidedButtonText::WholeText(const QAbstractButton* button) {
    if (button == nullptr)
        return {};
    const QVariant whole = button->property(kWhole);
    return whole.isValid() ? whole.toString() : button->text();
}

bool ElidedButtonText::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            Refresh(qobject_cast<QAbstractButton*>(watched));
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void ElidedButtonText::Refresh(QAbstractButton* button) {
    if (button == nullptr)
        return;
    const QString whole = button->property(kWhole).toString();
    // A button not laid out yet has no width of its own: it shows the whole text until it is.
    QString shown = whole;
    if (button->isVisible()) {
        shown = button->fontMetrics().elidedText(whole, Qt::ElideRight, TextWidth(button));
    }
    const QString ownTip = button->property(kOwnTip).toString();
    const QString tip = shown == whole     ? ownTip
                        : ownTip.isEmpty() ? whole
                                           : whole + QLatin1Char('\n') + ownTip;
    // Only changes: a new text lays the button out again, which would come back here.
    if (button->text() != shown)
        button->setText(shown);
    if (button->toolTip() != tip)
        button->setToolTip(tip);
}

}  // namespace ms1
