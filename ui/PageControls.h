#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ms1 {

// The controls of the mouse page the status display drives, by their skin names. Text is
// UTF-8. A control the skin lacks is skipped by every call. Calls come on the window thread
// only.
class StatusControls {
  public:
    virtual ~StatusControls() = default;
    virtual void SetVisible(std::string_view control, bool visible) = 0;
    virtual bool IsVisible(std::string_view control) const = 0;
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    virtual bool IsChecked(std::string_view control) const = 0;
    // Selects an option of a group without raising its notification.
    virtual void SelectOption(std::string_view control) = 0;
    virtual void SelectComboItem(std::string_view control, int index) = 0;
    virtual void SetProgress(std::string_view control, int value) = 0;
    virtual void SetPlainText(std::string_view control, std::string_view text) = 0;
    // The control shows the language text of `key`.
    virtual void SetTextKey(std::string_view control, std::string_view key) = 0;
    // The lighting sections follow the lighting mode and the link.
    virtual void RefreshLightSections() = 0;
    // The battery as the mouse last reported it: its level in percent (100 when full) and
    // whether it charges. Controls that warn of a low battery override it.
    virtual void ShowBattery(int level, bool charging) {
        (void)level;
        (void)charging;
    }
};

// The controls of the mouse page, by their skin names. Text is UTF-8. A control the skin
// lacks is skipped by every call. Calls come on the window thread only.
class PageControls : public StatusControls {
  public:
    // Sliders and progress bars, without raising "valuechanged".
    virtual void SetValue(std::string_view control, int value) = 0;
    virtual int Value(std::string_view control) const = 0;
    virtual std::string Text(std::string_view control) const = 0;
    virtual void SetCaretToEnd(std::string_view control) = 0;
    virtual void SetBackgroundColor(std::string_view control, std::uint32_t argb) = 0;
    virtual void SetBackgroundImage(std::string_view control, std::string_view image) = 0;
    virtual void SetAttribute(std::string_view control, std::string_view attribute,
                              std::string_view value) = 0;
    virtual void ScrollToEnd(std::string_view control) = 0;
    // Greys a control out, or back. A greyed control says why in its tooltip, the language
    // text of `whyKey`; an enabled one has none.
    virtual void SetEnabled(std::string_view control, bool enabled, std::string_view whyKey) = 0;
    // A control's timer raises "timer" notifications (value = id) every period until killed.
    virtual void StartControlTimer(std::string_view control, int id, int milliseconds) = 0;
    virtual void KillControlTimer(std::string_view control, int id) = 0;

    // Lists of text lines.
    virtual void ListAppend(std::string_view list, std::string_view text) = 0;
    virtual void ListRemove(std::string_view list, int index) = 0;
    virtual void ListSetText(std::string_view list, int index, std::string_view text) = 0;
    // Selects a line without raising "itemselect".
    virtual void ListSelect(std::string_view list, int index) = 0;
};

// One notification of a page control, with what the control supplies.
struct PageNotification {
    std::string type;      // "click", "selectchanged", "itemselect", ...
    std::string sender;    // the control's name
    int index = -1;        // the selected item, for "itemselect"
    int value = 0;         // the value, for "valuechanged"; the timer id, for "timer"
    bool checked = false;  // the check state after the click, for "checkclick"
};

}  // namespace ms1
