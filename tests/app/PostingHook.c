/* A stand-in hook library that delivers events like the real one: it keeps the window given
   to installhook until removehook, and the test hands it key and button events to post as
   message 1034 while key events are enabled. */
#include <stdint.h>

#include "ports/WindowHandle.h"

static const Ms1WindowHandle* window;
static int keysEnabled;

/* Posts one event as the library does; 0 when no window would receive it. */
int hook_test_post(uintptr_t code, intptr_t kind) {
    if (window == 0 || !keysEnabled) {
        return 0;
    }
    Ms1PostMessage(window, 1034, code, kind);
    return 1;
}

int installmousehook(void) {
    return 1;
}
int removemousehook(void) {
    return 1;
}
int enablemousehook(int flag) {
    return flag;
}
int installhook(const Ms1WindowHandle* target) {
    window = target;
    return 1;
}
int removehook(void) {
    window = 0;
    return 1;
}
int enablehook(int flag) {
    keysEnabled = flag;
    return 1;
}
int mousewheelenable(int flag) {
    return flag;
}
