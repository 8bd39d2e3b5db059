#include "ui/page/qt/DuiPageControls.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QWidget>

#include "platform/dui/ControlOps.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinTexts.h"
#include "ui/QuietText.h"
#include "ui/page/PageNames.h"
#include "ui/page/qt/ElidedButtonText.h"
#include "ui/page/qt/SectionHeaderLook.h"

namespace ms1 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Lines of the profile list have a fixed height.
constexpr int kListLineHeight = 22;
constexpr int kBannerInTimer = 50;
constexpr int kBannerOutTimer = 51;
// 2 pixels a step over 212: the banner slides in or out in about half a second.
constexpr int kBannerStepMs = 5;
constexpr int kLowLevel = 20;
constexpr int kCriticalLevel = 10;

// The buttons of the button functions show what fits of a long name (a macro's).
void KeepWholeText(QWidget* control) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (button != nullptr &&
        (button->property("key").toBool() || button->property("keyfixed").toBool())) {
        ElidedButtonText::Keep(button);
    }
}

}  // namespace

DuiPageControls::DuiPageControls(QWidget* page, const dui::LanguageTexts* texts,
                                 QString resourceFolder)
    : page_(page), texts_(texts), resourceFolder_(std::move(resourceFolder)) {
    SectionHeaderLook::Apply(page_);
    // Texts and tooltips the skin gives as language keys (once, if its window has not yet).
    dui::ShowSkinTexts(page_, texts_);
}

QWidget* DuiPageControls::Find(std::string_view control) const {
    if (page_ == nullptr || control.empty()) {
        return nullptr;
    }
    const QString name = Q(control);
    if (page_->objectName() == name) {
        return page_;
    }
    return page_->findChild<QWidget*>(name);
}

void DuiPageControls::SetVisible(std::string_view control, bool visible) {
    dui::SetVisible(Find(control), visible);
}

bool DuiPageControls::IsVisible(std::string_view control) const {
    return dui::IsVisible(Find(control));
}

void DuiPageControls::SetChecked(std::string_view control, bool checked) {
    dui::SetSelected(Find(control), checked, false);
}

bool DuiPageControls::IsChecked(std::string_view control) const {
    return dui::IsSelected(Find(control));
}

void DuiPageControls::SelectOption(std::string_view control) {
    dui::SetSelected(Find(control), true, false);
}

void DuiPageControls::SelectComboItem(std::string_view control, int index) {
    dui::SelectItem(Find(control), index, false);
}

void DuiPageControls::SetProgress(std::string_view control, int value) {
    QWidget* widget = Find(control);
    dui::SetValue(widget, value, false);
    Changed(widget);
}

void DuiPageControls::SetPlainText(std::string_view control, std::string_view text) {
    // Plain text is shown as it is, even on a control that showed a language text before.
    QWidget* widget = Find(control);
    SetTextQuietly(widget, Q(text), false, texts_);
    KeepWholeText(widget);
    Changed(widget);
}

void DuiPageControls::SetEnabled(std::string_view control, bool enabled, std::string_view whyKey) {
    QWidget* widget = Find(control);
    if (widget == nullptr) {
        return;
    }
    dui::SetEnabled(widget, enabled);
    widget->setToolTip(enabled || texts_ == nullptr ? QString() : texts_->Text(Q(whyKey)));
}

void DuiPageControls::SetTextKey(std::string_view control, std::string_view key) {
    QWidget* widget = Find(control);
    SetTextQuietly(widget, Q(key), true, texts_);
    KeepWholeText(widget);
    Changed(widget);
}

void DuiPageControls::RefreshLightSections() {
    if (refreshLightSections_) {
        refreshLightSections_();
    }
}

void DuiPageControls::SetValue(std::string_view control, int value) {
    QWidget* widget = Find(control);
    dui::SetValue(widget, value, false);
    Changed(widget);
}

int DuiPageControls::Value(std::string_view control) const {
    return dui::Value(Find(control));
}

std::string DuiPageControls::Text(std::string_view control) const {
    QWidget* widget = Find(control);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return ElidedButtonText::WholeText(button).toStdString();
    return dui::Text(widget).toStdString();
}

void DuiPageControls::SetCaretToEnd(std::string_view control) {
    if (auto* edit = qobject_cast<QLineEdit*>(Find(control))) {
        edit->end(false);
    }
}

void DuiPageControls::SetBackgroundColor(std::string_view control, std::uint32_t argb) {
    QWidget* widget = Find(control);
    dui::SetBkColor(widget, argb);
    Changed(widget);
}

void DuiPageControls::SetBackgroundImage(std::string_view control, std::string_view image) {
    dui::SetBkImage(Find(control), resourceFolder_, Q(image));
}

void DuiPageControls::SetAttribute(std::string_view control, std::string_view attribute,
                                   std::string_view value) {
    dui::SetAttribute(Find(control), Q(attribute), Q(value));
}

void DuiPageControls::ScrollToEnd(std::string_view control) {
    dui::ScrollToEnd(Find(control));
}

void DuiPageControls::StartControlTimer(std::string_view control, int id, int milliseconds) {
    if (QWidget* widget = Find(control); widget != nullptr && startTimer_)
        startTimer_(widget, id, milliseconds);
}

void DuiPageControls::KillControlTimer(std::string_view control, int id) {
    if (QWidget* widget = Find(control); widget != nullptr && killTimer_)
        killTimer_(widget, id);
}

void DuiPageControls::ShowBattery(int level, bool charging) {
    if (QWidget* bar = Find(pageui::kProgressPower)) {
        // The skin colours the bar's chunk by this property.
        const char* state = charging                  ? ""
                            : level <= kCriticalLevel ? "critical"
                            : level <= kLowLevel      ? "low"
                                                      : "";
        if (bar->property("level").toString() != QLatin1String(state)) {
            bar->setProperty("level", QString::fromLatin1(state));
            bar->style()->unpolish(bar);
            bar->style()->polish(bar);
        }
    }
    const bool low = !charging && level <= kCriticalLevel;
    if (low == bannerIn_)
        return;
    bannerIn_ = low;
    if (low) {
        SetVisible(pageui::kLowPowerLabel, true);
        KillControlTimer(pageui::kLowPowerLabel, kBannerOutTimer);
        StartControlTimer(pageui::kLowPowerLabel, kBannerInTimer, kBannerStepMs);
    } else {
        KillControlTimer(pageui::kLowPowerLabel, kBannerInTimer);
        StartControlTimer(pageui::kLowPowerLabel, kBannerOutTimer, kBannerStepMs);
    }
}

void DuiPageControls::ListAppend(std::string_view list, std::string_view text) {
    QWidget* control = Find(list);
    const int index = dui::AddItem(control, Q(text), kListLineHeight);
    // A new line has no size of its own yet; give it the fixed height with a valid size.
    if (auto* lines = qobject_cast<QListWidget*>(control)) {
        if (QListWidgetItem* line = lines->item(index)) {
            line->setSizeHint(QSize(0, kListLineHeight));
        }
    }
}

void DuiPageControls::ListRemove(std::string_view list, int index) {
    dui::RemoveItem(Find(list), index);
}

void DuiPageControls::ListSetText(std::string_view list, int index, std::string_view text) {
    dui::SetItemText(Find(list), index, Q(text));
}

void DuiPageControls::ListSelect(std::string_view list, int index) {
    dui::SelectItem(Find(list), index, false);
}

}  // namespace ms1
