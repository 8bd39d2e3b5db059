#pragma once

// A GATT platform described by a table of interfaces, recording every call the link makes,
// and a work runner that queues the link's work until the test runs it.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "transport/BleGattLink.h"
#include "transport/GattPlatform.h"

namespace ms1::test {

inline std::string Uuid16(const char* hex4) {
    return std::string("0000") + hex4 + "-0000-1000-8000-00805f9b34fb";
}

inline GattCharacteristic Notify(std::uint16_t handle, const char* uuid = "fee4") {
    GattCharacteristic c;
    c.attributeHandle = handle;
    c.valueHandle = static_cast<std::uint16_t>(handle + 1);
    c.uuid = Uuid16(uuid);
    c.notifiable = true;
    return c;
}

inline GattCharacteristic Writable(std::uint16_t handle, const char* uuid = "fee3") {
    GattCharacteristic c;
    c.attributeHandle = handle;
    c.valueHandle = static_cast<std::uint16_t>(handle + 1);
    c.uuid = Uuid16(uuid);
    c.writable = true;
    return c;
}

struct FakeInterface {
    std::string path;
    std::vector<GattCharacteristic> characteristics;
    // Descriptors by characteristic handle; a notifiable one without an entry has none.
    std::map<std::uint16_t, std::vector<std::uint16_t>> descriptorHandles;
    bool opens = true;
    Result servicesResult;
    Result beginWriteResult;
    std::uint64_t writeContext = 0;
    // Results of SetCharacteristicValue by characteristic handle (done when absent).
    std::map<std::uint16_t, Result> writeResults;
};

struct FakeGattPlatform final : GattPlatform {
    struct Write {
        std::string path;
        std::uint16_t characteristic;
        std::vector<std::uint8_t> bytes;
    };

    std::vector<GattDeviceRecord> devices;
    std::vector<FakeInterface> interfaces;
    bool listFails = false;

    // What the link did.
    std::vector<std::string> opened;
    std::vector<std::uint16_t> configured;  // descriptor handles written
    std::vector<std::uint16_t> registered;  // characteristic handles
    std::vector<GattEventHandle> unregistered;
    std::vector<Write> writes;
    std::vector<std::uint64_t> endedContexts;
    std::map<GattEventHandle, GattValueCallback> callbacks;
    DeviceEventSink* sink = nullptr;
    int deviceEventStarts = 0;
    std::function<void()> onRegister;   // runs inside RegisterValueChanged
    std::function<void()> onSubscribe;  // runs inside SubscribeToNotifications

    void StartDeviceEvents(DeviceEventSink& s) override {
        sink = &s;
        ++deviceEventStarts;
    }
    void StopDeviceEvents() override { sink = nullptr; }
    std::optional<std::vector<std::string>> PresentServiceInterfaces() override {
        if (listFails)
            return std::nullopt;
        std::vector<std::string> paths;
        for (const FakeInterface& i : interfaces)
            paths.push_back(i.path);
        return paths;
    }
    std::optional<std::vector<GattDeviceRecord>> PresentBluetoothDevices() override {
        if (listFails)
            return std::nullopt;
        return devices;
    }
    std::unique_ptr<GattServiceHandle> Open(const std::string& path) override;
    Result UnregisterEvent(GattEventHandle handle) override {
        unregistered.push_back(handle);
        return callbacks.erase(handle) == 1 ? Result::Done() : GattFailed(GattFailure::Failed);
    }

    GattEventHandle nextHandle = 100;
};

class FakeServiceHandle final : public GattServiceHandle {
  public:
    FakeServiceHandle(FakeGattPlatform& platform, FakeInterface& i) : p_(platform), i_(i) {}

