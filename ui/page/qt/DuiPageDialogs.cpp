#include "ui/page/qt/DuiPageDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "platform/DebugLog.h"
#include "platform/dui/DuiWindow.h"
#include "platform/dui/MenuWindow.h"
#include "ui/dialogs/qt/CDpiColorWnd.h"
#include "ui/dialogs/qt/CMS_1_ProfileName.h"
#include "ui/dialogs/qt/CMsgWnd.h"
#include "ui/page/qt/DuiPageControls.h"

namespace ms1 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The file dialogs' filter, named in the user's language.
QString ProfileFilter(const dui::DuiWindow& owner) {
    return owner.LanguageText(QStringLiteral("profile_file_filter_text")) +
           QStringLiteral(" (*.pro *.PRO)");
}

// The mouse settings of the common desktops, tried in this order.
struct SettingsCommand {
    const char* program;
    QStringList arguments;
};

}  // namespace

DuiPageDialogs::DuiPageDialogs(dui::DuiWindow& owner, const DuiPageControls& controls)
    : owner_(owner), controls_(controls), statusTimer_(std::make_unique<QTimer>()) {
    statusTimer_->setSingleShot(true);
    statusTimer_->setInterval(kStatusMs);
    QObject::connect(statusTimer_.get(), &QTimer::timeout, [this] {
        if (QWidget* status = owner_.FindControl(QStringLiteral("status_label")))
            owner_.SetText(status, QStringLiteral("status_bar_text"));
    });
}

DuiPageDialogs::~DuiPageDialogs() = default;

bool DuiPageDialogs::MessageBox(std::string_view titleKey, std::string_view messageKey) {
    return ShowMessageBox(owner_, Q(titleKey), Q(messageKey), KindOfMessage(Q(messageKey))) == 1;
}

bool DuiPageDialogs::Confirm(std::string_view titleKey, std::string_view messageKey,
                             const std::string& name) {
    const QString text = owner_.LanguageText(Q(messageKey))
                             .replace(QStringLiteral("%s"), QString::fromStdString(name));
    return ShowMessageBox(owner_, Q(titleKey), text, MessageKind::Confirmation) == 1;
}

void DuiPageDialogs::ShowProblem(std::string_view titleKey, const std::string& text) {
    // A text that is no language key is shown as it is.
    ShowMessageBox(owner_, Q(titleKey), QString::fromStdString(text), MessageKind::Notice);
}

std::optional<std::u16string> DuiPageDialogs::AskProfileName(
    std::string_view titleKey, const std::vector<std::u16string>& names,
    const std::u16string& startName) {
    CMS_1_ProfileName dialog(owner_.SharedSkins(), owner_.SharedTexts(), Q(titleKey), names);
    dialog.SetStartName(startName);
    if (!dialog.Create(owner_.Widget())) {
        return std::nullopt;
    }
    dialog.Widget()->adjustSize();
    if (QWidget* parent = owner_.Widget()) {
        QRect frame = dialog.Widget()->frameGeometry();
        frame.moveCenter(parent->frameGeometry().center());
        dialog.Widget()->move(frame.topLeft());
    } else {
        dialog.CenterOnScreen();
    }
    if (dialog.ShowModal() != 1) {
        return std::nullopt;
    }
    return dialog.ResultName();
}

std::optional<std::uint32_t> DuiPageDialogs::ChooseColor(std::string_view anchorControl,
                                                         std::uint32_t argb) {
    CDpiColorWnd dialog(owner_.SharedSkins(), owner_.SharedTexts());
    dialog.SetColour(argb);
    if (const QWidget* anchor = controls_.Find(anchorControl)) {
        const QPoint bottomLeft = anchor->mapToGlobal(QPoint(0, anchor->height()));
        QPoint at(bottomLeft.x() - 200, bottomLeft.y());
        // Near a screen edge the dialog moves inside instead of being cut off.
        if (const QScreen* screen = anchor->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - 250)));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - 200)));
        }
        dialog.SetPosition(at);
    }
    if (!dialog.Create(owner_.Widget())) {
        return std::nullopt;
    }
    if (dialog.ShowModal() != 1) {
        return std::nullopt;
    }
    return dialog.Colour() | 0xFF000000u;
}

