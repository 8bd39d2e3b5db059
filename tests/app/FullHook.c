/* A stand-in hook library with all seven functions; it records the calls it receives. */
#include <stdio.h>
#include <string.h>

static char calls[1024];

static void Record(const char* call) {
    if (strlen(calls) + strlen(call) + 2 < sizeof calls) {
        strcat(calls, call);
        strcat(calls, ";");
    }
}

const char* hook_test_calls(void) {
    return calls;
}
void hook_test_reset(void) {
    calls[0] = '\0';
}

int installmousehook(void) {
    Record("installmousehook");
    return 1;
}
int removemousehook(void) {
    Record("removemousehook");
    return 1;
}
int enablemousehook(int flag) {
    char call[32];
    snprintf(call, sizeof call, "enablemousehook(%d)", flag);
    Record(call);
    return 1;
}
int installhook(const void* window) {
    Record(window != 0 ? "installhook(window)" : "installhook(null)");
    return 1;
}
int removehook(void) {
    Record("removehook");
    return 1;
}
int enablehook(int flag) {
    char call[32];
    snprintf(call, sizeof call, "enablehook(%d)", flag);
    Record(call);
    return 1;
}
int mousewheelenable(int flag) {
    char call[32];
    snprintf(call, sizeof call, "mousewheelenable(%d)", flag);
    Record(call);
    return 1;
}
