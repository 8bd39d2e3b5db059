#include "ui/macro/qt/CMS_1_Macro.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/DebugLog.h"
#include "ports/WindowMessages.h"
#include "ui/DuiTextLookup.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/macro/HookTableHooks.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/MacroEditorNames.h"
#include "ui/macro/qt/DuiMacroControls.h"
#include "ui/macro/qt/DuiMacroDialogs.h"
#include "ui/macro/qt/EditorPlacement.h"

namespace ms1 {
namespace {

PageNotification ToNotification(const dui::TNotify& notify) {
    PageNotification n;
    n.type = notify.type.toStdString();
    n.sender = notify.sender.toStdString();
    const auto number = static_cast<int>(static_cast<std::intptr_t>(notify.wParam));
    n.index = notify.type == u"itemselect" ? number : -1;
    n.value = number;
    n.checked = notify.wParam != 0;
    return n;
}

bool IsKeyEvent(const QEvent* event) {
    return event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
           event->type() == QEvent::ShortcutOverride;
}

}  // namespace

CMS_1_Macro::CMS_1_Macro(std::shared_ptr<const dui::SkinLoader> skins,
                         std::shared_ptr<const dui::LanguageTexts> texts, Deps deps)
    : DuiWindow(std::move(skins), std::move(texts)),
      deps_(std::move(deps)),
      handle_(MakeWindowHandle(Messages())) {}

CMS_1_Macro::~CMS_1_Macro() {
    // The library must let go of our handle before it goes away, however the window ends.
    OnClosed();
    // Our filter must not see the events of the controls while the base tears them down.
    if (QWidget* root = Widget()) {
        root->removeEventFilter(this);
        for (QWidget* control : root->findChildren<QWidget*>()) {
            control->removeEventFilter(this);
        }
    }
}

void CMS_1_Macro::InitWindow() {
    Widget()->setWindowTitle(LanguageText("macro_editor_title_text"));
    // What a screen reader hears for the controls without a caption of their own.
    NameAccessibly(Widget(), Texts(),
                   {{macroui::kExitButton, "acc_close_name", ""},
                    {macroui::kMacroList, "acc_macro_list_name", ""},
                    {macroui::kNameEdit, "acc_macro_name_name", ""},
                    {macroui::kActionList, "acc_action_list_name", "acc_action_list_desc"},
                    {macroui::kDefaultDelayEdit, "acc_default_delay_name", ""},
                    {macroui::kActionKeyEdit, "acc_action_key_name", "acc_shortcut_key_desc"},
                    {macroui::kKeyDelayEdit, "acc_action_delay_name", ""},
                    {macroui::kMouseDelayEdit, "acc_action_delay_name", ""}});
    keyTexts_ = std::make_unique<DuiTextLookup>(SharedTexts());
    controls_ = std::make_unique<DuiMacroControls>(Widget(), Skins(), Texts());
    controls_->PrepareRows(macroui::kActionList);
    dialogs_ = std::make_unique<DuiMacroDialogs>(*this, deps_.dataFolder);
    hooks_ = std::make_unique<HookTableHooks>(deps_.hookFunctions, &handle_);
    clock_ = std::make_unique<SteadyMillisecondClock>();
    editor_ = std::make_unique<MacroEditor>(MacroEditorDeps{
        *controls_, *dialogs_, *hooks_, *clock_, Timers(), deps_.macros, *keyTexts_, deps_.layout});
    editor_->Init();
    keyEdit_ = FindControl(QString::fromLatin1(macroui::kActionKeyEdit));
    if (auto* dialog = qobject_cast<QDialog*>(Widget()))
        dialog->setSizeGripEnabled(true);
    Widget()->installEventFilter(this);
    for (QWidget* control : Widget()->findChildren<QWidget*>()) {
        control->installEventFilter(this);
    }
    if (auto* dialog = qobject_cast<QDialog*>(Widget())) {
        connect(dialog, &QDialog::finished, this, [this] {
            OnClosed();
            editor_->ShowPendingProblem();
        });
    }
}

void CMS_1_Macro::Notify(const dui::TNotify& notify) {
    if (notify.control == nullptr || editor_ == nullptr) {
        return;
    }
    if (notify.type == u"click" && notify.sender == QLatin1String(macroui::kExitButton)) {
        Close(1);
        return;
    }
    editor_->Notify(ToNotification(notify));
}

bool CMS_1_Macro::HandleMessage(const Message& message) {
    if (message.number == MSG_HOOK_EVENT && editor_ != nullptr) {
        editor_->OnHookEvent(message.wParam, message.lParam, PointerOverEditor());
    }
    // Default processing goes on in every case.
    return DuiWindow::HandleMessage(message);
}

void CMS_1_Macro::FitTo(const QWidget* owner) {
    QWidget* root = Widget();
    if (root == nullptr)
        return;
    const QWidget* over = owner != nullptr ? owner->window() : nullptr;
    QScreen* screen = over != nullptr ? over->screen() : root->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QPoint centre =
        over != nullptr && over->isVisible() ? over->frameGeometry().center() : available.center();
    const QSize minimum = root->minimumSizeHint().expandedTo(root->minimumSize());
    root->setGeometry(PlaceOnScreen(QSize(kWidth, kHeight), minimum, available, centre));
}

bool CMS_1_Macro::PointerOverEditor() const {
    // The window system's answer: another program's window above ours counts as not ours.
    QWidget* root = Widget();
    QWidget* under = root != nullptr ? QApplication::widgetAt(QCursor::pos()) : nullptr;
    return under != nullptr && (under == root || root->isAncestorOf(under));
}

void CMS_1_Macro::OnTimer(int id) {
    if (editor_ != nullptr) {
        editor_->OnTimer(id);
    }
}

void CMS_1_Macro::OnClosed() {
    if (closed_ || editor_ == nullptr) {
        return;
    }
    closed_ = true;
    editor_->OnClose();
}

bool CMS_1_Macro::eventFilter(QObject* watched, QEvent* event) {
    // Keys pressed for a recording or for the key field belong to the macro, not to the
    // editor: Esc must not close it, typing must not land in a field, Tab must not move on.
    if (IsKeyEvent(event) && editor_ != nullptr && (editor_->Recording() || watched == keyEdit_)) {
        event->accept();
        return true;
    }
    return DuiWindow::eventFilter(watched, event);
}

MacroNameChanges RunMacroEditor(const dui::DuiWindow& owner, CMS_1_Macro::Deps deps) {
    CMS_1_Macro editor(owner.SharedSkins(), owner.SharedTexts(), std::move(deps));
    if (!editor.Create(owner.Widget())) {
        qCWarning(lcMs1) << "macro editor skin missing:" << CMS_1_Macro::kSkinFile;
        return {};
    }
    editor.Widget()->setWindowModality(Qt::ApplicationModal);
    editor.FitTo(owner.Widget());
    editor.ShowModal();
    return editor.Editor()->NameChanges();
}

}  // namespace ms1
