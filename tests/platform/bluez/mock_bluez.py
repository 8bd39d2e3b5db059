#!/usr/bin/python3
"""A small stand-in for bluetoothd on a private bus, for the BlueZ backend's test.

It owns org.bluez and exports an object tree the way BlueZ does: an adapter, the ms_1 mouse
(connected, Modalias usb:v045EpA011d0100) with a battery service and its vendor service
(0xFEE4 notify, 0xFEE3 write; the client configuration is hidden, as BlueZ hides it), and a
keyboard with a look-alike vendor service. The test steers it through org.ms1.MockBluez on
/org/ms1/mock: it sends notifications, reads back what was written, refuses writes, and
connects or disconnects the mouse.

    mock_bluez.py [--silent]     --silent: own the name, never answer GetManagedObjects
"""
import sys

import dbus
import dbus.bus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

OBJECT_MANAGER = "org.freedesktop.DBus.ObjectManager"
PROPERTIES = "org.freedesktop.DBus.Properties"
DEVICE = "org.bluez.Device1"
SERVICE = "org.bluez.GattService1"
CHARACTERISTIC = "org.bluez.GattCharacteristic1"
DESCRIPTOR = "org.bluez.GattDescriptor1"
CONTROL = "org.ms1.MockBluez"

MOUSE = "/org/bluez/hci0/dev_C8_47_8C_0A_1B_2D"
KEYBOARD = "/org/bluez/hci0/dev_F0_A1_B2_C3_D4_E5"
NOTIFY = MOUSE + "/service0010/char0011"
WRITE = MOUSE + "/service0010/char0015"
KEYBOARD_WRITE = KEYBOARD + "/service0010/char0015"


def uuid16(short):
    return "0000%s-0000-1000-8000-00805f9b34fb" % short


class Failed(dbus.DBusException):
    _dbus_error_name = "org.bluez.Error.Failed"


class NotPermitted(dbus.DBusException):
    _dbus_error_name = "org.bluez.Error.NotPermitted"


class Gatt(dbus.service.Object):
    """One GATT object (service, characteristic or descriptor) with its properties."""

    def __init__(self, root, path, interface, properties):
        self.root = root
        self.path = path
        self.interface = interface
        self.properties = properties
        dbus.service.Object.__init__(self, root.bus, path)

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties if interface == self.interface else {}

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties[name]

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def change(self, name, value):
        self.properties[name] = value
        self.PropertiesChanged(self.interface, {name: value}, [])

    # GattCharacteristic1 and GattDescriptor1
    @dbus.service.method(CHARACTERISTIC, in_signature="", out_signature="")
    def StartNotify(self):
        if "notify" not in self.properties.get("Flags", []):
            raise Failed("not notifiable")
        self.change("Notifying", dbus.Boolean(True))

    @dbus.service.method(CHARACTERISTIC, in_signature="", out_signature="")
    def StopNotify(self):
        self.change("Notifying", dbus.Boolean(False))

    @dbus.service.method(CHARACTERISTIC, in_signature="aya{sv}", out_signature="")
    def WriteValue(self, value, options):
        if "write" not in self.properties.get("Flags", []):
            raise Failed("not writable")
        if self.root.refusing:
            raise NotPermitted("refused")
        self.root.writes.append((self.path, bytes(value), str(options.get("type", ""))))

    @dbus.service.method(DESCRIPTOR, in_signature="a{sv}", out_signature="ay")
    def ReadValue(self, options):
        self.root.descriptor_reads += 1
        return dbus.ByteArray(b"status")


