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

ResultOf<std::unique_ptr<VendorHidLibrary>> VendorHidLibrary::Load(
    const std::filesystem::path& programFolder) {
    using Loaded = ResultOf<std::unique_ptr<VendorHidLibrary>>;
    const std::string path = (programFolder / kFileName).string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = dlerror();
        return Loaded::Failed(error != nullptr ? error : path + ": cannot be loaded");
    }
    return Loaded::Done(std::unique_ptr<VendorHidLibrary>(new VendorHidLibrary(handle)));
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

Result VendorHidBinding::OpenFeatureDevice() {
    if (closed_)
        return Result::Failed("the vendor library is closed");
    if (!functions_.openFeatureDevice)
        return Result::Failed("the vendor library has no HID_Open_FeatureDevice");
    // The library's answer: non-zero when the feature device is open.
    if (functions_.openFeatureDevice() == 0)
        return Result::Failed("no wired mouse answered HID_Open_FeatureDevice");
    return Result::Done();
}

void VendorHidBinding::CloseFeatureDevice() {
    if (!closed_ && functions_.closeFeatureDevice)
        functions_.closeFeatureDevice();
}

Result VendorHidBinding::SetFeature(const std::uint8_t* data, std::size_t length) {
    if (closed_)
        return Result::Failed("the vendor library is closed");
    if (!functions_.setFeature)
        return Result::Failed("the vendor library has no HID_SetFeature");
    // The library's answer: non-zero when the mouse took the report.
    if (functions_.setFeature(data, length) == 0)
        return Result::Failed("HID_SetFeature failed");
    return Result::Done();
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
