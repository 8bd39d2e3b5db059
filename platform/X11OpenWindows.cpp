#include "platform/X11OpenWindows.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace ms1 {
namespace {

// The largest number of windows and the longest WM_CLASS read, in 32-bit units.
constexpr std::uint32_t kMaxWindows = 4096;
constexpr std::uint32_t kMaxClassUnits = 128;

}  // namespace

X11OpenWindows::X11OpenWindows(std::string display) : display_(std::move(display)) {}

X11OpenWindows::~X11OpenWindows() {
    if (connection_ != nullptr)
        xcb_disconnect(connection_);
}

bool X11OpenWindows::Connected() {
    if (connection_ != nullptr || failed_)
        return connection_ != nullptr;
    failed_ = true;
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(display_.empty() ? nullptr : display_.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    const char name[] = "_NET_CLIENT_LIST";
    xcb_intern_atom_reply_t* atom =
        screens.rem > 0
            ? xcb_intern_atom_reply(connection,
                                    xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr)
            : nullptr;
    if (atom == nullptr) {
        xcb_disconnect(connection);
        return false;
    }
    clientList_ = atom->atom;
    std::free(atom);
    root_ = screens.data->root;
    connection_ = connection;
    failed_ = false;
    return true;
}

std::vector<std::string> X11OpenWindows::AppIds() {
    std::vector<std::string> apps;
    if (!Connected())
        return apps;
    xcb_get_property_reply_t* list = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, clientList_, XCB_ATOM_WINDOW, 0, kMaxWindows),
        nullptr);
    if (list == nullptr)
        return apps;
    std::vector<xcb_window_t> windows;
    if (list->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
        windows.assign(ids, ids + xcb_get_property_value_length(list) / 4);
    }
    std::free(list);

    // All questions first, then the answers: one wait for the whole list.
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows) {
        cookies.push_back(xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS,
                                           XCB_ATOM_STRING, 0, kMaxClassUnits));
    }
    for (xcb_get_property_cookie_t cookie : cookies) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        if (reply == nullptr)
            continue;  // the window went away meanwhile
        // "instance\0class\0": the class names the application.
        const auto* text = static_cast<const char*>(xcb_get_property_value(reply));
        const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply));
        if (reply->format == 8 && length > 0) {
            const std::string value(text, length);
            const std::size_t split = value.find('\0');
            if (split != std::string::npos && split + 1 < value.size()) {
                std::string cls = value.substr(split + 1);
                cls.resize(std::strlen(cls.c_str()));
                if (!cls.empty())
                    apps.push_back(cls);
            }
        }
        std::free(reply);
    }
    return apps;
}

}  // namespace ms1
