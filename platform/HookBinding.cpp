#include "platform/HookBinding.h"

#include <QDir>

#include "platform/DebugLog.h"

namespace ms1 {
namespace {

template <typename Fn>
void Resolve(QLibrary& library, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(library.resolve(name));
    if (entry == nullptr) {
        qCDebug(lcMs1) << "hook library lacks" << name;
    }
}

}  // namespace

HookBinding::~HookBinding() {
    Release();
}

bool HookBinding::Load(const QString& programFolder) {
    Release();
    library_.setFileName(QDir(programFolder).filePath(kLibraryName));
    if (!library_.load()) {
        qCDebug(lcMs1).noquote() << "GetError:" << library_.errorString();
        return false;
    }
    loaded_ = true;
    // The order of the table, one name after the other.
    Resolve(library_, kHookNames[0], table_.installmousehook);
    Resolve(library_, kHookNames[1], table_.removemousehook);
    Resolve(library_, kHookNames[2], table_.enablemousehook);
    Resolve(library_, kHookNames[3], table_.installhook);
    Resolve(library_, kHookNames[4], table_.removehook);
    Resolve(library_, kHookNames[5], table_.enablehook);
    Resolve(library_, kHookNames[6], table_.mousewheelenable);
    // Optional: other hook libraries do not have it.
    table_.capturestatus = reinterpret_cast<HookStatusFn>(library_.resolve(kHookStatusName));
    return true;
}

void HookBinding::Release() {
    if (table_.removemousehook != nullptr) {
        table_.removemousehook();
    }
    if (table_.removehook != nullptr) {
        table_.removehook();
    }
    table_ = HookTable{};
    // The library itself stays loaded. QLibrary objects of one file share its handle, and
    // unloading through one of them unmaps it under every other binding of the process (two
    // main windows in a test), whose next call would jump into nothing.
    loaded_ = false;
}

}  // namespace ms1
