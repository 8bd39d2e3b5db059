// The exported functions of libhidapi_1.so. The library has one device at a time, as its
// callers expect; its state lives as long as the library is loaded.
#include "libs/hidapi_1/HidapiDeviceAccess.h"
#include "libs/hidapi_1/VendorMonitor.h"
#include "ports/VendorHidApi.h"

namespace {

ms1::vendorhid::VendorMonitor& Monitor() {
    // Destroyed in reverse order when the library is unloaded: the monitor first (its thread
    // joined), then the device access.
    static ms1::vendorhid::HidapiDeviceAccess access;
    static ms1::vendorhid::VendorMonitor monitor(access);
    return monitor;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int HID_Set_VIDPID(uint16_t vendorId, uint16_t productId) {
    Monitor().SetIds(vendorId, productId);
    return 1;
}

__attribute__((visibility("default"))) int HID_Open_DevMonitor(const Ms1WindowHandle* window,
                                                               uint32_t dataMessage,
                                                               uint32_t stateMessage) {
    return Monitor().OpenMonitor(window, dataMessage, stateMessage);
}

__attribute__((visibility("default"))) int HID_Open_FeatureDevice(void) {
    return Monitor().OpenFeature();
}

__attribute__((visibility("default"))) void HID_Close_FeatureDevice(void) {
    Monitor().CloseFeature();
}

__attribute__((visibility("default"))) void HID_Close_DevMonitor(void) {
    Monitor().CloseMonitor();
}

__attribute__((visibility("default"))) int HID_SetFeature(const uint8_t* data, size_t length) {
    return Monitor().SetFeature(data, length);
}

__attribute__((visibility("default"))) int HID_GetFeature(uint8_t* data, size_t length) {
    (void)data;
    (void)length;
    return 0;  // nothing of ours reads feature reports
}

}  // extern "C"