class Root(dbus.service.Object):
    def __init__(self, bus, silent):
        self.bus = bus
        self.silent = silent
        self.refusing = False
        self.writes = []
        self.descriptor_reads = 0
        self.objects = {}
        dbus.service.Object.__init__(self, bus, "/")
        self.add("/org/bluez/hci0", "org.bluez.Adapter1",
                 {"Address": "00:1A:7D:DA:71:13", "Powered": dbus.Boolean(True)})
        self.add_device(MOUSE, "C8:47:8C:0A:1B:2D", "ms_1", "usb:v045EpA011d0100")
        self.add_device(KEYBOARD, "F0:A1:B2:C3:D4:E5", "Keyboard K3", "usb:v046DpB342d0001")
        self.add_keyboard_services()
        self.add_mouse_services()

    def add(self, path, interface, properties):
        self.objects[path] = Gatt(self, path, interface, properties)
        return self.objects[path]

    def add_device(self, path, address, alias, modalias):
        self.add(path, DEVICE, {
            "Address": address, "Alias": alias, "Modalias": modalias,
            "Adapter": dbus.ObjectPath("/org/bluez/hci0"), "Paired": dbus.Boolean(True),
            "Connected": dbus.Boolean(True), "ServicesResolved": dbus.Boolean(True)})

    def add_service(self, device, handle, uuid):
        path = "%s/service%04x" % (device, handle)
        self.add(path, SERVICE, {"UUID": uuid16(uuid), "Device": dbus.ObjectPath(device),
                                 "Primary": dbus.Boolean(True)})
        return path

    def add_characteristic(self, service, handle, uuid, flags):
        path = "%s/char%04x" % (service, handle)
        self.add(path, CHARACTERISTIC, {
            "UUID": uuid16(uuid), "Service": dbus.ObjectPath(service),
            "Flags": dbus.Array(flags, signature="s"),
            "Notifying": dbus.Boolean(False), "Value": dbus.Array([], signature="y")})
        return path

    def add_mouse_services(self):
        battery = self.add_service(MOUSE, 0x000c, "180f")
        self.add_characteristic(battery, 0x000d, "2a19", ["read", "notify"])
        vendor = self.add_service(MOUSE, 0x0010, "fee0")
        notify = self.add_characteristic(vendor, 0x0011, "fee4", ["notify"])
        self.add(notify + "/desc0014", DESCRIPTOR,
                 {"UUID": uuid16("2901"), "Characteristic": dbus.ObjectPath(notify)})
        self.add_characteristic(vendor, 0x0015, "fee3", ["write", "write-without-response"])

    def add_keyboard_services(self):
        vendor = self.add_service(KEYBOARD, 0x0010, "fee0")
        self.add_characteristic(vendor, 0x0011, "fee4", ["notify"])
        self.add_characteristic(vendor, 0x0015, "fee3", ["write"])

    def managed(self):
        return {dbus.ObjectPath(path): {o.interface: o.properties}
                for path, o in self.objects.items()}

    @dbus.service.method(OBJECT_MANAGER, out_signature="a{oa{sa{sv}}}",
                         async_callbacks=("reply", "error"))
    def GetManagedObjects(self, reply, error):
        if not self.silent:
            reply(self.managed())

    @dbus.service.signal(OBJECT_MANAGER, signature="oa{sa{sv}}")
    def InterfacesAdded(self, path, interfaces):
        pass

    @dbus.service.signal(OBJECT_MANAGER, signature="oas")
    def InterfacesRemoved(self, path, interfaces):
        pass

    def set_connected(self, connected, services):
        """services: the GATT objects go and come with the connection, as BlueZ does them;
        without it they stay listed, as for a device whose services are cached."""
        device = self.objects[MOUSE]
        if connected and not services:
            device.change("Connected", dbus.Boolean(True))
        elif connected:
            device.change("Connected", dbus.Boolean(True))
            self.add_mouse_services()
            for path, o in self.objects.items():
                if path.startswith(MOUSE + "/"):
                    self.InterfacesAdded(dbus.ObjectPath(path), {o.interface: o.properties})
            device.change("ServicesResolved", dbus.Boolean(True))
        elif not services:
            device.change("Connected", dbus.Boolean(False))
        else:
            # BlueZ drops the GATT objects of a device that goes away.
            for path in [p for p in self.objects if p.startswith(MOUSE + "/")]:
                o = self.objects.pop(path)
                o.remove_from_connection()
                self.InterfacesRemoved(dbus.ObjectPath(path), [o.interface])
            device.change("ServicesResolved", dbus.Boolean(False))
            device.change("Connected", dbus.Boolean(False))


class Control(dbus.service.Object):
    def __init__(self, bus, root):
        self.root = root
        dbus.service.Object.__init__(self, bus, "/org/ms1/mock")

    @dbus.service.method(CONTROL, in_signature="ay", out_signature="b")
    def Notify(self, value):
        notify = self.root.objects.get(NOTIFY)
        if notify is None or not notify.properties["Notifying"]:
            return False
        notify.change("Value", dbus.Array(value, signature="y"))
        return True

    @dbus.service.method(CONTROL, out_signature="b")
    def Notifying(self):
        notify = self.root.objects.get(NOTIFY)
        return bool(notify is not None and notify.properties["Notifying"])

    @dbus.service.method(CONTROL, out_signature="aay")
    def Written(self):
        return [dbus.ByteArray(v) for p, v, t in self.root.writes if p == WRITE]

    @dbus.service.method(CONTROL, out_signature="as")
    def WriteTypes(self):
        return [t for p, v, t in self.root.writes]

    @dbus.service.method(CONTROL, out_signature="i")
    def KeyboardWrites(self):
        return len([1 for p, v, t in self.root.writes if p == KEYBOARD_WRITE])

    @dbus.service.method(CONTROL, out_signature="i")
    def DescriptorReads(self):
        return self.root.descriptor_reads

    @dbus.service.method(CONTROL, in_signature="b")
    def Refuse(self, refusing):
        self.root.refusing = bool(refusing)

    @dbus.service.method(CONTROL, in_signature="bb")
    def SetConnected(self, connected, services):
        self.root.set_connected(bool(connected), bool(services))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    import os
    bus = dbus.bus.BusConnection(os.environ["DBUS_SYSTEM_BUS_ADDRESS"])
    root = Root(bus, "--silent" in sys.argv)
    Control(bus, root)
    # The name last: once it is owned, the whole tree is there.
    name = dbus.service.BusName("org.bluez", bus)
    loop = GLib.MainLoop()
    bus.add_signal_receiver(loop.quit, signal_name="Disconnected",
                            dbus_interface="org.freedesktop.DBus.Local")
    loop.run()
    del name


if __name__ == "__main__":
    main()
