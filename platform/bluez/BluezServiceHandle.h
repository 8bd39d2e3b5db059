#pragma once

#include <map>

#include "platform/bluez/BluezObjects.h"
#include "transport/GattPlatform.h"

namespace ms1 {

class BluezGattPlatform;

// One GATT service of BlueZ's tree, "open": what the tree said of it when it was opened,
// and the calls on its characteristics and descriptors. Used off the window thread.
class BluezServiceHandle final : public GattServiceHandle {
  public:
    // `tree` must hold `service`.
    BluezServiceHandle(BluezGattPlatform& platform, bluez::ObjectTree tree,
                       const bluez::Service& service);

    ResultOf<std::vector<GattService>> Services() override;
    ResultOf<std::vector<GattCharacteristic>> Characteristics(const GattService& service) override;
    ResultOf<std::vector<GattDescriptor>> Descriptors(
        const GattCharacteristic& characteristic) override;
    ResultOf<std::vector<std::uint8_t>> DescriptorValue(const GattDescriptor& descriptor) override;
    Result SubscribeToNotifications(const GattDescriptor& descriptor) override;
    ResultOf<GattEventHandle> RegisterValueChanged(const GattCharacteristic& characteristic,
                                                   GattValueCallback callback) override;
    ResultOf<std::uint64_t> BeginReliableWrite() override;
    Result SetCharacteristicValue(const GattCharacteristic& characteristic,
                                  const std::uint8_t* data, std::size_t length,
                                  std::uint64_t writeContext) override;
    void EndReliableWrite(std::uint64_t writeContext) override;

  private:
    const bluez::Characteristic* FindCharacteristic(std::uint16_t attributeHandle) const;
    // The characteristic whose stand-in configuration descriptor this is, if it is one.
    const bluez::Characteristic* StandInOwner(const GattDescriptor& descriptor) const;

    BluezGattPlatform& platform_;
    bluez::ObjectTree tree_;
    bluez::Service service_;
    std::uint16_t serviceHandle_;
    // Real descriptors by attribute handle, to read them.
    std::map<std::uint16_t, QString> descriptorPaths_;
};

}  // namespace ms1
