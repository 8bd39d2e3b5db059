// The list of open windows' applications, on an X server of its own where the test plays the
// window manager: it makes the windows, names their WM_CLASS and keeps _NET_CLIENT_LIST.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/X11OpenWindows.h"

namespace ms1 {
namespace {

class X11OpenWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        connection_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(connection_)) << "no X server on $DISPLAY";
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const char name[] = "_NET_CLIENT_LIST";
        auto* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
        ASSERT_NE(atom, nullptr);
        clientList_ = atom->atom;
        std::free(atom);
    }
    void TearDown() override {
        xcb_delete_property(connection_, root_, clientList_);
        xcb_flush(connection_);
        xcb_disconnect(connection_);
    }
    // A window with WM_CLASS of exactly these bytes (none when empty).
    xcb_window_t Window(const std::string& wmClass) {
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!wmClass.empty()) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass.size()),
                                wmClass.data());
        }
        return window;
    }
    void List(const std::vector<xcb_window_t>& windows) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, clientList_, XCB_ATOM_WINDOW,
                            32, static_cast<std::uint32_t>(windows.size()), windows.data());
        // Answered before the program under test asks on its own connection.
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t clientList_ = 0;
};

TEST_F(X11OpenWindowsTest, ListsTheClassOfEachListedWindow) {
    using namespace std::string_literals;
    const xcb_window_t firefox = Window("Navigator\0firefox\0"s);
    const xcb_window_t gimp = Window("gimp-2.10\0Gimp-2.10\0"s);
    const xcb_window_t noClass = Window("");
    const xcb_window_t instanceOnly = Window("solo\0"s);
    const xcb_window_t unterminated = Window("term\0Alacritty"s);
    const xcb_window_t unlisted = Window("x\0Unlisted\0"s);
    (void)unlisted;
    const xcb_window_t gone = Window("y\0Gone\0"s);
    xcb_destroy_window(connection_, gone);

    X11OpenWindows windows;
    EXPECT_TRUE(windows.AppIds().empty()) << "no window manager list yet";

    List({gimp, noClass, firefox, gone, instanceOnly, unterminated});
    EXPECT_EQ(windows.AppIds(), (std::vector<std::string>{"Gimp-2.10", "firefox", "Alacritty"}));
    // Asked again, the list is read again.
    List({firefox});
    EXPECT_EQ(windows.AppIds(), (std::vector<std::string>{"firefox"}));
}

TEST(X11OpenWindows, NoServerIsAnEmptyList) {
    X11OpenWindows windows(":4093");
    EXPECT_TRUE(windows.AppIds().empty());
    EXPECT_TRUE(windows.AppIds().empty());
}

}  // namespace
}  // namespace ms1
