#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "protocol/StatusView.h"

namespace ms1 {

// Remembers what the status decoding showed (battery, whether the mouse reported its stage
// and rate), so a status command can print it: in ms1ctl in place of the page's controls, in
// the program in front of them, passing every call on. Window thread only.
class StatusRecorder final : public StatusView {
  public:
    // `shown`: the controls the calls go on to, or null; must outlive the recorder.
    explicit StatusRecorder(StatusView* shown = nullptr) : shown_(shown) {}

    // Called after every change, so a waiting command can look again.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

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
    void ShowBattery(int level, bool charging) override;

    // What the battery label shows: "75%", "charging", or nothing when the mouse has not
    // reported its battery (or the cable its charging) yet.
    std::optional<std::string> Battery() const;
    bool StageReported() const { return stageReported_; }
    bool RateReported() const { return rateReported_; }

  private:
    void Changed();

    std::set<std::string, std::less<>> visible_;
    std::set<std::string, std::less<>> checked_;
    std::map<std::string, std::string, std::less<>> plainText_;
    std::map<std::string, std::string, std::less<>> textKey_;
    bool stageReported_ = false;
    bool rateReported_ = false;
    bool batteryReported_ = false;  // the decoding showed a battery the mouse reported
    std::function<void()> onChange_;
    StatusView* shown_;
};

}  // namespace ms1
