// The Bluetooth LE link's logic over a GATT platform described by a table: the address scan,
// the matching of service interfaces, the connection state with the page's display, device
// changes, the subscription and the write.
#include "transport/BleGattLink.h"

#include <gtest/gtest.h>

#include "ports/WindowMessages.h"
#include "protocol/DeviceStatus.h"
#include "tests/support/ProtocolFakes.h"
#include "tests/support/ResultText.h"
#include "transport/FakeGattPlatform.h"

namespace ms1 {
namespace {

using test::Device;
using test::MousePath;
using test::Notify;
using test::Said;
using test::Writable;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kMouse = "c8478c0a1b2d";
constexpr const char* kKeyboard = "f0a1b2c3d4e5";
constexpr const char* kAwayMouse = "0a0b0c0d0e0f";

const std::string kKeyboardPath = "\\\\?\\BTHLEDevice#{" + test::Uuid16("fee0") +
                                  "}_Dev_VID&02046d_PID&b342_REV&0001_" + kKeyboard + "#8&2";

struct RecordingNotifications final : BleNotificationSink {
    void OnBleNotification(std::uint16_t a, std::uint16_t v) override { words.emplace_back(a, v); }
    std::vector<std::pair<std::uint16_t, std::uint16_t>> words;
};

// The page's part of a connection change, as the session wires it: the status decoding.
struct StatusAsLinkView final : BleLinkView {
    explicit StatusAsLinkView(DeviceStatus& s) : status(s) {}
    void ShowBleConnected() override { status.ShowBleConnected(); }
    void ShowBleDisconnected() override { status.ShowBleDisconnected(); }
    DeviceStatus& status;
};

struct NoEvents final : DeviceEventSink {
    void OnDeviceArrival(const DeviceEvent&) override {}
    void OnDeviceRemoval(const DeviceEvent&) override {}
};

class BleGattLinkTest : public ::testing::Test {
  protected:
    // The keyboard and the mouse connected, a second mouse paired but away; the keyboard
    // carries the same vendor service under its own ids.
    void MouseConnected() {
        gatt.devices = {Device(kKeyboard), Device(kMouse), Device(kAwayMouse, false)};
        auto with = [](std::string path, std::vector<GattCharacteristic> characteristics,
                       std::map<std::uint16_t, std::vector<std::uint16_t>> descriptors) {
            test::FakeInterface i;
            i.path = std::move(path);
            i.characteristics = std::move(characteristics);
            i.descriptorHandles = std::move(descriptors);
            return i;
        };
        gatt.interfaces = {
            with(kKeyboardPath, {Notify(0x11), Writable(0x14)}, {{0x11, {0x13}}}),
            with(MousePath("180f"), {Notify(0x0d, "2a19")}, {{0x0d, {0x0f}}}),
            with(MousePath("fee0"), {Notify(0x11), Writable(0x14)}, {{0x11, {0x13}}}),
            with(MousePath("fee0", kAwayMouse), {Notify(0x11), Writable(0x14)}, {}),
        };
    }
    std::vector<std::string> Opened() const { return gatt.opened; }
    std::string Power() { return view.text["ms_1_label_power"]; }

