#include "ui/macro/qt/DuiMacroDialogs.h"

#include <QFileDialog>
#include <QString>

#include "platform/dui/DuiWindow.h"
#include "ui/dialogs/qt/CMsgWnd.h"

namespace ms1 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file dialogs' filter, named in the user's language.
QString MacroFilter(const dui::DuiWindow& owner) {
    return owner.LanguageText(QStringLiteral("macro_file_filter_text")) +
           QStringLiteral(" (*.macro *.MACRO)");
}

std::optional<std::filesystem::path> Chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().first().toStdU16String());
}

}  // namespace

DuiMacroDialogs::DuiMacroDialogs(const dui::DuiWindow& owner, std::filesystem::path dataFolder)
    : owner_(owner), dataFolder_(std::move(dataFolder)) {}

bool DuiMacroDialogs::MessageBox(std::string_view titleKey, std::string_view messageKey) {
    return ShowMessageBox(owner_, Q(titleKey), Q(messageKey), KindOfMessage(Q(messageKey))) == 1;
}

bool DuiMacroDialogs::Confirm(std::string_view titleKey, std::string_view messageKey,
                              const std::string& name) {
    const QString text = owner_.LanguageText(Q(messageKey))
                             .replace(QStringLiteral("%s"), QString::fromStdString(name));
    return ShowMessageBox(owner_, Q(titleKey), text, MessageKind::Confirmation) == 1;
}

void DuiMacroDialogs::ShowProblem(const std::string& text) {
    // A text that is no language key is shown as it is.
    ShowMessageBox(owner_, QStringLiteral("warning_title_text"), QString::fromStdString(text),
                   MessageKind::Notice);
}

std::optional<std::filesystem::path> DuiMacroDialogs::AskMacroFileToOpen() {
    QFileDialog dialog(owner_.Widget(), QString(),
                       QString::fromStdU16String(dataFolder_.u16string()), MacroFilter(owner_));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Chosen(dialog);
}

std::optional<std::filesystem::path> DuiMacroDialogs::AskMacroFileToSave(
    const std::u16string& fileName) {
    QFileDialog dialog(owner_.Widget(), QString(),
                       QString::fromStdU16String(dataFolder_.u16string()), MacroFilter(owner_));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("macro"));
    dialog.selectFile(QString::fromStdU16String(fileName));
    return Chosen(dialog);
}

}  // namespace ms1
