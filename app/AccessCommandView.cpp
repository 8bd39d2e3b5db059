#include "app/AccessCommandView.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextOption>
#include <QWidget>

#include "platform/dui/KeyboardAccess.h"

namespace ms1 {
namespace {

// The button's own caption, kept to say it again for a new command.
const char* const kCaption = "_ms1_copy_caption";
const QSize kFieldSize(480, 66);

// The field, above the button in the button's layout; nullptr when the skin has no such place.
QPlainTextEdit* MakeField(QAbstractButton* copy, const AccessCommandTexts& texts) {
    QWidget* page = copy->parentWidget();
    auto* box = page != nullptr ? qobject_cast<QBoxLayout*>(page->layout()) : nullptr;
    const int at = box != nullptr ? box->indexOf(copy) : -1;
    if (at < 0)
        return nullptr;
    auto* field = new QPlainTextEdit(page);
    field->setObjectName(QStringLiteral("empty_command"));
    field->hide();
    field->setFixedSize(kFieldSize);
    field->setReadOnly(true);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A long path of the node has no spaces to wrap at; the whole command stays in view.
    field->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    field->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    field->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    field->setAccessibleName(texts.name);
    field->setAccessibleDescription(texts.description);
    box->insertWidget(at, field, 0, Qt::AlignHCenter);
    // The new stop takes its place in the window's Tab order, before the button.
    dui::KeyboardAccess::Attach(copy->window());
    // The field holds the command shown now; the button copies what it holds.
    QObject::connect(copy, &QAbstractButton::clicked, copy, [field, copy, copied = texts.copied] {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(field->toPlainText());
        copy->setText(copied);
    });
    return field;
}

}  // namespace

void ShowAccessCommand(QWidget* window, const QString& command, const AccessCommandTexts& texts) {
    if (window == nullptr)
        return;
    auto* copy = window->findChild<QAbstractButton*>(QStringLiteral("empty_copy_btn"));
    if (copy == nullptr)
        return;
    auto* field = window->findChild<QPlainTextEdit*>(QStringLiteral("empty_command"));
    if (field == nullptr && command.isEmpty()) {
        copy->hide();
        return;
    }
    if (field == nullptr) {
        copy->setProperty(kCaption, copy->text());
        field = MakeField(copy, texts);
        if (field == nullptr)
            return;
    }
    copy->setText(copy->property(kCaption).toString());
    if (field->toPlainText() != command)
        field->setPlainText(command);
    field->setVisible(!command.isEmpty());
    copy->setVisible(!command.isEmpty());
}

}  // namespace ms1
