#pragma once

#include <dlfcn.h>
#include <QCoreApplication>
#include <QString>
#include <string>

namespace ms1 {

// The folder of a stand-in hook library built for the tests: "full" or "partial".
inline QString TestLibraryFolder(const char* kind) {
    return QCoreApplication::applicationDirPath() + "/hook_" + kind;
}

// Reads the call record of the full test library through a handle of its own (plain dlopen),
// which keeps the library loaded after the binding released it.
class HookCallLog {
  public:
    explicit HookCallLog(const QString& folder)
        : handle_(dlopen((folder + "/libHook.so").toLocal8Bit().constData(), RTLD_NOW)) {}
    ~HookCallLog() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    std::string Calls() const {
        auto calls = reinterpret_cast<const char* (*)()>(Symbol("hook_test_calls"));
        return calls != nullptr ? calls() : "<no log>";
    }
    void Reset() const {
        if (auto reset = reinterpret_cast<void (*)()>(Symbol("hook_test_reset"))) {
            reset();
        }
    }

  private:
    void* Symbol(const char* name) const {
        return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    }
    void* handle_;
};

}  // namespace ms1
