#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>

#include "ports/FocusSource.h"

class QSocketNotifier;
struct xcb_connection_t;

namespace ms1 {

// The focus as an EWMH window manager tells it on X11: the root window's _NET_ACTIVE_WINDOW,
// read once and then again at each PropertyNotify of it, on an X connection of the source's
// own whose socket is watched on the window thread (never polled). The application id is the
// window's WM_CLASS class, else the name of the process _NET_WM_PID names; the windows open
// now are those of _NET_CLIENT_LIST.
class X11FocusSource final : public QObject, public FocusSource {
    Q_OBJECT

  public:
    // Null when the display cannot be opened. `display`: null for $DISPLAY.
    static std::unique_ptr<X11FocusSource> Connect(const char* display = nullptr);
    ~X11FocusSource() override;

    std::string Kind() const override { return "x11"; }
    std::string UnavailableReason() const override;
    bool Start(FocusListener listener) override;
    void ListOpen(ListListener done) override;

  private:
    X11FocusSource(xcb_connection_t* connection, std::uint32_t root);
    std::uint32_t Atom(const char* name);
    // Reads _NET_ACTIVE_WINDOW and reports its application when it changed.
    void ReadActive();
    std::string AppIdOf(std::uint32_t window);
    // Handles every event the connection holds, read or queued.
    void Drain();

    xcb_connection_t* connection_;
    std::uint32_t root_;
    std::uint32_t activeAtom_ = 0;
    std::uint32_t clientListAtom_ = 0;
    std::uint32_t pidAtom_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    FocusListener listener_;
    std::string last_;
    bool reported_ = false;
};

}  // namespace ms1
