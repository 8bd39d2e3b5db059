/* A stand-in hook library that has only the key hook: the mouse functions are missing. */
static int keyHookInstalled;

int hook_test_key_hook_installed(void) {
    return keyHookInstalled;
}

int installhook(const void* window) {
    keyHookInstalled = window != 0;
    return 1;
}
int removehook(void) {
    keyHookInstalled = 0;
    return 1;
}
int enablehook(int flag) {
    return flag;
}
