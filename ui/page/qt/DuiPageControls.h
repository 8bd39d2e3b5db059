#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "ui/PageControls.h"

class QWidget;

namespace ms1 {
namespace dui {
class LanguageTexts;
}

// The mouse page's controls, found by name under the page's widget. Changes made here never
// raise the controls' notifications; a control the skin lacks is skipped.
class DuiPageControls : public PageControls {
  public:
    DuiPageControls(QWidget* page, const dui::LanguageTexts* texts, QString resourceFolder);

    // The page's own refresh of the lighting sections (the status decoding asks for it).
    void SetLightSectionsRefresher(std::function<void()> refresh) {
        refreshLightSections_ = std::move(refresh);
    }

    // Where control timers run: the window's, which raises their "timer" notifications.
    using TimerStart = std::function<void(QWidget* control, int id, int milliseconds)>;
    using TimerKill = std::function<void(QWidget* control, int id)>;
    void SetControlTimers(TimerStart start, TimerKill kill) {
        startTimer_ = std::move(start);
        killTimer_ = std::move(kill);
    }

    // Told of a control whose value, colour or text the page set, so that what a screen reader
    // hears of it follows.
    void SetChangeWatcher(std::function<void(QWidget*)> watcher) { changed_ = std::move(watcher); }

    QWidget* Find(std::string_view control) const;

    // StatusControls
    void SetVisible(std::string_view control, bool visible) override;
    bool IsVisible(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    bool IsChecked(std::string_view control) const override;
    void SelectOption(std::string_view control) override;
    void SelectComboItem(std::string_view control, int index) override;
    void SetProgress(std::string_view control, int value) override;
    void SetPlainText(std::string_view control, std::string_view text) override;
    void SetTextKey(std::string_view control, std::string_view key) override;
    void RefreshLightSections() override;
    // The battery bar turns amber at 20 % and red at 10 %; at 10 % or less, not charging, the
    // low-battery banner slides in (timer 50 of the page), and out when the mouse charges
    // (timer 51).
    void ShowBattery(int level, bool charging) override;

    // PageControls
    void SetValue(std::string_view control, int value) override;
    int Value(std::string_view control) const override;
    std::string Text(std::string_view control) const override;
    void SetCaretToEnd(std::string_view control) override;
    void SetBackgroundColor(std::string_view control, std::uint32_t argb) override;
    void SetBackgroundImage(std::string_view control, std::string_view image) override;
    void SetAttribute(std::string_view control, std::string_view attribute,
                      std::string_view value) override;
    void ScrollToEnd(std::string_view control) override;
    void SetEnabled(std::string_view control, bool enabled, std::string_view whyKey) override;
    void StartControlTimer(std::string_view control, int id, int milliseconds) override;
    void KillControlTimer(std::string_view control, int id) override;
    void ListAppend(std::string_view list, std::string_view text) override;
    void ListRemove(std::string_view list, int index) override;
    void ListSetText(std::string_view list, int index, std::string_view text) override;
    void ListSelect(std::string_view list, int index) override;

  private:
    void Changed(QWidget* control) const {
        if (changed_ && control != nullptr)
            changed_(control);
    }

    QPointer<QWidget> page_;
    const dui::LanguageTexts* texts_;
    QString resourceFolder_;
    std::function<void()> refreshLightSections_;
    TimerStart startTimer_;
    TimerKill killTimer_;
    std::function<void(QWidget*)> changed_;
    bool bannerIn_ = false;
};

}  // namespace ms1
