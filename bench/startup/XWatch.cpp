// The X side of scripts/measure, on the X server named by DISPLAY:
//
//   ms1_xwatch window   watches for the first top-level window of a program that is on the
//                       screen and prints, one line each, as they happen:
//                         ready
//                         window 0xID PID WIDTHxHEIGHT SECONDS.NANOSECONDS
//                         unmapped 0xID SECONDS.NANOSECONDS   (that window left the screen)
//                         mapped 0xID SECONDS.NANOSECONDS     (it came back)
//   ms1_xwatch tray     a system tray (XEmbed): owns _NET_SYSTEM_TRAY_S0, takes the icons
//                       programs dock in one row at the screen's top left, prints
//                         ready
//                         docked 0xID
//
// Both end when standard input closes. Times are CLOCK_REALTIME, taken when the event was
// read from the X connection.
//
// "On the screen" is the first Expose event of a window that is a child of the root when it
// is created, not override-redirect (so no tray icon, menu or tooltip), carries _NET_WM_PID
// (so not the window manager's frame) and is at least 100 x 100: the X server has made the
// window viewable and asks the program to paint it. The watcher selects Expose on each such
// window as soon as it sees it created; a window that is already viewable by then (the
// program was quicker than the watcher) counts from that moment.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <set>
#include <string>

namespace {

constexpr std::uint16_t kMinimumSide = 100;
constexpr std::uint32_t kDockRequest = 0;     // SYSTEM_TRAY_REQUEST_DOCK
constexpr std::uint32_t kEmbeddedNotify = 0;  // XEMBED_EMBEDDED_NOTIFY
constexpr std::uint16_t kIconSide = 22;

std::string Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%09ld", static_cast<long long>(now.tv_sec), now.tv_nsec);
    return text;
}

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The window's _NET_WM_PID, 0 when it has none.
std::uint32_t WindowPid(xcb_connection_t* x, xcb_window_t window, xcb_atom_t pidAtom) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::uint32_t pid = 0;
    if (reply != nullptr && xcb_get_property_value_length(reply) == 4)
        std::memcpy(&pid, xcb_get_property_value(reply), 4);
    std::free(reply);
    return pid;
}

// Waits for the X connection or standard input; false when standard input closed or X went.
bool Wait(xcb_connection_t* x) {
    pollfd fds[2] = {{xcb_get_file_descriptor(x), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0)
            return false;
        if (fds[1].revents != 0) {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                return false;
        }
        if (fds[0].revents != 0)
            return xcb_connection_has_error(x) == 0;
    }
}

class WindowWatch {
  public:
    WindowWatch(xcb_connection_t* x, xcb_screen_t* screen)
        : x_(x), root_(screen->root), pidAtom_(Atom(x, "_NET_WM_PID")) {}

    int Run() {
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_request_check(
            x_, xcb_change_window_attributes_checked(x_, root_, XCB_CW_EVENT_MASK, &mask));
        Say("ready\n");
        while (Wait(x_)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
                const std::string when = Now();
                Handle(event, when);
                std::free(event);
            }
        }
        return 0;
    }

  private:
    void Handle(xcb_generic_event_t* event, const std::string& when) {
        switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (created->parent == root_ && created->override_redirect == 0)
                    Follow(created->window);
                break;
            }
            case XCB_EXPOSE: {
                auto* exposed = reinterpret_cast<xcb_expose_event_t*>(event);
                if (shown_ == XCB_WINDOW_NONE)
                    Consider(exposed->window, when);
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                auto* unmapped = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
                if (unmapped->window == shown_ && unmapped->event == shown_)
                    Say("unmapped 0x%x %s\n", shown_, when.c_str());
                break;
            }
            case XCB_MAP_NOTIFY: {
                auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (mapped->window == shown_ && mapped->event == shown_)
                    Say("mapped 0x%x %s\n", shown_, when.c_str());
                break;
            }
            default:
                break;
        }
    }

    // Asks for the window's Expose and structure events; one already on the screen is
    // considered at once.
    void Follow(xcb_window_t window) {
        if (!followed_.insert(window).second)
            return;
        const std::uint32_t mask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, window, XCB_CW_EVENT_MASK, &mask);
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(x_, xcb_get_window_attributes(x_, window), nullptr);
        const bool viewable =
            attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (viewable && shown_ == XCB_WINDOW_NONE)
            Consider(window, Now());
    }

    void Consider(xcb_window_t window, const std::string& when) {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(x_, xcb_get_geometry(x_, window), nullptr);
        if (geometry == nullptr)
            return;
        const std::uint16_t width = geometry->width;
        const std::uint16_t height = geometry->height;
        std::free(geometry);
        const std::uint32_t pid = WindowPid(x_, window, pidAtom_);
        if (pid == 0 || width < kMinimumSide || height < kMinimumSide)
            return;
        shown_ = window;
        Say("window 0x%x %u %ux%u %s\n", window, pid, width, height, when.c_str());
    }

    xcb_connection_t* x_;
    xcb_window_t root_;
    xcb_atom_t pidAtom_;
    std::set<xcb_window_t> followed_;
    xcb_window_t shown_ = XCB_WINDOW_NONE;
};