std::optional<std::filesystem::path> DuiPageDialogs::AskProfileFileToOpen() {
    const QString file =
        QFileDialog::getOpenFileName(owner_.Widget(), QString(), QString(), ProfileFilter(owner_));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(file.toStdU16String());
}

std::optional<std::filesystem::path> DuiPageDialogs::AskProfileFileToSave(
    const std::u16string& fileName) {
    QFileDialog dialog(owner_.Widget(), QString(), QString(), ProfileFilter(owner_));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pro"));
    dialog.selectFile(QString::fromStdU16String(fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().first().toStdU16String());
}

void DuiPageDialogs::OpenMouseSettings() {
    const SettingsCommand commands[] = {
        {"gnome-control-center", {QStringLiteral("mouse")}},
        {"systemsettings", {QStringLiteral("kcm_mouse")}},
        {"kcmshell6", {QStringLiteral("kcm_mouse")}},
        {"kcmshell5", {QStringLiteral("mouse")}},
        {"xfce4-mouse-settings", {}},
        {"mate-mouse-properties", {}},
        {"cinnamon-settings", {QStringLiteral("mouse")}},
        {"lxinput", {}},
    };
    for (const SettingsCommand& command : commands) {
        const QString program =
            QStandardPaths::findExecutable(QString::fromLatin1(command.program));
        if (!program.isEmpty() && QProcess::startDetached(program, command.arguments)) {
            return;
        }
    }
    qCWarning(lcMs1) << "no mouse settings program of the desktop was found";
    ShowProblem("warning_title_text", "mouse_settings_missing_text");
}

void DuiPageDialogs::ShowStatus(std::string_view key, const std::string& detail) {
    auto* status = owner_.FindControlAs<QLabel>(QStringLiteral("status_label"));
    if (status == nullptr)
        return;
    status->setText(
        owner_.LanguageText(Q(key)).replace(QStringLiteral("%s"), QString::fromStdString(detail)));
    statusTimer_->start();
}

MacroNameChanges DuiPageDialogs::RunMacroEditor() {
    return macroEditor_ ? macroEditor_() : MacroNameChanges{};
}

void DuiPageDialogs::OpenFunctionMenu(std::string_view anchorControl) {
    QWidget* anchor = controls_.Find(anchorControl);
    if (anchor == nullptr) {
        return;
    }
    if (menu_ != nullptr) {
        menu_->Close();
    }
    menu_ = std::make_unique<dui::MenuWindow>(owner_.Messages(), owner_.Texts());
    const QString file = QDir(owner_.Skins().ResourceFolder()).filePath(kFunctionMenuFile);
    if (!menu_->LoadFile(file)) {
        qCWarning(lcMs1) << "function menu missing:" << file;
        menu_.reset();
        return;
    }
    QPoint at = anchor->mapToGlobal(QPoint(anchor->width(), 0));
    // A menu that would leave the screen at the bottom opens higher up.
    if (const QScreen* screen = anchor->screen()) {
        const int height = menu_->Menu() != nullptr ? menu_->Menu()->sizeHint().height() : 0;
        const int bottom = screen->availableGeometry().bottom();
        if (at.y() + height > bottom) {
            at.setY(std::max(screen->availableGeometry().top(), bottom - height));
        }
    }
    // The menu took the pointer while it was open, so the button never saw it leave: without
    // this it stays highlighted as if the pointer were still on it.
    if (QMenu* menu = menu_->Menu()) {
        QObject::connect(menu, &QMenu::aboutToHide, anchor, [field = QPointer<QWidget>(anchor)] {
            if (field != nullptr) {
                field->setAttribute(Qt::WA_UnderMouse, false);
                field->update();
            }
        });
    }
    menu_->Popup(at);
}

}  // namespace ms1
