// The functions of libHook.so, with C linkage: the seven the program binds by name, and
// capturestatus, which says why keys cannot be captured. The library's state lives as long as
// it is loaded.
#include "libs/hook/HookLibrary.h"

namespace {

ms1::hook::HookLibrary& Library() {
    // Destroyed when the library is unloaded: the capture thread is joined then at the latest.
    static ms1::hook::HookLibrary library([](bool withLayout) {
        return ms1::hook::OpenCapture(ms1::hook::CaptureEnvironment::FromProcess(), withLayout);
    });
    return library;
}

}  // namespace

extern "C" {

int installmousehook(void) {
    return Library().InstallMouseHook();
}

int removemousehook(void) {
    return Library().RemoveMouseHook();
}

int enablemousehook(int flag) {
    return Library().EnableMouseHook(flag);
}

int installhook(const Ms1WindowHandle* window) {
    return Library().InstallHook(window);
}

int removehook(void) {
    return Library().RemoveHook();
}

int enablehook(int flag) {
    return Library().EnableHook(flag);
}

int mousewheelenable(int flag) {
    return Library().MouseWheelEnable(flag);
}

const char* capturestatus(void) {
    return Library().CaptureStatus();
}

}  // extern "C"
