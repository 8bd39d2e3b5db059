#include "transport/VendorHidBinding.h"

#include <dlfcn.h>

#include "ports/WindowMessages.h"

namespace ms1 {
namespace {

template <typename Fn>
Fn Symbol(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

// An empty std::function for a missing symbol, so "absent" is one test everywhere.
template <typename Fn, typename Function>
void Bind(void* handle, const char* name, Function& function) {
    if (Fn fn = Symbol<Fn>(handle, name))
        function = fn;
}

}  // namespace

bool VendorHidFunctions::Any() const {
    return setVidPid || openDevMonitor || openFeatureDevice || closeFeatureDevice ||
           closeDevMonitor || setFeature || getFeature;
}

std::unique_ptr<VendorHidLibrary> VendorHidLibrary::Load(const std::filesystem::path& programFolder,
                                                         std::string* why) {
    const std::string path = (programFolder / kFileName).string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (why != nullptr) {
            const char* error = dlerror();
            *why = error != nullptr ? error : path + ": cannot be loaded";
        }
        return nullptr;
    }
    return std::unique_ptr<VendorHidLibrary>(new VendorHidLibrary(handle));
}

VendorHidLibrary::VendorHidLibrary(void* handle) : handle_(handle) {
    Bind<HID_Set_VIDPID_Fn>(handle_, "HID_Set_VIDPID", functions_.setVidPid);
    Bind<HID_Open_DevMonitor_Fn>(handle_, "HID_Open_DevMonitor", functions_.openDevMonitor);
    Bind<HID_Open_FeatureDevice_Fn>(handle_, "HID_Open_FeatureDevice",
                                    functions_.openFeatureDevice);
    Bind<HID_Close_FeatureDevice_Fn>(handle_, "HID_Close_FeatureDevice",
                                     functions_.closeFeatureDevice);
    Bind<HID_Close_DevMonitor_Fn>(handle_, "HID_Close_DevMonitor", functions_.closeDevMonitor);
    Bind<HID_SetFeature_Fn>(handle_, "HID_SetFeature", functions_.setFeature);
    Bind<HID_GetFeature_Fn>(handle_, "HID_GetFeature", functions_.getFeature);
}

VendorHidLibrary::~VendorHidLibrary() {
    functions_ = {};
    dlclose(handle_);
}

VendorHidBinding::VendorHidBinding(VendorHidFunctions functions, MessageTarget& window)
    : functions_(std::move(functions)), handle_(MakeWindowHandle(window)) {}

VendorHidBinding::~VendorHidBinding() {
    Close();
}

void VendorHidBinding::StartMonitor() {
    if (closed_ || monitorOpen_)
        return;
    if (functions_.setVidPid)
        functions_.setVidPid(kVendorId, kProductId);
    if (functions_.openDevMonitor) {
        functions_.openDevMonitor(&handle_, MSG_WIRED_DATA, MSG_WIRED_STATE);
        monitorOpen_ = true;
    }
}

int VendorHidBinding::OpenFeatureDevice() {
    if (closed_ || !functions_.openFeatureDevice)
        return 0;
    return functions_.openFeatureDevice();
}

void VendorHidBinding::CloseFeatureDevice() {
    if (!closed_ && functions_.closeFeatureDevice)
        functions_.closeFeatureDevice();
}

int VendorHidBinding::SetFeature(const std::uint8_t* data, std::size_t length) {
    if (closed_ || !functions_.setFeature)
        return 0;
    return functions_.setFeature(data, length);
}

void VendorHidBinding::Close() {
    if (closed_)
        return;
    if (functions_.closeFeatureDevice)
        functions_.closeFeatureDevice();
    if (monitorOpen_ && functions_.closeDevMonitor)
        functions_.closeDevMonitor();
    monitorOpen_ = false;
    closed_ = true;
}

}  // namespace ms1
