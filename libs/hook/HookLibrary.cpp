#include "libs/hook/HookLibrary.h"

#include "ports/WindowMessages.h"

namespace ms1::hook {

HookLibrary::HookLibrary(Opener open) : open_(std::move(open)) {}

HookLibrary::~HookLibrary() {
    RemoveHook();
}

int HookLibrary::InstallHook(const Ms1WindowHandle* window) {
    if (window == nullptr)
        return 0;
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(mutex_);
        window_ = *window;
        installed_ = true;
        keys_ = true;
        mouse_ = true;
        mouseInstalled_ = true;
    }
    const bool started = thread_.Start([this] { return open_(true); },
                                       [this](const HookEvent& event) { Deliver(event); });
    return started ? 1 : 0;
}

int HookLibrary::RemoveHook() {
    std::lock_guard control(controlMutex_);
    {
        std::lock_guard lock(mutex_);
        installed_ = false;
        window_ = {};
    }
    thread_.Stop();
    return 1;
}

int HookLibrary::EnableHook(int flag) {
    std::lock_guard lock(mutex_);
    keys_ = flag != 0;
    return 1;
}

int HookLibrary::InstallMouseHook() {
    std::lock_guard lock(mutex_);
    mouseInstalled_ = true;
    return 1;
}

int HookLibrary::RemoveMouseHook() {
    std::lock_guard lock(mutex_);
    mouseInstalled_ = false;
    return 1;
}

int HookLibrary::EnableMouseHook(int flag) {
    std::lock_guard lock(mutex_);
    mouse_ = flag != 0;
    return 1;
}

int HookLibrary::MouseWheelEnable(int /*flag*/) {
    return 1;
}

const char* HookLibrary::CaptureStatus() {
    if (thread_.Capturing())
        return nullptr;
    return open_(false).reason;
}

void HookLibrary::Deliver(const HookEvent& event) {
    // Posting under the lock: once a switch is off or the hook removed, nothing more goes out.
    std::lock_guard lock(mutex_);
    const bool on = event.mouse ? mouse_ && mouseInstalled_ : keys_;
    if (installed_ && on)
        Ms1PostMessage(&window_, MSG_HOOK_EVENT, event.wParam, event.lParam);
}

}  // namespace ms1::hook
