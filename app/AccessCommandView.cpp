#include "app/AccessCommandView.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextOption>
#include <QWidget>

namespace ms1 {
namespace {

// The button's own caption, kept to say it again for a new command.
const char* const kCaption = "_ms1_copy_caption";

}  // namespace

void ShowAccessCommand(QWidget* window, const QString& command, const QString& copiedText) {
    if (window == nullptr)
        return;
    auto* field = window->findChild<QPlainTextEdit*>(QStringLiteral("empty_command"));
    auto* copy = window->findChild<QAbstractButton*>(QStringLiteral("empty_copy_btn"));
    if (field == nullptr || copy == nullptr)
        return;
    if (!copy->property(kCaption).isValid()) {
        // A long path of the node has no spaces to wrap at; the whole command stays in view.
        field->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        copy->setProperty(kCaption, copy->text());
        // The field holds the command shown now; the button copies what it holds.
        QObject::connect(copy, &QAbstractButton::clicked, copy, [field, copy, copiedText] {
            if (QClipboard* clipboard = QGuiApplication::clipboard())
                clipboard->setText(field->toPlainText());
            copy->setText(copiedText);
        });
    }
    copy->setText(copy->property(kCaption).toString());
    if (field->toPlainText() != command)
        field->setPlainText(command);
    field->setVisible(!command.isEmpty());
    copy->setVisible(!command.isEmpty());
}

}  // namespace ms1
