#include "platform/focus/X11FocusSource.h"

#include <xcb/xcb.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/focus/ProcessName.h"

namespace ms1 {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

// The 32-bit values of a property (WINDOW, CARDINAL); empty when it is missing.
std::vector<std::uint32_t> Read32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type, std::uint32_t maxValues) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, maxValues), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

}  // namespace

std::unique_ptr<X11FocusSource> X11FocusSource::Connect(const char* display) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::unique_ptr<X11FocusSource>(new X11FocusSource(c, it.data->root));
}

X11FocusSource::X11FocusSource(xcb_connection_t* connection, std::uint32_t root)
    : connection_(connection), root_(root) {
    activeAtom_ = Atom("_NET_ACTIVE_WINDOW");
    clientListAtom_ = Atom("_NET_CLIENT_LIST");
    pidAtom_ = Atom("_NET_WM_PID");
}

X11FocusSource::~X11FocusSource() {
    notifier_.reset();
    xcb_disconnect(connection_);
}

std::uint32_t X11FocusSource::Atom(const char* name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

std::string X11FocusSource::UnavailableReason() const {
    return xcb_connection_has_error(connection_) ? "app_profiles_no_x11_text" : std::string();
}

bool X11FocusSource::Start(FocusListener listener) {
    if (xcb_connection_has_error(connection_) || activeAtom_ == XCB_ATOM_NONE)
        return false;
    listener_ = std::move(listener);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &X11FocusSource::Drain);
    // The event mask is in force before the first read, so no change falls between them.
    ReadActive();
    // Replies read meanwhile may have queued events the socket will not announce again.
    QMetaObject::invokeMethod(this, &X11FocusSource::Drain, Qt::QueuedConnection);
    return true;
}

void X11FocusSource::Drain() {
    while (xcb_generic_event_t* raw = xcb_poll_for_event(connection_)) {
        XcbReply<xcb_generic_event_t> event(raw);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(raw);
        if (notify->window == root_ && notify->atom == activeAtom_)
            ReadActive();
    }
    if (xcb_connection_has_error(connection_) && notifier_)
        notifier_->setEnabled(false);
}

void X11FocusSource::ReadActive() {
    const std::vector<std::uint32_t> active =
        Read32(connection_, root_, activeAtom_, XCB_ATOM_WINDOW, 1);
    const std::string appId =
        active.empty() || active[0] == XCB_WINDOW_NONE ? std::string() : AppIdOf(active[0]);
    if (reported_ && appId == last_)
        return;
    reported_ = true;
    last_ = appId;
    if (listener_)
        listener_(appId);
}

std::string X11FocusSource::AppIdOf(std::uint32_t window) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (reply) {
        // "instance\0class\0": the class is the second string.
        const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
        const int length = xcb_get_property_value_length(reply.get());
        const char* end = value + length;
        const char* firstEnd = std::find(value, end, '\0');
        if (firstEnd != end) {
            std::string windowClass(firstEnd + 1, std::find(firstEnd + 1, end, '\0'));
            if (!windowClass.empty())
                return windowClass;
        }
    }
    const std::vector<std::uint32_t> pid =
        Read32(connection_, window, pidAtom_, XCB_ATOM_CARDINAL, 1);
    return pid.empty() ? std::string() : ProcessName(pid[0]);
}

void X11FocusSource::ListOpen(ListListener done) {
    std::vector<std::string> ids;
    for (std::uint32_t window :
         Read32(connection_, root_, clientListAtom_, XCB_ATOM_WINDOW, 4096)) {
        std::string id = AppIdOf(window);
        if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(std::move(id));
    }
    if (notifier_)
        QMetaObject::invokeMethod(this, &X11FocusSource::Drain, Qt::QueuedConnection);
    // Heard later, as the port promises, so that callers see one order on every desktop.
    QMetaObject::invokeMethod(
        this, [done = std::move(done), ids = std::move(ids)]() mutable { done(std::move(ids)); },
        Qt::QueuedConnection);
}

}  // namespace ms1
