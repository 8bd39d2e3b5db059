#pragma once

#include <string_view>

namespace ms1 {

// The page controls the status decoding drives, by their skin names. The page implements it
// over its controls; tests implement it over a map. Called on the window thread only.
class StatusView {
  public:
    virtual ~StatusView() = default;
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
    // whether it charges. Views that warn of a low battery override it.
    virtual void ShowBattery(int level, bool charging) {
        (void)level;
        (void)charging;
    }
};

}  // namespace ms1
