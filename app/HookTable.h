#pragma once

#include "platform/WindowHandle.h"

// The functions of the key and mouse hook library "libHook.so", resolved by name. The library
// delivers events as message 1034 to the window handle given to installhook; it keeps the
// pointer until removehook, so the handle must live that long.
extern "C" {
typedef int (*HookInstallMouseFn)(void);
typedef int (*HookRemoveFn)(void);
typedef int (*HookEnableFn)(int flag);
typedef int (*HookInstallFn)(const Ms1WindowHandle* window);
}

namespace ms1 {

// Seven entries in the order the library's names are looked up; each is null when the library
// or the name is missing, and callers never call a null entry.
struct HookTable {
    HookInstallMouseFn installmousehook = nullptr;
    HookRemoveFn removemousehook = nullptr;
    HookEnableFn enablemousehook = nullptr;
    HookInstallFn installhook = nullptr;
    HookRemoveFn removehook = nullptr;
    HookEnableFn enablehook = nullptr;
    HookEnableFn mousewheelenable = nullptr;
};

// The names, in lookup order.
inline constexpr const char* kHookNames[7] = {
    "installmousehook", "removemousehook", "enablemousehook",  "installhook",
    "removehook",       "enablehook",      "mousewheelenable",
};

}  // namespace ms1