class Tray {
  public:
    Tray(xcb_connection_t* x, xcb_screen_t* screen, int screenNumber)
        : x_(x), screen_(screen), screenNumber_(screenNumber) {}

    int Run() {
        const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber_);
        const xcb_atom_t selection = Atom(x_, selectionName.c_str());
        opcode_ = Atom(x_, "_NET_SYSTEM_TRAY_OPCODE");
        xembed_ = Atom(x_, "_XEMBED");

        window_ = xcb_generate_id(x_);
        const std::uint32_t values[] = {screen_->black_pixel, 1,
                                        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
        xcb_create_window(x_, XCB_COPY_FROM_PARENT, window_, screen_->root, 0, 0, 4 * kIconSide,
                          kIconSide, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        const std::uint32_t horizontal = 0;
        xcb_change_property(x_, XCB_PROP_MODE_REPLACE, window_,
                            Atom(x_, "_NET_SYSTEM_TRAY_ORIENTATION"), XCB_ATOM_CARDINAL, 32, 1,
                            &horizontal);
        xcb_change_property(x_, XCB_PROP_MODE_REPLACE, window_, Atom(x_, "_NET_SYSTEM_TRAY_VISUAL"),
                            XCB_ATOM_VISUALID, 32, 1, &screen_->root_visual);
        xcb_map_window(x_, window_);
        xcb_set_selection_owner(x_, window_, selection, XCB_CURRENT_TIME);
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(x_, xcb_get_selection_owner(x_, selection), nullptr);
        const bool owned = owner != nullptr && owner->owner == window_;
        std::free(owner);
        if (!owned) {
            std::fprintf(stderr, "ms1_xwatch: %s has another owner\n", selectionName.c_str());
            return 1;
        }
        // Tells the programs already running that a tray is there (ICCCM's MANAGER).
        Send(screen_->root, Atom(x_, "MANAGER"), {XCB_CURRENT_TIME, selection, window_, 0, 0},
             XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        Say("ready\n");
        while (Wait(x_)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
                if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                    OnMessage(reinterpret_cast<xcb_client_message_event_t*>(event));
                std::free(event);
            }
        }
        return 0;
    }

  private:
    void OnMessage(const xcb_client_message_event_t* message) {
        if (message->type != opcode_ || message->data.data32[1] != kDockRequest)
            return;
        const xcb_window_t icon = message->data.data32[2];
        xcb_change_save_set(x_, XCB_SET_MODE_INSERT, icon);
        xcb_reparent_window(x_, icon, window_, static_cast<std::int16_t>(kIconSide * icons_), 0);
        const std::uint32_t size[] = {kIconSide, kIconSide};
        xcb_configure_window(x_, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        xcb_map_window(x_, icon);
        Send(icon, xembed_, {XCB_CURRENT_TIME, kEmbeddedNotify, 0, window_, 0}, 0);
        ++icons_;
        Say("docked 0x%x\n", icon);
    }

    void Send(xcb_window_t to, xcb_atom_t type, std::initializer_list<std::uint32_t> data,
              std::uint32_t mask) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = to;
        message.type = type;
        int i = 0;
        for (std::uint32_t value : data)
            message.data.data32[i++] = value;
        xcb_send_event(x_, 0, to, mask, reinterpret_cast<const char*>(&message));
        xcb_flush(x_);
    }

    xcb_connection_t* x_;
    xcb_screen_t* screen_;
    int screenNumber_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t opcode_ = XCB_ATOM_NONE;
    xcb_atom_t xembed_ = XCB_ATOM_NONE;
    int icons_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 2 ? argv[1] : "";
    if (mode != "window" && mode != "tray") {
        std::fprintf(stderr, "usage: ms1_xwatch window|tray\n");
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(x) != 0) {
        std::fprintf(stderr, "ms1_xwatch: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    int status = mode == "window" ? WindowWatch(x, screens.data).Run()
                                  : Tray(x, screens.data, screenNumber).Run();
    xcb_disconnect(x);
    return status;
}
