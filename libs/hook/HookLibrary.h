#pragma once

#include <functional>
#include <mutex>

#include "libs/hook/CaptureThread.h"
#include "ports/WindowHandle.h"

namespace ms1::hook {

// What stands behind the library's functions. Keys and buttons are captured on a thread of
// the library's own from installhook to removehook and posted as message 1034 to the window
// given to installhook, while their switch is on.
//
// The switches: installhook turns key and mouse-button delivery on (a recording relies on
// both); enablehook and enablemousehook switch keys and buttons off (0) and on again (1);
// removemousehook stops buttons until the next installhook or installmousehook;
// mousewheelenable is taken and changes nothing, as the wheel is never posted. Every function
// may be called in any order, twice, or before installhook; none waits on input.
class HookLibrary {
  public:
    // `open` chooses and opens the capture (run on the capture thread with a layout, and on
    // the caller's thread without one to tell whether capture can work).
    using Opener = std::function<Capture(bool withLayout)>;

    explicit HookLibrary(Opener open);
    ~HookLibrary();
    HookLibrary(const HookLibrary&) = delete;
    HookLibrary& operator=(const HookLibrary&) = delete;

    int InstallHook(const Ms1WindowHandle* window);
    // Delivery to the window ends and the capture thread is joined.
    int RemoveHook();
    int EnableHook(int flag);
    int InstallMouseHook();
    int RemoveMouseHook();
    int EnableMouseHook(int flag);
    int MouseWheelEnable(int flag);
    // Null while capture works or would work; else why it cannot.
    const char* CaptureStatus();

  private:
    // On the capture thread.
    void Deliver(const HookEvent& event);

    Opener open_;
    // Start and stop of the thread, one caller at a time.
    std::mutex controlMutex_;
    CaptureThread thread_;

    // The window and the switches, shared with the capture thread.
    std::mutex mutex_;
    Ms1WindowHandle window_{};
    bool installed_ = false;
    bool keys_ = true;
    bool mouse_ = true;
    bool mouseInstalled_ = true;
};

}  // namespace ms1::hook
