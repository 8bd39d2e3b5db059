// A window for the focus tests: `ms1_focuswin CLASS` maps a window whose WM_CLASS is
// ("instance", CLASS); `ms1_focuswin -` one with no WM_CLASS, only _NET_WM_PID. Once the
// window manager has mapped it, prints its id in decimal and a line end, then stays until
// killed or the X server goes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <xcb/xcb.h>

static xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: ms1_focuswin CLASS|-\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char* name = argv[1];
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        (uint32_t)strlen(name), name);
    if (strcmp(name, "-") != 0) {
        char wmClass[256];
        const int instance = snprintf(wmClass, sizeof wmClass, "instance") + 1;
        const int length =
            instance + snprintf(wmClass + instance, sizeof wmClass - instance, "%s", name) + 1;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            (uint32_t)length, wmClass);
    } else {
        const uint32_t pid = (uint32_t)getpid();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Intern(c, "_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    xcb_map_window(c, window);
    xcb_flush(c);
    xcb_generic_event_t* event;
    int announced = 0;
    while ((event = xcb_wait_for_event(c)) != NULL) {
        if (!announced && (event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            printf("%u\n", window);
            fflush(stdout);
            announced = 1;
        }
        free(event);
    }
    xcb_disconnect(c);
    return 0;
}
