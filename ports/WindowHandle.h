#pragma once

// The window handle handed to the run-time libraries (libHook.so, libhidapi_1.so). It is a
// plain C struct so that those libraries post messages to a window without knowing Qt or C++.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Ms1WindowHandle {
    void* context;
    // Posts (message, wParam, lParam) to the window; callable from any thread.
    void (*post)(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam);
} Ms1WindowHandle;

// Posts through a handle; a null handle or function does nothing.
static inline void Ms1PostMessage(const Ms1WindowHandle* window, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
    if (window != 0 && window->post != 0) {
        window->post(window->context, message, wParam, lParam);
    }
}

#ifdef __cplusplus
}

#include "ports/MessagePorts.h"

namespace ms1 {

// A handle whose messages go to a MessageTarget. The target must outlive every user.
inline Ms1WindowHandle MakeWindowHandle(MessageTarget& target) {
    return Ms1WindowHandle{&target,
                           [](void* context, uint32_t message, uintptr_t wParam, intptr_t lParam) {
                               static_cast<MessageTarget*>(context)->Post(message, wParam, lParam);
                           }};
}

}  // namespace ms1
#endif
