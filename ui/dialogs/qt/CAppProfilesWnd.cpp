#include "ui/dialogs/qt/CAppProfilesWnd.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QSignalBlocker>

#include "core/Utf16Text.h"
#include "platform/DebugLog.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {
namespace {

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CAppProfilesWnd::CAppProfilesWnd(std::shared_ptr<const dui::SkinLoader> skins,
                                 std::shared_ptr<const dui::LanguageTexts> texts,
                                 AppProfilesDialog::Ports ports)
    : DuiWindow(std::move(skins), std::move(texts)), logic_(ports), rules_(ports.rules) {
    // The rules tell of changes on the thread that made them; they are shown on this one.
    listener_ = rules_.AddListener([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                logic_.Reload();
                Show();
            },
            Qt::QueuedConnection);
    });
}

CAppProfilesWnd::~CAppProfilesWnd() {
    rules_.RemoveListener(listener_);
}

void CAppProfilesWnd::InitWindow() {
    Widget()->setWindowTitle(LanguageText(QStringLiteral("app_profiles_title_text")));
    NameAccessibly(Widget(), Texts(),
                   {{kAppProfilesDialog.ruleList, "acc_rule_list_name", "acc_rule_list_desc"},
                    {kAppProfilesDialog.profileCombo, "acc_rule_profile_name", ""},
                    {kAppProfilesDialog.openCombo, "acc_open_apps_name", ""},
                    {kAppProfilesDialog.typedEdit, "acc_typed_app_name", ""}});
    if (auto* why = FindControlAs<QLabel>(kAppProfilesDialog.unavailable)) {
        why->setText(Qs(logic_.UnavailableWhy()));
        why->setVisible(!logic_.UnavailableWhy().empty());
    }
    Show();
    if (QWidget* list = FindControl(kAppProfilesDialog.ruleList))
        list->setFocus();
}

void CAppProfilesWnd::Show() {
    const auto& names = kAppProfilesDialog;
    if (auto* check = FindControlAs<QAbstractButton>(names.switchCheck)) {
        QSignalBlocker quiet(check);
        check->setChecked(logic_.SwitchOn());
    }
    if (auto* list = FindControlAs<QListWidget>(names.ruleList)) {
        QSignalBlocker quiet(list);
        list->clear();
        for (const auto& rule : logic_.Rules())
            list->addItem(Qs(rule.app) + QStringLiteral("  \u2192  ") +
                          QString::fromStdU16String(rule.profile));
        list->setCurrentRow(logic_.Selected());
    }
    if (auto* combo = FindControlAs<QComboBox>(names.profileCombo)) {
        QSignalBlocker quiet(combo);
        combo->clear();
        for (const auto& profile : logic_.Profiles())
            combo->addItem(QString::fromStdU16String(profile));
        combo->setCurrentIndex(logic_.ChosenProfile());
    }
    if (QWidget* remove = FindControl(names.removeButton))
        remove->setEnabled(logic_.Selected() >= 0);
    const bool anyOpen = !logic_.OpenApps().empty();
    if (auto* open = FindControlAs<QComboBox>(names.openCombo)) {
        QSignalBlocker quiet(open);
        open->clear();
        for (const auto& app : logic_.OpenApps())
            open->addItem(Qs(app));
        if (!anyOpen)
            open->addItem(LanguageText(QStringLiteral("app_profiles_no_windows_text")));
        open->setEnabled(anyOpen);
    }
    if (QWidget* addOpen = FindControl(names.addOpenButton))
        addOpen->setEnabled(anyOpen);
    ShowProblem();
}

void CAppProfilesWnd::ShowProblem() {
    auto* problem = FindControlAs<QLabel>(kAppProfilesDialog.problem);
    if (problem == nullptr)
        return;
    QString text;
    if (!logic_.ProblemKey().empty()) {
        text = LanguageText(Qs(logic_.ProblemKey()));
        if (!logic_.ProblemDetail().empty())
            text += QLatin1Char(' ') + Qs(logic_.ProblemDetail());
    }
    problem->setText(text);
    problem->setVisible(!text.isEmpty());
}

void CAppProfilesWnd::Notify(const dui::TNotify& notify) {
    const auto& names = kAppProfilesDialog;
    const QString& sender = notify.sender;
    const auto index = static_cast<int>(notify.wParam);
    if (notify.type == u"click" && sender == kDialogButtons.ok) {
        Close(1);
        return;
    }
    if (notify.type == u"itemselect" && sender == names.ruleList) {
        logic_.Select(index);
    } else if (notify.type == u"itemselect" && sender == names.profileCombo) {
        logic_.ChooseProfile(index);
    } else if (notify.type == u"checkclick" && sender == names.switchCheck) {
        logic_.SetSwitch(notify.wParam != 0);
    } else if (notify.type == u"click" && sender == names.removeButton) {
        logic_.Remove();
    } else if (notify.type == u"click" && sender == names.addOpenButton) {
        if (auto* open = FindControlAs<QComboBox>(names.openCombo))
            logic_.AddOpenApp(open->currentIndex());
    } else if ((notify.type == u"click" && sender == names.addTypedButton) ||
               (notify.type == u"return" && sender == names.typedEdit)) {
        auto* edit = FindControlAs<QLineEdit>(names.typedEdit);
        if (edit == nullptr)
            return;
        logic_.AddTyped(edit->text().toStdString());
        if (logic_.ProblemKey().empty())
            edit->clear();
    } else {
        return;
    }
    Show();
}

void ShowAppProfilesDialog(const dui::DuiWindow& owner, AppProfilesDialog::Ports ports) {
    CAppProfilesWnd dialog(owner.SharedSkins(), owner.SharedTexts(), std::move(ports));
    if (!dialog.Create(owner.Widget())) {
        qCWarning(lcMs1) << "the application profiles skin is missing";
        return;
    }
    dialog.Widget()->setWindowModality(Qt::ApplicationModal);
    dialog.CenterOnScreen();
    dialog.ShowModal();
}

}  // namespace ms1
