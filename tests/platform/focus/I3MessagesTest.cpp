#include "platform/focus/I3Messages.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace ms1::i3 {
namespace {

std::string Hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toStdString();
}

TEST(I3Messages, MessagesAreMagicLengthTypeAndPayload) {
    // Little-endian hosts: the length 10 and the type 2 as four bytes each.
    EXPECT_EQ(Hex(EncodeMessage(kSubscribe, "[\"window\"]")),
              "69 33 2d 69 70 63 0a 00 00 00 02 00 00 00 5b 22 77 69 6e 64 6f 77 22 5d");
    EXPECT_EQ(Hex(EncodeMessage(kGetTree, {})), "69 33 2d 69 70 63 00 00 00 00 04 00 00 00");

    // Two messages, the second in pieces, as a socket may hand them over.
    const QByteArray event = QByteArray::fromHex("69332d6970630200000003000080") + "{}";
    QByteArray buffer = QByteArray::fromHex("69332d6970630100000004000000") + "x" + event.left(9);
    IpcMessage message;
    ASSERT_EQ(TakeMessage(buffer, message), Take::kWhole);
    EXPECT_EQ(message.type, kGetTree);
    EXPECT_EQ(message.payload, "x");
    EXPECT_EQ(TakeMessage(buffer, message), Take::kNeedMore);
    buffer += event.mid(9);
    ASSERT_EQ(TakeMessage(buffer, message), Take::kWhole);
    EXPECT_EQ(message.type, kWindowEvent);
    EXPECT_EQ(message.payload, "{}");
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(TakeMessage(buffer, message), Take::kNeedMore);

    buffer = "HTTP/1.1 400";
    EXPECT_EQ(TakeMessage(buffer, message), Take::kBroken);
}

TEST(I3Messages, WindowEventsNameTheFocusedApplication) {
    struct Row {
        const char* payload;
        std::optional<std::string> appId;
    };
    // No id at all: the process, when the container tells its pid (this test's own).
    const std::string byPid =
        R"({"change":"focus","container":{"app_id":"","pid":)" + std::to_string(getpid()) + "}}";
    const Row rows[] = {
        // sway, a Wayland window: its app_id.
        {R"({"change":"focus","container":{"app_id":"foot","window_properties":null}})", "foot"},
        // i3, or sway's XWayland: the X11 class.
        {R"({"change":"focus","container":{"window":4194307,"app_id":null,
            "window_properties":{"class":"Gimp","instance":"gimp"}}})",
         "Gimp"},
        {byPid.c_str(), "ms1_focus_tests"},
        {R"({"change":"focus","container":{"window":1}})", ""},
        // Other changes are no focus.
        {R"({"change":"title","container":{"app_id":"foot"}})", std::nullopt},
        {R"({"change":"new","container":{"app_id":"foot"}})", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.payload);
        EXPECT_EQ(FocusedAppIdOfEvent(row.payload), row.appId);
    }
}

TEST(I3Messages, TheTreeListsEachApplicationOnceAndTheFocusedOne) {
    const QByteArray tree = R"({"type":"root","window":null,"nodes":[
        {"type":"output","nodes":[{"type":"workspace","nodes":[
            {"type":"con","window":11,"window_properties":{"class":"Firefox"},"focused":false},
            {"type":"con","window":null,"nodes":[
                {"type":"con","window":12,"window_properties":{"class":"Gimp"},"focused":true},
                {"type":"con","window":13,"window_properties":{"class":"Firefox"}}]}],
            "floating_nodes":[{"type":"floating_con","nodes":[
                {"type":"con","app_id":"foot","window":null}]}]}]}]})";
    const TreeWindows windows = WindowsOfTree(tree);
    EXPECT_EQ(windows.appIds, (std::vector<std::string>{"Firefox", "Gimp", "foot"}));
    EXPECT_EQ(windows.focused, "Gimp");
    EXPECT_TRUE(WindowsOfTree("not json").appIds.empty());
}

}  // namespace
}  // namespace ms1::i3
