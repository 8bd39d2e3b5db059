// The virtual mouse's Bluetooth LE personality, driven through the GATT port the way a link
// would drive it.
#include "sim/VirtualGattMouse.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "sim/ManualSimClock.h"
#include "sim/Simulation.h"
#include "sim/VirtualHidBus.h"
#include "tests/support/Eventually.h"
#include "tests/support/Recorded.h"
#include "tests/support/ResultText.h"
#include "tests/support/ThreadRounds.h"

namespace ms1::sim {
namespace {

using namespace std::chrono_literals;
using test::Said;
using Bytes = std::vector<std::uint8_t>;

Bytes Report(std::initializer_list<std::uint8_t> head, std::size_t size = 60) {
    Bytes bytes(head);
    bytes.resize(size, 0);
    return bytes;
}

struct RecordingEvents final : DeviceEventSink {
    void OnDeviceArrival(const DeviceEvent& e) override { arrived.push_back(e.interfaceName); }
    void OnDeviceRemoval(const DeviceEvent& e) override { removed.push_back(e.interfaceName); }
    std::vector<std::string> arrived;
    std::vector<std::string> removed;
};

class VirtualGattMouseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::set<int> before = test::ThreadIds();
        bus = MakeSimulation("ble", clock);
        ASSERT_NE(bus, nullptr);
        ASSERT_NE(bus->Gatt(), nullptr);
        gatt = bus->Gatt();
        for (int id : test::ThreadIds()) {
            if (before.count(id) == 0)
                started.push_back(id);
        }
    }
    // The notification thread (the one thread the simulation started) sleeps with nothing
    // left to do: what it would hand over by then, it has handed over.
    bool NotificationThreadWentRound() {
        if (started.size() != 1) {
            ADD_FAILURE() << started.size() << " threads started with the simulation";
            return false;
        }
        return test::Eventually([&] { return gatt->Idle(); });
    }
    // The vendor service's interface and its two characteristics, notify then write.
    std::unique_ptr<GattServiceHandle> OpenVendor(std::vector<GattCharacteristic>& out) {
        const std::string path = gatt->MouseInterfacePaths().at(2);
        auto handle = gatt->Open(path);
        EXPECT_NE(handle, nullptr);
        auto services = handle->Services();
        EXPECT_TRUE(services.ok());
        out = handle->Characteristics(services.value().at(0)).value();
        return handle;
    }
    std::vector<Bytes> Notifications() const { return values.All(); }
    bool WaitForNotifications(std::size_t count) { return values.WaitForSize(count); }
    GattValueCallback Recorder() {
        return [this](const std::uint8_t* data, std::size_t size) {
            values.Add(Bytes(data, data + size));
        };
    }

    std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
    std::unique_ptr<VirtualHidBus> bus;
    VirtualGattMouse* gatt = nullptr;
    std::vector<int> started;  // threads the simulation started
    test::Recorded<Bytes> values;
};

// A write is one whole report, checked as the receiver's mouse checks it; the result of the
// write is the mouse's answer.
TEST_F(VirtualGattMouseTest, WritesAreCheckedLikeTheReceiversReports) {
    std::vector<GattCharacteristic> characteristics;
    auto vendor = OpenVendor(characteristics);
    ASSERT_EQ(characteristics.size(), 2u);
    const GattCharacteristic& write = characteristics[1];
    ASSERT_TRUE(write.writable);
    // Lighting of the default profile, checksum 02 1F over bytes 3..10.
    const Bytes lighting =
        Report({0x15, 0x3C, 0x01, 0x70, 0x03, 0xA8, 0x00, 0xFF, 0x00, 0x01, 0x04, 0x02, 0x1F});
    Bytes badChecksum = lighting;
    badChecksum[12] = 0x20;
    // A macro page whole: two units, press and release of A after 10 ms; checksum 00 A9.
    Bytes page =
        Report({0x19, 0x83, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x0A, 0x04, 0x94, 0x04}, 131);
    page[129] = 0x00;
    page[130] = 0xA9;
    Bytes pageBadChecksum = page;
    pageBadChecksum[130] = 0xAA;
    const Bytes packet = Report({0x19, 0x40, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02}, 64);
    struct Row {
        const char* name;
        Bytes bytes;
        const char* said;  // "done", or the reason
    };
    const Row rows[] = {
        {"lighting", lighting, "done"},
        {"a wrong checksum", badChecksum, "3 (refused)"},
        {"61 bytes", Report({0x15, 0x3C, 0x01}, 61), "3 (refused)"},
        {"the polling rate: none over Bluetooth", Report({0x16, 0x3C, 0x01, 0x01, 0xFE}),
         "3 (refused)"},
        {"a macro page whole", page, "done"},
        {"a macro page with a wrong checksum", pageBadChecksum, "3 (refused)"},
        {"a macro page in the receiver's packets", packet, "3 (refused)"},
        {"the preamble", Report({0x1C, 0x3C, 0x01, 0xFE, 0x01, 0xFE}), "done"},
    };
    std::size_t recorded = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            Said(vendor->SetCharacteristicValue(write, row.bytes.data(), row.bytes.size(), 0)),
            row.said);
        const auto packets = bus->ReceivedPackets();
        ASSERT_EQ(packets.size(), ++recorded) << "every write is in the dump";
        EXPECT_EQ(packets.back().bytes, row.bytes);
    }
    const MouseSettings settings = bus->Settings(0);
    EXPECT_EQ(settings.lightMode, 7);
    EXPECT_EQ(settings.keyDebounce, 4);
    EXPECT_EQ(settings.rateCode, 0);
    EXPECT_EQ(settings.preambles, 1);
    ASSERT_EQ(settings.macroPages.count(11), 1u);
    EXPECT_EQ(settings.macroPages.at(11)[130], 0xA9);
    EXPECT_EQ(settings.macroPages.size(), 1u);

    // The notify characteristic takes no report; a refusing mouse takes none either.
    EXPECT_EQ(Said(vendor->SetCharacteristicValue(characteristics[0], lighting.data(), 60, 0)),
              "1 (failed)");
    gatt->SetRefusing(true);
    EXPECT_EQ(Said(vendor->SetCharacteristicValue(write, lighting.data(), 60, 0)), "3 (refused)");
    gatt->SetRefusing(false);
    gatt->Disconnect();
    EXPECT_EQ(Said(vendor->SetCharacteristicValue(write, lighting.data(), 60, 0)),
              "2 (not connected)");
    EXPECT_EQ(bus->ReceivedPackets().size(), recorded);

    // The keyboard's look-alike characteristic never reaches the mouse.
    const std::string keyboardPath = gatt->PresentServiceInterfaces()->back();
    auto keyboard = gatt->Open(keyboardPath);
    ASSERT_NE(keyboard, nullptr);
    auto keyboardCharacteristics =
        keyboard->Characteristics(keyboard->Services().value()[0]).value();
    EXPECT_EQ(
        Said(keyboard->SetCharacteristicValue(keyboardCharacteristics[1], lighting.data(), 60, 0)),
        "done");
    EXPECT_EQ(gatt->KeyboardWrites(), 1);
    EXPECT_EQ(bus->ReceivedPackets().size(), recorded);
}

