#!/usr/bin/python3
"""A small stand-in for bluetoothd on a private bus, for the BlueZ backend's tests.

It owns org.bluez and exports an object tree the way BlueZ does: an adapter, the ms_1 mouse
(connected, Modalias usb:v045EpA011d0100) with a battery service and its vendor service
(0xFEE4 notify, 0xFEE3 write; the client configuration is hidden, as BlueZ hides it), and a
keyboard with a look-alike vendor service. The test steers it through org.ms1.MockBluez on
/org/ms1/mock: it sends notifications, reads back what was written, refuses writes, and
connects or disconnects the mouse.

Signals follow BlueZ's order: a device that connects sets Connected, then its GATT objects
arrive (InterfacesAdded, one object at a time), then ServicesResolved; a device paired for
the first time arrives without Modalias, which BlueZ sets once it has read the device's ids
(after ServicesResolved). A write request holds its characteristic until the mouse answers;
another WriteValue meanwhile gets org.bluez.Error.InProgress, as from BlueZ.

    mock_bluez.py [--silent] [--mouse=STATE] [--announce]
      --silent      own the name, never answer GetManagedObjects
      --mouse=      connected (default): connected with its GATT objects
                    paired: paired, not connected, no GATT objects
                    bare: connected, its GATT objects not there yet
                    nowrite: connected, its vendor service without the 0xFEE3 characteristic
                    none: not known (never paired)
      --announce    once notifications start, the mouse tells its battery (75 %), stage (2)
                    and polling rate (1000 Hz), as the mouse does when it wakes
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


class InProgress(dbus.DBusException):
    _dbus_error_name = "org.bluez.Error.InProgress"


STEP_MS = 100  # between the signals of one connection, as the radio round trips space them


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
        if "notify" not in self.properties.get("Flags", []) or self.root.refusing_notify:
            raise Failed("not notifiable")
        self.change("Notifying", dbus.Boolean(True))
        if self.root.announce and self.path == NOTIFY:
            GLib.timeout_add(STEP_MS, self.root.announce_settings)

    @dbus.service.method(CHARACTERISTIC, in_signature="", out_signature="")
    def StopNotify(self):
        self.root.stop_notify_calls += 1
        self.change("Notifying", dbus.Boolean(False))

    @dbus.service.method(CHARACTERISTIC, in_signature="aya{sv}", out_signature="",
                         async_callbacks=("reply", "error"))
    def WriteValue(self, value, options, reply, error):
        root = self.root
        if "write" not in self.properties.get("Flags", []):
            return error(Failed("not writable"))
        if root.refusing:
            return error(NotPermitted("refused"))
        if self.path in root.writing or GLib.get_monotonic_time() < root.foreign_until:
            root.in_progress_answers += 1
            return error(InProgress("a write is in flight"))
        root.writes.append((self.path, bytes(value), str(options.get("type", ""))))

        def answered():
            root.writing.discard(self.path)
            root.answered_writes += 1
            reply()
            if root.answered_writes == root.disconnect_after_writes:
                root.set_connected(False, True)
            return False

        if root.slow_writes > 0:
            root.slow_writes -= 1
            root.writing.add(self.path)
            GLib.timeout_add(root.slow_write_ms, answered)
        else:
            answered()

    @dbus.service.method(DESCRIPTOR, in_signature="a{sv}", out_signature="ay")
    def ReadValue(self, options):
        self.root.descriptor_reads += 1
        return dbus.ByteArray(b"status")


class Root(dbus.service.Object):
    def __init__(self, bus, silent, mouse="connected", announce=False):
        self.bus = bus
        self.silent = silent
        self.announce = announce
        self.refusing = False
        self.refusing_notify = False
        self.writes = []
        self.writing = set()  # characteristics with a write request in flight
        self.foreign_until = 0  # another program's write is in flight until then (us)
        self.slow_writes = 0
        self.slow_write_ms = 0
        self.answered_writes = 0
        self.in_progress_answers = 0
        self.disconnect_after_writes = -1
        self.failing_objects = 0
        self.silent_failures = False
        self.objects_calls = 0
        self.stop_notify_calls = 0
        self.descriptor_reads = 0
        self.objects = {}
        dbus.service.Object.__init__(self, bus, "/")
        self.add("/org/bluez/hci0", "org.bluez.Adapter1",
                 {"Address": "00:1A:7D:DA:71:13", "Powered": dbus.Boolean(True)})
        if mouse != "none":
            self.add_device(MOUSE, "C8:47:8C:0A:1B:2D", "ms_1", "usb:v045EpA011d0100")
        self.add_device(KEYBOARD, "F0:A1:B2:C3:D4:E5", "Keyboard K3", "usb:v046DpB342d0001")
        self.add_keyboard_services()
        if mouse in ("connected", "nowrite"):
            self.add_mouse_services(write=mouse == "connected")
        elif mouse == "paired":
            self.objects[MOUSE].properties["Connected"] = dbus.Boolean(False)
            self.objects[MOUSE].properties["ServicesResolved"] = dbus.Boolean(False)
        elif mouse == "bare":
            self.objects[MOUSE].properties["ServicesResolved"] = dbus.Boolean(False)

    def announce_settings(self):
        notify = self.objects.get(NOTIFY)
        if notify is not None and notify.properties["Notifying"]:
            for value in (b"\x11\x48\x01\x4b", b"\x11\x18\x02\x00", b"\x11\x28\x01\x00"):
                notify.change("Value", dbus.Array(value, signature="y"))
        return False

    def add(self, path, interface, properties):
        self.objects[path] = Gatt(self, path, interface, properties)
        return self.objects[path]

    def add_device(self, path, address, alias, modalias):
        properties = {
            "Address": address, "Alias": alias,
            "Adapter": dbus.ObjectPath("/org/bluez/hci0"), "Paired": dbus.Boolean(True),
            "Connected": dbus.Boolean(True), "ServicesResolved": dbus.Boolean(True)}
        if modalias:
            properties["Modalias"] = modalias
        return self.add(path, DEVICE, properties)

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

    def mouse_service_steps(self, write=True):
        """The mouse's GATT objects, one creation each, in BlueZ's order."""
        battery = MOUSE + "/service000c"
        vendor = MOUSE + "/service0010"
        steps = [
            lambda: self.add_service(MOUSE, 0x000c, "180f"),
            lambda: self.add_characteristic(battery, 0x000d, "2a19", ["read", "notify"]),
            lambda: self.add_service(MOUSE, 0x0010, "fee0"),
            lambda: self.add_characteristic(vendor, 0x0011, "fee4", ["notify"]),
            lambda: self.add(NOTIFY + "/desc0014", DESCRIPTOR, {
                "UUID": uuid16("2901"), "Characteristic": dbus.ObjectPath(NOTIFY)}).path,
        ]
        if write:
            steps.append(self.add_write_characteristic)
        return steps

    def add_mouse_services(self, write=True):
        for step in self.mouse_service_steps(write):
            step()

    def add_write_characteristic(self):
        return self.add_characteristic(MOUSE + "/service0010", 0x0015, "fee3",
                                       ["write", "write-without-response"])

    def announce_added(self, paths):
        for path in paths:
            o = self.objects[path]
            self.InterfacesAdded(dbus.ObjectPath(path), {o.interface: o.properties})

    def steps(self, steps):
        """Runs the steps one after the other, STEP_MS apart."""
        steps = list(steps)

        def next_step():
            steps.pop(0)()
            return bool(steps)

        if steps:
            GLib.timeout_add(STEP_MS, next_step)

    def connect_with_services(self, then=()):
        """Connected, the GATT objects one by one, ServicesResolved: BlueZ's order."""
        device = self.objects[MOUSE]
        steps = []
        if not device.properties["Connected"]:
            steps.append(lambda: device.change("Connected", dbus.Boolean(True)))
        for create in self.mouse_service_steps():
            steps.append(lambda create=create: self.announce_added([create()]))
        steps.append(lambda: device.change("ServicesResolved", dbus.Boolean(True)))
        self.steps(steps + list(then))

    def pair(self):
        """A device never seen before: it arrives, connects, resolves its services, and
        only then BlueZ sets its Modalias."""
        device = self.add_device(MOUSE, "C8:47:8C:0A:1B:2D", "ms_1", None)
        device.properties["Connected"] = dbus.Boolean(False)
        device.properties["ServicesResolved"] = dbus.Boolean(False)
        self.announce_added([MOUSE])
        self.connect_with_services(then=[
            lambda: device.change("Modalias", "usb:v045EpA011d0100")])

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
        self.objects_calls += 1
        if self.failing_objects > 0:
            self.failing_objects -= 1
            if not self.silent_failures:
                error(Failed("busy"))
            return
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

    @dbus.service.method(CONTROL, in_signature="u")
    def ConnectLater(self, ms):
        """The paired mouse connects (or the connected one resolves its services) then."""
        GLib.timeout_add(ms, lambda: self.root.connect_with_services() or False)

    @dbus.service.method(CONTROL, in_signature="u")
    def PairLater(self, ms):
        GLib.timeout_add(ms, lambda: self.root.pair() or False)

    @dbus.service.method(CONTROL, in_signature="u")
    def AddWriteLater(self, ms):
        """The vendor service gains its write characteristic (the mouse's database changed)."""
        def add():
            self.root.announce_added([self.root.add_write_characteristic()])
            return False
        GLib.timeout_add(ms, add)

    @dbus.service.method(CONTROL, in_signature="uu")
    def SlowWrites(self, ms, count):
        """The next `count` writes are answered `ms` after they came."""
        self.root.slow_write_ms = int(ms)
        self.root.slow_writes = int(count)

    @dbus.service.method(CONTROL, in_signature="u")
    def ForeignWrite(self, ms):
        """Another program's write is in flight for `ms`."""
        self.root.foreign_until = GLib.get_monotonic_time() + int(ms) * 1000

    @dbus.service.method(CONTROL, out_signature="i")
    def InProgressAnswers(self):
        return self.root.in_progress_answers

    @dbus.service.method(CONTROL, in_signature="i")
    def DisconnectAfterWrites(self, count):
        self.root.disconnect_after_writes = int(count)

    @dbus.service.method(CONTROL, in_signature="b")
    def RefuseNotify(self, refusing):
        self.root.refusing_notify = bool(refusing)

    @dbus.service.method(CONTROL, in_signature="ib")
    def FailObjects(self, count, silent):
        """The next `count` GetManagedObjects fail (or, silent, are never answered)."""
        self.root.failing_objects = int(count)
        self.root.silent_failures = bool(silent)

    @dbus.service.method(CONTROL, out_signature="i")
    def ObjectsCalls(self):
        return self.root.objects_calls

    @dbus.service.method(CONTROL, out_signature="i")
    def StopNotifyCalls(self):
        return self.root.stop_notify_calls

    @dbus.service.method(CONTROL)
    def Touch(self):
        """The keyboard tells its connection again: the program looks at the tree."""
        self.root.objects[KEYBOARD].change("Connected", dbus.Boolean(True))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    import os
    bus = dbus.bus.BusConnection(os.environ["DBUS_SYSTEM_BUS_ADDRESS"])
    mouse = "connected"
    for arg in sys.argv[1:]:
        if arg.startswith("--mouse="):
            mouse = arg.split("=", 1)[1]
    root = Root(bus, "--silent" in sys.argv, mouse, "--announce" in sys.argv)
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
