#pragma once

// The functions of the vendor library "libhidapi_1.so" that reaches the wired mouse, as the
// program calls them. Plain C, so that the library needs neither Qt nor C++ from us.
#include <stddef.h>
#include <stdint.h>

#include "ports/WindowHandle.h"

#ifdef __cplusplus
extern "C" {
#endif

// Selects the device the other functions address. Result ignored.
typedef int (*HID_Set_VIDPID_Fn)(uint16_t vendorId, uint16_t productId);
// Starts watching for the device: `stateMessage` with wParam 1 when it arrives and 0 when it
// leaves, `dataMessage` with A in wParam and V in the low half of lParam for each status
// report. `window` must stay valid until HID_Close_DevMonitor returns. Result ignored.
typedef int (*HID_Open_DevMonitor_Fn)(const Ms1WindowHandle* window, uint32_t dataMessage,
                                      uint32_t stateMessage);
// Non-zero when the device's feature collection is open.
typedef int (*HID_Open_FeatureDevice_Fn)(void);
typedef void (*HID_Close_FeatureDevice_Fn)(void);
// Ends the watching; nothing is posted after it returns.
typedef void (*HID_Close_DevMonitor_Fn)(void);
// Sends one feature report (byte 0 is the report id); non-zero when it was sent.
typedef int (*HID_SetFeature_Fn)(const uint8_t* data, size_t length);
// Reads one feature report; the program never calls it.
typedef int (*HID_GetFeature_Fn)(uint8_t* data, size_t length);

#ifdef __cplusplus
}
#endif
