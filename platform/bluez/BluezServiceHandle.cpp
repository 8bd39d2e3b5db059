#include "platform/bluez/BluezServiceHandle.h"

#include <algorithm>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QThread>
#include <QVariantMap>

#include "platform/bluez/BluezGattPlatform.h"

namespace ms1 {
namespace {

constexpr std::uint16_t kConfigurationUuid = 0x2902;

// The descriptor types by their UUIDs 0x2900..0x2905; anything else is the vendor's own.
int DescriptorTypeOf(const QString& uuid) {
    const auto shortUuid = ShortUuidOf(uuid.toStdString());
    if (shortUuid && *shortUuid >= 0x2900 && *shortUuid <= 0x2905)
        return *shortUuid - 0x2900;
    return 6;
}

GattCharacteristic ToCharacteristic(const bluez::Characteristic& c, std::uint16_t service) {
    GattCharacteristic out;
    out.serviceHandle = service;
    out.attributeHandle = bluez::HandleOfObjectPath(c.path);
    out.valueHandle = static_cast<std::uint16_t>(out.attributeHandle + 1);
    out.uuid = c.uuid.toStdString();
    out.broadcastable = c.flags.contains("broadcast");
    out.readable = c.flags.contains("read");
    out.writable = c.flags.contains("write");
    out.writableWithoutResponse = c.flags.contains("write-without-response");
    out.signedWritable = c.flags.contains("authenticated-signed-writes");
    out.notifiable = c.flags.contains("notify");
    out.indicatable = c.flags.contains("indicate");
    out.extendedProperties = c.flags.contains("extended-properties");
    return out;
}

// Where the stand-in configuration descriptor sits: right after the characteristic's value,
// where the mouse keeps the real one.
std::uint16_t StandInHandle(std::uint16_t characteristicHandle) {
    return static_cast<std::uint16_t>(characteristicHandle + 2);
}

}  // namespace

BluezServiceHandle::BluezServiceHandle(BluezGattPlatform& platform, bluez::ObjectTree tree,
                                       const bluez::Service& service)
    : platform_(platform),
      tree_(std::move(tree)),
      service_(service),
      serviceHandle_(bluez::HandleOfObjectPath(service.path)) {}

ResultOf<std::vector<GattService>> BluezServiceHandle::Services() {
    return ResultOf<std::vector<GattService>>::Done(
        {GattService{serviceHandle_, service_.uuid.toStdString()}});
}

ResultOf<std::vector<GattCharacteristic>> BluezServiceHandle::Characteristics(
    const GattService& service) {
    using Answer = ResultOf<std::vector<GattCharacteristic>>;
    if (service.attributeHandle != serviceHandle_)
        return Answer::Failed(GattFailed(GattFailure::Failed));
    std::vector<GattCharacteristic> characteristics;
    for (const bluez::Characteristic& c : tree_.characteristics) {
        if (c.service == service_.path)
            characteristics.push_back(ToCharacteristic(c, serviceHandle_));
    }
    return Answer::Done(std::move(characteristics));
}

const bluez::Characteristic* BluezServiceHandle::FindCharacteristic(
    std::uint16_t attributeHandle) const {
    for (const bluez::Characteristic& c : tree_.characteristics) {
        if (c.service == service_.path && bluez::HandleOfObjectPath(c.path) == attributeHandle)
            return &c;
    }
    return nullptr;
}

const bluez::Characteristic* BluezServiceHandle::StandInOwner(
    const GattDescriptor& descriptor) const {
    if (descriptor.type != kGattClientConfiguration)
        return nullptr;
    const bluez::Characteristic* c = FindCharacteristic(descriptor.characteristicHandle);
    if (c == nullptr ||
        descriptor.attributeHandle != StandInHandle(descriptor.characteristicHandle))
        return nullptr;
    return c;
}

ResultOf<std::vector<GattDescriptor>> BluezServiceHandle::Descriptors(
    const GattCharacteristic& characteristic) {
    using Answer = ResultOf<std::vector<GattDescriptor>>;
    const bluez::Characteristic* c = FindCharacteristic(characteristic.attributeHandle);
    if (c == nullptr)
        return Answer::Failed(GattFailed(GattFailure::Failed));
    std::vector<GattDescriptor> descriptors;
    for (const bluez::Descriptor& d : tree_.descriptors) {
        const auto shortUuid = ShortUuidOf(d.uuid.toStdString());
        if (d.characteristic != c->path || (shortUuid && *shortUuid == kConfigurationUuid))
            continue;
        GattDescriptor out;
        out.serviceHandle = serviceHandle_;
        out.characteristicHandle = characteristic.attributeHandle;
        out.attributeHandle = bluez::HandleOfObjectPath(d.path);
        out.type = DescriptorTypeOf(d.uuid);
        out.uuid = d.uuid.toStdString();
        descriptorPaths_[out.attributeHandle] = d.path;
        descriptors.push_back(out);
    }
    if (c->flags.contains("notify") || c->flags.contains("indicate")) {
        GattDescriptor standIn;
        standIn.serviceHandle = serviceHandle_;
        standIn.characteristicHandle = characteristic.attributeHandle;
        standIn.attributeHandle = StandInHandle(characteristic.attributeHandle);
        standIn.type = kGattClientConfiguration;
        standIn.uuid = "00002902-0000-1000-8000-00805f9b34fb";
        descriptors.push_back(standIn);
    }
    return Answer::Done(std::move(descriptors));
}

ResultOf<std::vector<std::uint8_t>> BluezServiceHandle::DescriptorValue(
    const GattDescriptor& descriptor) {
    using Answer = ResultOf<std::vector<std::uint8_t>>;
    if (const bluez::Characteristic* c = StandInOwner(descriptor)) {
        // What BlueZ tells of the configuration: notifications on or off.
        return Answer::Done({static_cast<std::uint8_t>(c->notifying ? 1 : 0), 0});
    }
    auto path = descriptorPaths_.find(descriptor.attributeHandle);
    if (path == descriptorPaths_.end())
        return Answer::Failed(GattFailed(GattFailure::Failed));
    const QDBusMessage reply =
        platform_.Call(path->second, bluez::kDescriptorInterface, "ReadValue", {QVariantMap{}});
    const Result answer = BluezGattPlatform::AnswerOf(reply);
    if (!answer)
        return Answer::Failed(answer);
    if (reply.arguments().isEmpty())
        return Answer::Failed(GattFailed(GattFailure::Failed));
    const QByteArray value = reply.arguments().constFirst().toByteArray();
    return Answer::Done(std::vector<std::uint8_t>(value.begin(), value.end()));
}

Result BluezServiceHandle::SubscribeToNotifications(const GattDescriptor& descriptor) {
    // Only the stand-in takes a configuration value; writing one into another descriptor
    // would overwrite whatever the mouse keeps there.
    const bluez::Characteristic* c = StandInOwner(descriptor);
    if (c == nullptr)
        return GattFailed(GattFailure::Failed);
    return BluezGattPlatform::AnswerOf(
        platform_.Call(c->path, bluez::kCharacteristicInterface, "StartNotify"));
}

ResultOf<GattEventHandle> BluezServiceHandle::RegisterValueChanged(
    const GattCharacteristic& characteristic, GattValueCallback callback) {
    const bluez::Characteristic* c = FindCharacteristic(characteristic.attributeHandle);
    if (c == nullptr || !callback)
        return ResultOf<GattEventHandle>::Failed(GattFailed(GattFailure::Failed));
    return ResultOf<GattEventHandle>::Done(platform_.AddRegistration(c->path, std::move(callback)));
}

ResultOf<std::uint64_t> BluezServiceHandle::BeginReliableWrite() {
    // Each write is acknowledged by the mouse on its own; there is no context to keep.
    return ResultOf<std::uint64_t>::Done(0);
}

Result BluezServiceHandle::SetCharacteristicValue(const GattCharacteristic& characteristic,
                                                  const std::uint8_t* data, std::size_t length,
                                                  std::uint64_t) {
    const bluez::Characteristic* c = FindCharacteristic(characteristic.attributeHandle);
    if (c == nullptr || data == nullptr)
        return GattFailed(GattFailure::Failed);
    const QByteArray value(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
    const QVariantMap options{{"type", QStringLiteral("request")}};
    // InProgress: another write to this characteristic is still in flight (ours from before
    // that was given up on, or another program's). Wait for it to end, then send this one.
    const QDeadlineTimer deadline(BluezGattPlatform::kRadioTimeoutMs);
    for (;;) {
        const int timeout = static_cast<int>(
            std::max<qint64>(deadline.remainingTime(), BluezGattPlatform::kInProgressRetryMs));
        const std::optional<GattFailure> failure = BluezGattPlatform::FailureOf(platform_.Call(
            c->path, bluez::kCharacteristicInterface, "WriteValue", {value, options}, timeout));
        if (failure != GattFailure::Busy || deadline.hasExpired())
            return failure ? GattFailed(*failure) : Result::Done();
        QThread::msleep(BluezGattPlatform::kInProgressRetryMs);
    }
}

void BluezServiceHandle::EndReliableWrite(std::uint64_t) {}

}  // namespace ms1