    test::FakeGattPlatform gatt;
    test::QueuedWork work;
    LinkFlags flags;
    std::atomic<std::int32_t> ack{0};
    test::FakeProfiles profiles;
    test::FakeView view;
    test::FakeWindow window;
    DeviceStatus status{profiles, flags, ack, view, window, window, window, nullptr};
    StatusAsLinkView linkView{status};
    RecordingNotifications notifications;
    NoEvents events;
    BleGattLink link{{gatt, work, flags, linkView, window, notifications, events}};
};

TEST(BleAddressScan, TheSecondFieldOfEachConnectedDevicesHardwareId) {
    struct Row {
        const char* hardwareId;
        const char* address;
    };
    const Row ids[] = {
        {"BTHLE\\Dev_c8478c0a1b2d", "c8478c0a1b2d"},
        {"BTHLE\\Dev__c8478c0a1b2d", "c8478c0a1b2d"},  // empty fields do not count
        {"_BTHLE\\Dev_c8_47", "c8"},
        {"BTHLE\\Dev", ""},
        {"", ""},
        {"___", ""},
    };
    for (const Row& row : ids)
        EXPECT_EQ(AddressOfHardwareId(row.hardwareId), row.address) << row.hardwareId;

    std::vector<GattDeviceRecord> devices = {
        Device("aa"),
        Device("bb", false),                                   // paired, away: skipped
        {false, std::nullopt, "BTHLE\\Dev_cc", std::nullopt},  // no name: skipped
        {false, "no ids", std::nullopt, std::nullopt},         // no hardware id: skipped
        {false, "no address", "BTHLE\\Dev", std::nullopt},     // matches nothing
        Device("dd"),
    };
    const BleAddressTable table = ScanAddresses(devices);
    ASSERT_EQ(table.count, 3);
    EXPECT_EQ(table.entries[0].address, "aa");
    EXPECT_EQ(table.entries[1].address, "");
    EXPECT_TRUE(table.entries[1].present);
    EXPECT_EQ(table.entries[2].address, "dd");

    devices.assign(130, Device("ee"));
    EXPECT_EQ(ScanAddresses(devices).count, kBleAddressSlots);
}

TEST(BleInterfaceMatching, BothIdsAndAConnectedAddressInAnyLetterCase) {
    BleAddressTable table;
    table.entries[0] = {true, "0a0b0c0d0e0f"};
    table.entries[1] = {true, ""};  // a device whose hardware id had no address
    table.entries[2] = {true, "C8478C0A1B2D"};
    table.entries[3] = {true, "112233445566"};  // beyond the count: from no scan
    table.count = 3;
    struct Row {
        std::string path;
        const char* vid;
        const char* pid;
        bool matches;
    };
    const Row rows[] = {
        {MousePath("fee0"), "VID&02045E", "PID&A011", true},
        {MousePath("fee0", "0a0b0c0d0e0f"), "VID&02045E", "PID&A011", true},
        {MousePath("fee0", "112233445566"), "VID&02045E", "PID&A011", false},
        {MousePath("fee0", "ffffffffffff"), "VID&02045E", "PID&A011", false},
        {kKeyboardPath, "VID&02045E", "PID&A011", false},
        {"\\\\?\\BTHLEDevice#_Dev_VID&02045e_REV&0100_c8478c0a1b2d", "VID&02045E", "PID&A011",
         false},
        {MousePath("fee0"), "", "", false},  // not connected: patterns empty
        {"", "VID&02045E", "PID&A011", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchesMouseInterface(row.path, row.vid, row.pid, table), row.matches)
            << row.path;

    const struct {
        const char* uuid;
        std::optional<std::uint16_t> value;
    } uuids[] = {
        {"0000fee4-0000-1000-8000-00805f9b34fb", 0xFEE4},
        {"0000FEE3-0000-1000-8000-00805F9B34FB", 0xFEE3},
        {"1000fee4-0000-1000-8000-00805f9b34fb", std::nullopt},
        {"0000fee4-0000-1000-8000-00805f9b34fc", std::nullopt},
        {"0000fex4-0000-1000-8000-00805f9b34fb", std::nullopt},
        {"fee4", std::nullopt},
    };
    for (const auto& row : uuids)
        EXPECT_EQ(ShortUuidOf(row.uuid), row.value) << row.uuid;
}

// A failed GATT call names the platform's number first, as the trace lines always did.
TEST(GattFailed, NamesTheNumberAndWhatItMeans) {
    const std::pair<GattFailure, const char*> rows[] = {
        {GattFailure::Failed, "1 (failed)"},   {GattFailure::NotConnected, "2 (not connected)"},
        {GattFailure::Refused, "3 (refused)"}, {GattFailure::TimedOut, "4 (timed out)"},
        {GattFailure::Busy, "5 (busy)"},       {GattFailure{9}, "9 (failed)"},
    };
    for (const auto& [failure, said] : rows)
        EXPECT_EQ(Said(GattFailed(failure)), said);
}

// Start-up: the platform's answer decides the connection (with hidapi's, SetBleConnected runs
// once, with the answer; without it, with 0 at once, and 1 when the platform shows a writable
// link); the page shows what the link can do. A mouse the platform knows by its ids, or
// hidapi saw, without a link may still connect.
TEST_F(BleGattLinkTest, StartUpConnectsOnlyWithAWritableLink) {
    struct Row {
        const char* name;
        bool hidPresent;
        bool writable;
        bool mouseAway;
        bool wireless;
        bool wired;  // the cable's link is up
        bool ble;
        const char* power;
        int connectionPosts;
        BleGattLink::StartUpStage stage;
        bool idsKnown = false;  // the platform lists the mouse with its ids
    };
    using Stage = BleGattLink::StartUpStage;
    const Row rows[] = {
        {"alone", true, true, false, 0, 0, 1, "100%", 1, Stage::kConnected},
        // The receiver's state goes (1128), then the Bluetooth connection (1128 again).
        {"after the receiver", true, true, false, 1, 0, 1, "100%", 2, Stage::kConnected},
        {"beside the cable", true, true, false, 0, 1, 1, "100%", 0, Stage::kConnected},
        {"no write characteristic", true, false, false, 0, 0, 0, "", 1, Stage::kNoWritableLink},
        {"paired but away", true, true, true, 0, 0, 0, "", 1, Stage::kNoWritableLink},
        {"not seen by hidapi, connected", false, true, false, 0, 0, 1, "100%", 2,
         Stage::kConnected},
        {"not seen by hidapi, away", false, true, true, 0, 0, 0, "", 1, Stage::kNoMouse},
        {"not seen by hidapi, away, known", false, true, true, 0, 0, 0, "", 1,
         Stage::kNoWritableLink, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::FakeGattPlatform platform;
        test::QueuedWork queued;
        LinkFlags linkFlags;
        linkFlags.wirelessConnected = row.wireless;
        linkFlags.wiredConnected = row.wired ? WiredState::kUp : WiredState::kAbsent;
        test::FakeView page;
        if (row.wireless)
            page.visible.insert("ms_1_wireless");
        test::FakeWindow main;
        DeviceStatus decoding{profiles, linkFlags, ack, page, main, main, main, nullptr};
        StatusAsLinkView display{decoding};
        BleGattLink ble{{platform, queued, linkFlags, display, main, notifications, events}};
        gatt = {};
        MouseConnected();
        if (!row.writable)
            gatt.interfaces[2].characteristics[1].writable = false;
        if (row.mouseAway)
            gatt.devices[1].disconnected = true;
        if (row.idsKnown)
            gatt.devices[1].ids = "VID&02045e_PID&a011_REV&0100";
        platform.devices = gatt.devices;
        platform.interfaces = gatt.interfaces;

        ble.StartUp(row.hidPresent);
        EXPECT_FALSE(linkFlags.bleConnected.load()) << "connected only once the platform answered";
        queued.Drain();
        EXPECT_EQ(platform.deviceEventStarts, 1);
        EXPECT_EQ(ble.startUpStage(), row.stage);
        EXPECT_EQ(linkFlags.bleConnected.load(), row.ble);
        EXPECT_EQ(page.IsVisible("ms_1_BLE"), row.ble == 1);
        EXPECT_EQ(page.text["ms_1_label_power"], row.power);
        EXPECT_EQ(
            page.progress.count("ms_1_progress_power") ? page.progress["ms_1_progress_power"] : 0,
            row.ble ? 100 : 0);
        EXPECT_EQ(main.IsTimerRunning(TIMER_BLE_DISCOVERY), row.ble == 1);
        if (row.ble) {
            EXPECT_EQ(main.running[TIMER_BLE_DISCOVERY], 2000);
        }
        EXPECT_EQ(main.Count(MSG_CONNECTION_CHANGED), row.connectionPosts);
        EXPECT_EQ(linkFlags.wirelessConnected.load(), !row.ble && row.wireless);
        EXPECT_EQ(page.IsVisible("ms_1_wireless"), row.ble == 0 && row.wireless == 1);
        EXPECT_EQ(ble.VidPattern(), row.ble ? "VID&02045E" : "");
        EXPECT_EQ(ble.PidPattern(), row.ble ? "PID&A011" : "");
        // Nothing but the look: no write, no subscription before timer 516.
        EXPECT_TRUE(platform.writes.empty());
        EXPECT_TRUE(platform.registered.empty());
    }
}

// Arrivals and removals as the window thread gets them, one after the other.
TEST_F(BleGattLinkTest, DeviceChangesFollowTheMouseAndRepeatHarmlessly) {
    MouseConnected();
    // The mouse comes after start-up; the platform lists it connected while it is there.
    gatt.devices[1].disconnected = true;
    link.StartUp(false);
    work.Drain();
    const std::size_t openedAtStart = gatt.opened.size();
    enum class Step { Arrive, ArriveUndrained, Remove, Timer };
    struct Row {
        const char* what;
        Step step;
        std::string name;
        bool ble;
        std::size_t opens;  // service interfaces opened so far
        std::size_t registrations;
        std::size_t unregistered;
        bool timer516;
    };
    const std::string vendor = MousePath("fee0");
    std::string lower = vendor;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Row rows[] = {
        {"the keyboard arrives", Step::Arrive, kKeyboardPath, 0, 0, 0, 0, false},
        {"the mouse arrives and is confirmed", Step::Arrive, MousePath("180f"), 1, 2, 0, 0, true},
        {"a second arrival", Step::Arrive, vendor, 1, 2, 0, 0, true},
        {"timer 516 subscribes", Step::Timer, "", 1, 4, 1, 0, false},
        {"the mouse leaves", Step::Remove, vendor, 0, 4, 0, 1, false},
        {"another of its interfaces leaves", Step::Remove, MousePath("180f"), 0, 4, 0, 1, false},
        {"the keyboard leaves", Step::Remove, kKeyboardPath, 0, 4, 0, 1, false},
        {"back, named in lower case", Step::Arrive, lower, 1, 6, 0, 1, true},
        {"it leaves", Step::Remove, vendor, 0, 6, 0, 1, false},
        // The removal comes while the platform is still being asked: the answer is stale.
        {"arrives", Step::ArriveUndrained, vendor, 0, 6, 0, 1, false},
        // The look at the arrival finds it gone as well.
        {"and leaves before the answer", Step::Remove, vendor, 0, 6, 0, 1, false},
    };
    int removalsOfTheMouse = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const int postsBefore = window.Count(MSG_CONNECTION_CHANGED);
        switch (row.step) {
            case Step::Arrive:
            case Step::ArriveUndrained:
                if (row.name != kKeyboardPath)
                    gatt.devices[1].disconnected = false;
                link.OnDeviceArrival(DeviceEvent{row.name});
                break;
            case Step::Remove:
                if (row.name != kKeyboardPath)
                    gatt.devices[1].disconnected = true;
                link.OnDeviceRemoval(DeviceEvent{row.name});
                break;
            case Step::Timer:
                link.OnDiscoveryTimer();
                break;
        }
        if (row.step != Step::ArriveUndrained)
            work.Drain();
        EXPECT_EQ(flags.bleConnected.load(), row.ble);
        EXPECT_EQ(view.IsVisible("ms_1_BLE"), row.ble == 1);
        EXPECT_EQ(gatt.opened.size() - openedAtStart, row.opens);
        EXPECT_EQ(link.Registrations().size(), row.registrations);
        EXPECT_EQ(gatt.unregistered.size(), row.unregistered);
        EXPECT_EQ(window.IsTimerRunning(TIMER_BLE_DISCOVERY), row.timer516);
        if (row.step == Step::Remove && row.name != kKeyboardPath) {
            ++removalsOfTheMouse;
            EXPECT_EQ(link.VidPattern(), "");
            EXPECT_EQ(window.Count(MSG_CONNECTION_CHANGED), postsBefore + 1);
        }
    }
    EXPECT_EQ(removalsOfTheMouse, 4);
}

// Timer 516: every notifiable 0xFEE4 of a matching interface is configured and registered.
TEST_F(BleGattLinkTest, SubscriptionRegistersEveryNotifyCharacteristicOfTheMouse) {
    struct Row {
        const char* name;
        std::function<void(test::FakeGattPlatform&)> layout;
        std::vector<std::uint16_t> configured;
        std::vector<std::uint16_t> registered;
        std::size_t opened;
    };
    const Row rows[] = {
        {"the vendor service", [](auto&) {}, {0x13}, {0x11}, 2},
        {"on two matching interfaces",
         [](auto& g) {
             g.interfaces[1].characteristics.push_back(Notify(0x21));
             g.interfaces[1].descriptorHandles[0x21] = {0x23};
         },
         {0x23, 0x13},
         {0x21, 0x11},
         2},
        {"descriptors at 254 and 255",
         [](auto& g) {
             g.interfaces[2].descriptorHandles[0x11] = {0xFE, 0xFF, 0x13};
         },
         {0xFE, 0x13},
         {0x11},
         2},
        {"not notifiable",
         [](auto& g) { g.interfaces[2].characteristics[0].notifiable = false; },
         {},
         {},
         2},
        {"the interface does not open", [](auto& g) { g.interfaces[2].opens = false; }, {}, {}, 2},
        {"its services cannot be read",
         [](auto& g) { g.interfaces[2].servicesResult = GattFailed(GattFailure::Failed); },
         {},
         {},
         2},
        {"the mouse is away", [](auto& g) { g.devices[1].disconnected = true; }, {}, {}, 0},
        {"the platform lists nothing", [](auto& g) { g.listFails = true; }, {}, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gatt = {};
        MouseConnected();
        row.layout(gatt);
        link.SetBleConnected(true);
        EXPECT_EQ(link.SubscribeNotifications(), 0);
        EXPECT_EQ(gatt.configured, row.configured);
        EXPECT_EQ(gatt.registered, row.registered);
        EXPECT_EQ(gatt.opened.size(), row.opened);
        // All registrations are kept; the last one is the event handle.
        EXPECT_EQ(link.Registrations().size(), row.registered.size());
        EXPECT_EQ(link.EventHandle(), row.registered.empty() ? 0 : gatt.nextHandle - 1);
        link.SetBleConnected(false);
        EXPECT_EQ(gatt.unregistered.size(), row.registered.size());
        EXPECT_TRUE(gatt.callbacks.empty()) << "a registration outlived the connection";
    }
    // Not connected: nothing is scanned or opened.
    gatt = {};
    MouseConnected();
    EXPECT_EQ(link.SubscribeNotifications(), 0);
    EXPECT_TRUE(gatt.opened.empty());
    EXPECT_EQ(link.AddressTable().count, 0);
}

// One write per report, on the first writable 0xFEE3 of a matching interface.
TEST_F(BleGattLinkTest, TheFirstWritableCharacteristicTakesTheWrite) {
    const Bytes report = {0x15, 0x3C, 0x01, 0x70, 0x03, 0xA8, 0x00, 0xFF, 0x00, 0x01, 0x04};
    struct Row {
        const char* name;
        std::function<void(test::FakeGattPlatform&)> layout;
        bool scanned;
        std::size_t length;
        std::string said;  // "done", or why the report was not written
        std::vector<std::pair<int, std::uint16_t>> writes;  // interface index, characteristic
        std::vector<std::uint64_t> ended;
    };
    auto secondMouseInterface = [](test::FakeGattPlatform& g) {
        g.interfaces[1].characteristics.push_back(Writable(0x24));
    };
    const Row rows[] = {
        {"the address table is empty",
         [](auto&) {},
         false,
         report.size(),
         "no writable characteristic of the mouse was found",
         {},
         {}},
        {"the vendor service", [](auto&) {}, true, report.size(), "done", {{2, 0x14}}, {}},
        {"two interfaces can take it",
         secondMouseInterface,
         true,
         report.size(),
         "done",
         {{1, 0x24}},
         {}},
        {"the first cannot begin a write",
         [&](auto& g) {
             secondMouseInterface(g);
             g.interfaces[1].beginWriteResult = GattFailed(GattFailure::Failed);
         },
         true,
         report.size(),
         "done",
         {{2, 0x14}},
         {}},
        {"the first characteristic refuses",
         [](auto& g) {
             g.interfaces[2].characteristics.push_back(Writable(0x17));
             g.interfaces[2].writeResults[0x14] = GattFailed(GattFailure::Refused);
             g.interfaces[2].writeContext = 7;
         },
         true,
         report.size(),
         "done",
         {{2, 0x14}, {2, 0x17}},
         {7, 7}},
        {"nothing writable",
         [](auto& g) { g.interfaces[2].characteristics[1].writable = false; },
         true,
         report.size(),
         "no writable characteristic of the mouse was found",
         {},
         {}},
        {"every write refused",
         [](auto& g) { g.interfaces[2].writeResults[0x14] = GattFailed(GattFailure::Refused); },
         true,
         report.size(),
         "3 (refused)",
         {{2, 0x14}},
         {}},
        {"longer than the value buffer",
         [](auto&) {},
         true,
         997,
         "the report does not fit one write",
         {},
         {}},
        {"as long as it holds", [](auto&) {}, true, 996, "done", {{2, 0x14}}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gatt = {};
        MouseConnected();
        row.layout(gatt);
        link.SetBleConnected(true);
        if (row.scanned)
            link.ScanBluetoothAddresses();
        Bytes data = report;
        data.resize(row.length, 0x5A);
        EXPECT_EQ(Said(link.WriteCharacteristic(data.data(), data.size())), row.said);
        std::vector<std::pair<int, std::uint16_t>> writes;
        for (const auto& write : gatt.writes) {
            int index = 0;
            while (gatt.interfaces[static_cast<std::size_t>(index)].path != write.path)
                ++index;
            writes.emplace_back(index, write.characteristic);
            EXPECT_EQ(write.bytes, data) << "the report goes unchanged";
        }
        EXPECT_EQ(writes, row.writes);
        EXPECT_EQ(gatt.endedContexts, row.ended);
        link.SetBleConnected(false);
    }
    // Not connected: nothing is written even with the table filled.
    EXPECT_EQ(link.AddressTable().count, 2);  // the keyboard and the mouse
    gatt.writes.clear();
    EXPECT_EQ(Said(link.WriteCharacteristic(report.data(), report.size())),
              "the mouse is not connected");
    EXPECT_TRUE(gatt.writes.empty());
}

TEST_F(BleGattLinkTest, NotificationsHandOverTheTwoWordsAndEndWithTheConnection) {
    MouseConnected();
    link.SetBleConnected(true);
    link.SubscribeNotifications();
    ASSERT_EQ(gatt.callbacks.size(), 1u);
    GattValueCallback callback = gatt.callbacks.begin()->second;
    const Bytes battery = {0x11, 0x48, 0x01, 0x4B};
    const Bytes longer = {0x11, 0x18, 0x03, 0x00, 0x99};
    callback(battery.data(), 0);  // empty: ignored
    callback(battery.data(), 3);  // too short for a status message
    callback(battery.data(), battery.size());
    callback(longer.data(), longer.size());
    using Words = std::vector<std::pair<std::uint16_t, std::uint16_t>>;
    EXPECT_EQ(notifications.words, (Words{{0x4811, 0x4B01}, {0x1811, 0x0003}}));

    // The mouse tells its state the moment its notifications are on, before the platform has
    // answered the subscription: that report reaches the link too.
    link.SetBleConnected(false);
    notifications.words.clear();
    link.SetBleConnected(true);
    gatt.onSubscribe = [this, &battery] {
        gatt.onSubscribe = nullptr;
        for (const auto& [handle, registered] : gatt.callbacks)
            registered(battery.data(), battery.size());
    };
    link.SubscribeNotifications();
    EXPECT_EQ(notifications.words, (Words{{0x4811, 0x4B01}})) << "the first report was lost";

    // The mouse leaves while its subscription registers: that registration goes at once.
    link.SetBleConnected(false);
    link.SetBleConnected(true);
    gatt.onRegister = [this] {
        gatt.onRegister = nullptr;
        link.SetBleConnected(false);
    };
    link.SubscribeNotifications();
    EXPECT_TRUE(link.Registrations().empty());
    EXPECT_TRUE(gatt.callbacks.empty());
}

}  // namespace
}  // namespace ms1