// The mouse's status messages reach a registration only once the configuration is written,
// and only while the mouse is connected; its interfaces arrive and leave with it.
TEST_F(VirtualGattMouseTest, NotificationsAndConnectionFollowTheMouse) {
    RecordingEvents events;
    gatt->StartDeviceEvents(events);
    std::vector<GattCharacteristic> characteristics;
    auto vendor = OpenVendor(characteristics);
    const GattCharacteristic& notify = characteristics[0];
    auto registration = vendor->RegisterValueChanged(notify, Recorder());
    ASSERT_TRUE(registration.ok());
    bus->WithMouse(0, [](VirtualMouse& mouse) { mouse.SelectStage(3); });
    ASSERT_TRUE(NotificationThreadWentRound());
    EXPECT_TRUE(Notifications().empty()) << "nothing before the configuration is written";

    auto descriptors = vendor->Descriptors(notify);
    ASSERT_TRUE(descriptors.ok());
    ASSERT_EQ(descriptors.value().size(), 1u);
    EXPECT_EQ(descriptors.value()[0].type, kGattClientConfiguration);
    EXPECT_EQ(Said(vendor->SubscribeToNotifications(descriptors.value()[0])), "done");
    EXPECT_TRUE(gatt->Notifying());
    // Powered up on connecting: its battery (on battery, 80 %), then the stage.
    ASSERT_TRUE(WaitForNotifications(2));
    EXPECT_EQ(Notifications()[0], (Bytes{0x11, 0x48, 0x01, 0x50}));
    EXPECT_EQ(Notifications()[1], (Bytes{0x11, 0x18, 0x03, 0x00}));

    // Seen by the HID enumeration while connected, and listed as connected.
    EXPECT_EQ(bus->Enumerate(0x045E, 0xA011).size(), 1u);
    EXPECT_FALSE(gatt->PresentBluetoothDevices()->back().disconnected);

    gatt->Disconnect();
    EXPECT_EQ(events.removed, gatt->MouseInterfacePaths());
    EXPECT_TRUE(events.arrived.empty());
    EXPECT_TRUE(bus->Enumerate(0x045E, 0xA011).empty());
    EXPECT_TRUE(gatt->PresentBluetoothDevices()->back().disconnected);
    EXPECT_EQ(gatt->PresentServiceInterfaces()->size(), 4u) << "paired: still listed";
    EXPECT_FALSE(vendor->Descriptors(notify).ok());
    bus->WithMouse(0, [](VirtualMouse& mouse) { mouse.SetLightingMode(2); });

    gatt->Connect();
    EXPECT_EQ(events.arrived, gatt->MouseInterfacePaths());
    EXPECT_FALSE(gatt->Notifying()) << "the configuration is written again on each connection";
    EXPECT_EQ(Said(vendor->SubscribeToNotifications(vendor->Descriptors(notify).value()[0])),
              "done");
    ASSERT_TRUE(WaitForNotifications(4));
    EXPECT_EQ(Notifications()[2], (Bytes{0x11, 0x78, 0x20, 0x00}));

    EXPECT_EQ(Said(gatt->UnregisterEvent(registration.value())), "done");
    EXPECT_EQ(Said(gatt->UnregisterEvent(registration.value())), "1 (failed)");
    EXPECT_EQ(gatt->RegistrationCount(), 0);
    gatt->StopDeviceEvents();
    gatt->Disconnect();
    EXPECT_EQ(events.removed.size(), gatt->MouseInterfacePaths().size());
}

}  // namespace
}  // namespace ms1::sim