    ResultOf<std::vector<GattService>> Services() override {
        if (!i_.servicesResult)
            return ResultOf<std::vector<GattService>>::Failed(i_.servicesResult);
        return ResultOf<std::vector<GattService>>::Done(
            {GattService{0x10, Uuid16("fee0")}, GattService{0x40, Uuid16("180f")}});
    }
    ResultOf<std::vector<GattCharacteristic>> Characteristics(const GattService& s) override {
        // Only the first service holds the interface's characteristics.
        if (s.attributeHandle != 0x10)
            return ResultOf<std::vector<GattCharacteristic>>::Done({});
        return ResultOf<std::vector<GattCharacteristic>>::Done(i_.characteristics);
    }
    ResultOf<std::vector<GattDescriptor>> Descriptors(const GattCharacteristic& c) override {
        std::vector<GattDescriptor> out;
        for (std::uint16_t handle : i_.descriptorHandles[c.attributeHandle])
            out.push_back(GattDescriptor{0x10, c.attributeHandle, handle, kGattClientConfiguration,
                                         Uuid16("2902")});
        return ResultOf<std::vector<GattDescriptor>>::Done(std::move(out));
    }
    ResultOf<std::vector<std::uint8_t>> DescriptorValue(const GattDescriptor&) override {
        return ResultOf<std::vector<std::uint8_t>>::Done({0, 0});
    }
    Result SubscribeToNotifications(const GattDescriptor& d) override {
        p_.configured.push_back(d.attributeHandle);
        if (p_.onSubscribe)
            p_.onSubscribe();
        return Result::Done();
    }
    ResultOf<GattEventHandle> RegisterValueChanged(const GattCharacteristic& c,
                                                   GattValueCallback callback) override {
        p_.registered.push_back(c.attributeHandle);
        const GattEventHandle handle = p_.nextHandle++;
        p_.callbacks[handle] = std::move(callback);
        if (p_.onRegister)
            p_.onRegister();
        return ResultOf<GattEventHandle>::Done(handle);
    }
    ResultOf<std::uint64_t> BeginReliableWrite() override {
        if (!i_.beginWriteResult)
            return ResultOf<std::uint64_t>::Failed(i_.beginWriteResult);
        return ResultOf<std::uint64_t>::Done(i_.writeContext);
    }
    Result SetCharacteristicValue(const GattCharacteristic& c, const std::uint8_t* data,
                                  std::size_t length, std::uint64_t) override {
        p_.writes.push_back({i_.path, c.attributeHandle, {data, data + length}});
        auto result = i_.writeResults.find(c.attributeHandle);
        return result == i_.writeResults.end() ? Result::Done() : result->second;
    }
    void EndReliableWrite(std::uint64_t context) override { p_.endedContexts.push_back(context); }

  private:
    FakeGattPlatform& p_;
    FakeInterface& i_;
};

inline std::unique_ptr<GattServiceHandle> FakeGattPlatform::Open(const std::string& path) {
    opened.push_back(path);
    for (FakeInterface& i : interfaces) {
        if (i.path == path)
            return i.opens ? std::make_unique<FakeServiceHandle>(*this, i) : nullptr;
    }
    return nullptr;
}

// Queues the link's work; Drain runs it, and what it hands back, until nothing is left.
struct QueuedWork final : GattWork {
    bool OffWindow(std::function<void()> work) override {
        if (refusing)
            return false;
        off.push_back(std::move(work));
        return true;
    }
    void OnWindow(std::function<void()> call) override { on.push_back(std::move(call)); }
    void Drain() {
        while (!off.empty() || !on.empty()) {
            auto& queue = !off.empty() ? off : on;
            auto next = std::move(queue.front());
            queue.pop_front();
            next();
        }
    }
    std::deque<std::function<void()>> off;
    std::deque<std::function<void()>> on;
    bool refusing = false;
};

// A mouse paired and connected with one address, and a paired one that is away.
inline std::string MousePath(const char* service, const char* address = "c8478c0a1b2d") {
    return std::string("\\\\?\\BTHLEDevice#{") + Uuid16(service) +
           "}_Dev_VID&02045e_PID&a011_REV&0100_" + address + "#8&1&0&0001";
}

// `ids`: as the platform knows them, e.g. "VID&02045e_PID&a011_REV&0100"; null: unknown.
inline GattDeviceRecord Device(const char* address, bool connected = true,
                               const char* ids = nullptr) {
    return GattDeviceRecord{!connected, std::string("device ") + address,
                            std::string("BTHLE\\Dev_") + address,
                            ids ? std::optional<std::string>(ids) : std::nullopt};
}

}  // namespace ms1::test
