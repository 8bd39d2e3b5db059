#pragma once

#include <QLibrary>
#include <QString>

#include "ports/HookTable.h"

namespace ms1 {

// Loads the hook library from the program folder and resolves its table. Releasing it
// removes both hooks first, so no event reaches a window that is going away.
class HookBinding {
  public:
    static constexpr const char* kLibraryName = "libHook.so";

    HookBinding() = default;
    ~HookBinding();
    HookBinding(const HookBinding&) = delete;
    HookBinding& operator=(const HookBinding&) = delete;

    // Loads programFolder/libHook.so. False when it cannot be loaded: the table stays all
    // null and the reason goes to the diagnostic log only. Names the library lacks stay null;
    // capturestatus, ours and not one of the seven, is looked up when the library has it.
    bool Load(const QString& programFolder);
    // Calls removemousehook and removehook when present and forgets the table; harmless when
    // nothing is loaded. The library stays mapped until the process ends.
    void Release();

    // A library is bound (loaded and not released).
    bool IsLoaded() const { return loaded_; }
    const HookTable& Table() const { return table_; }

  private:
    QLibrary library_;
    HookTable table_;
    bool loaded_ = false;
};

}  // namespace ms1
