#include "platform/bluez/BluezObjects.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QVariantMap>

namespace ms1::bluez {
namespace {

QString PathValue(const QVariant& value) {
    return value.value<QDBusObjectPath>().path();
}

QStringList StringListValue(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(value.value<QDBusArgument>());
    return value.toStringList();
}

void TakeInterface(ObjectTree& tree, const QString& path, const QString& interface,
                   const QVariantMap& properties) {
    if (interface == QLatin1String(kDeviceInterface)) {
        Device device;
        device.path = path;
        device.address = properties.value("Address").toString();
        device.alias = properties.value("Alias", properties.value("Name")).toString();
        device.modalias = properties.value("Modalias").toString();
        device.connected = properties.value("Connected").toBool();
        tree.devices.push_back(device);
    } else if (interface == QLatin1String(kGattServiceInterface)) {
        tree.services.push_back(Service{path, properties.value("UUID").toString().toLower(),
                                        PathValue(properties.value("Device"))});
    } else if (interface == QLatin1String(kCharacteristicInterface)) {
        tree.characteristics.push_back(Characteristic{
            path, properties.value("UUID").toString().toLower(),
            PathValue(properties.value("Service")), StringListValue(properties.value("Flags")),
            properties.value("Notifying").toBool()});
    } else if (interface == QLatin1String(kDescriptorInterface)) {
        tree.descriptors.push_back(Descriptor{path, properties.value("UUID").toString().toLower(),
                                              PathValue(properties.value("Characteristic"))});
    }
}

}  // namespace

const Device* ObjectTree::FindDevice(const QString& path) const {
    for (const Device& device : devices) {
        if (device.path == path)
            return &device;
    }
    return nullptr;
}

const Service* ObjectTree::FindService(const QString& path) const {
    for (const Service& service : services) {
        if (service.path == path)
            return &service;
    }
    return nullptr;
}

ObjectTree ParseManagedObjects(const QDBusMessage& reply) {
    ObjectTree tree;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return tree;
    const QVariant first = reply.arguments().constFirst();
    if (!first.canConvert<QDBusArgument>())
        return tree;
    // a{oa{sa{sv}}}: object path, then its interfaces with their properties.
    const QDBusArgument objects = first.value<QDBusArgument>();
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        objects.beginMapEntry();
        objects >> path;
        objects.beginMap();
        while (!objects.atEnd()) {
            QString interface;
            QVariantMap properties;
            objects.beginMapEntry();
            objects >> interface >> properties;
            objects.endMapEntry();
            TakeInterface(tree, path.path(), interface, properties);
        }
        objects.endMap();
        objects.endMapEntry();
    }
    objects.endMap();
    return tree;
}

std::optional<std::string> IdsOfModalias(const QString& modalias) {
    static const QRegularExpression kForm(
        QStringLiteral("^(usb|bluetooth):v([0-9A-Fa-f]{4})p([0-9A-Fa-f]{4})d([0-9A-Fa-f]{4})"));
    const QRegularExpressionMatch match = kForm.match(modalias);
    if (!match.hasMatch())
        return std::nullopt;
    const QString source = match.captured(1) == QLatin1String("usb") ? "02" : "01";
    return QStringLiteral("VID&%1%2_PID&%3_REV&%4")
        .arg(source, match.captured(2).toLower(), match.captured(3).toLower(),
             match.captured(4).toLower())
        .toStdString();
}

std::string CompactAddress(const QString& address) {
    QString compact = address.toLower();
    compact.remove(QLatin1Char(':'));
    return compact.toStdString();
}

std::string InterfacePathOf(const Service& service, const Device* device) {
    // Built by appending: GCC 12 reports a false -Wrestrict for "_" + std::string here.
    std::string path = service.path.toStdString();
    path.append("#{").append(service.uuid.toStdString()).append("}_Dev");
    if (device != nullptr) {
        if (auto ids = IdsOfModalias(device->modalias))
            path.append("_").append(*ids);
        path.append("_").append(CompactAddress(device->address));
    }
    return path;
}

QString ObjectPathOfInterface(const std::string& interfacePath) {
    const std::size_t end = interfacePath.find('#');
    return QString::fromStdString(interfacePath.substr(0, end));
}

std::string HardwareIdOf(const Device& device) {
    std::string id = "BTHLE\\Dev_";
    return id.append(CompactAddress(device.address));
}

std::uint16_t HandleOfObjectPath(const QString& path) {
    static const QRegularExpression kTail(QStringLiteral("[a-z]+([0-9a-fA-F]{4})$"));
    const QRegularExpressionMatch match = kTail.match(path.section(QLatin1Char('/'), -1));
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const unsigned value = match.captured(1).toUInt(&ok, 16);
    return ok ? static_cast<std::uint16_t>(value) : 0;
}

std::map<std::string, std::string> ConnectedInterfaces(const ObjectTree& tree) {
    std::map<std::string, std::string> interfaces;
    for (const Service& service : tree.services) {
        const Device* device = tree.FindDevice(service.device);
        if (device == nullptr || !device->connected)
            continue;
        QStringList contents;
        for (const Characteristic& c : tree.characteristics) {
            if (c.service == service.path)
                contents << c.path + ' ' + c.uuid + ' ' + c.flags.join(',');
        }
        contents.sort();
        interfaces[InterfacePathOf(service, device)] = contents.join(';').toStdString();
    }
    return interfaces;
}

}  // namespace ms1::bluez
