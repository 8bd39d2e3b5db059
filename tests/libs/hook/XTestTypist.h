#pragma once

// Keys and buttons typed on the X server with XTest, as a user would, over a connection of
// the test's own. Xlib stays out of this header: its macros clash with Qt and GoogleTest.
struct _XDisplay;

namespace ms1::hook::test {

class XTestTypist {
  public:
    XTestTypist();  // on $DISPLAY
    ~XTestTypist();
    XTestTypist(const XTestTypist&) = delete;
    XTestTypist& operator=(const XTestTypist&) = delete;

    // There is a server, and it has XTest.
    bool Ready() const;
    // X key codes (evdev code + 8) and X buttons; each call reaches the server before it
    // returns.
    void Key(unsigned keycode, bool down);
    void Button(unsigned button, bool down);
    // Moves the pointer to a point of the screen.
    void Move(int x, int y);
    void Key(unsigned keycode) {
        Key(keycode, true);
        Key(keycode, false);
    }
    void Button(unsigned button) {
        Button(button, true);
        Button(button, false);
    }

  private:
    _XDisplay* display_;
};

}  // namespace ms1::hook::test
