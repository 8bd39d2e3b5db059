#pragma once

#include <chrono>
#include <string>

#include "ports/HookTable.h"
#include "ports/WindowHandle.h"
#include "ui/macro/MacroEditorPorts.h"

namespace ms1 {

// The editor's hook switches over the hook library's table. Entries the library lacks are
// skipped; without installhook and removehook nothing can be captured safely.
class HookTableHooks final : public MacroHooks {
  public:
    // The table and the window handle must outlive this object.
    HookTableHooks(const HookTable& table, const Ms1WindowHandle* window)
        : table_(table), window_(window), problem_(CaptureProblem(table)) {}

    bool Available() const override {
        return table_.installhook != nullptr && table_.removehook != nullptr && problem_.empty();
    }
    std::string Problem() const override { return problem_; }
    void InstallHook() override {
        if (table_.installhook != nullptr)
            table_.installhook(window_);
    }
    void RemoveHook() override {
        if (table_.removehook != nullptr)
            table_.removehook();
    }
    void EnableHook(bool on) override { Flag(table_.enablehook, on); }
    void RemoveMouseHook() override {
        if (table_.removemousehook != nullptr)
            table_.removemousehook();
    }
    void EnableMouseHook(bool on) override { Flag(table_.enablemousehook, on); }
    void MouseWheelEnable(bool on) override { Flag(table_.mousewheelenable, on); }

  private:
    static void Flag(HookEnableFn function, bool on) {
        if (function != nullptr)
            function(on ? 1 : 0);
    }

    const HookTable& table_;
    const Ms1WindowHandle* window_;
    // Asked of the library once, when the editor opens.
    const std::string problem_;
};

// The monotonic clock in milliseconds, its low 32 bits.
class SteadyMillisecondClock final : public MillisecondClock {
  public:
    std::uint32_t NowMs() const override {
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<std::uint32_t>(now.count());
    }
};

}  // namespace ms1
