#pragma once

#include <string>

#include "ports/WindowHandle.h"

// The functions of the key and mouse hook library "libHook.so", resolved by name. The library
// delivers events as message 1034 to the window handle given to installhook; it keeps the
// pointer until removehook, so the handle must live that long.
extern "C" {
typedef int (*HookInstallMouseFn)(void);
typedef int (*HookRemoveFn)(void);
typedef int (*HookEnableFn)(int flag);
typedef int (*HookInstallFn)(const Ms1WindowHandle* window);
typedef const char* (*HookStatusFn)(void);
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
    // Not one of the seven: our own library's answer to why keys cannot be captured (null
    // when they can), looked up when the library has it.
    HookStatusFn capturestatus = nullptr;
};

// The names, in lookup order.
inline constexpr const char* kHookNames[7] = {
    "installmousehook", "removemousehook", "enablemousehook",  "installhook",
    "removehook",       "enablehook",      "mousewheelenable",
};

inline constexpr const char* kHookStatusName = "capturestatus";

// Why the library cannot capture keys, in its own words; empty when it can, or when it does
// not say.
inline std::string CaptureProblem(const HookTable& table) {
    const char* reason = table.capturestatus != nullptr ? table.capturestatus() : nullptr;
    return reason != nullptr ? reason : "";
}

}  // namespace ms1
