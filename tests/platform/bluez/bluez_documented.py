"""A stand-in bluetoothd built from BlueZ's documented D-Bus API rather than from our backend.

A python-dbusmock template: dbusmock's own bluez5 template makes the adapter (hci0) and the
devices (AddDevice, as bluetoothd lists a device it has seen: Modalias empty, not connected),
and the GATT objects are added to them with dbusmock's AddObject and announced with
InterfacesAdded, with the properties and object paths BlueZ documents for org.bluez.GattService1,
org.bluez.GattCharacteristic1 and org.bluez.GattDescriptor1 (the client characteristic
configuration is listed as a descriptor; notifications are StartNotify, their values
PropertiesChanged of "Value").

There are two devices: the ms_1 mouse (C8:47:8C:0A:1B:2D, Modalias usb:v045EpA011d0100) with a
battery service and its vendor service (0xFEE4 notify, 0xFEE3 write), and a second device
(F0:A1:B2:C3:D4:E5, usb:v046DpB342d0001) with the same vendor service, which must never be
written to.

BlueZ's order when a device connects: Connected, then its GATT objects one at a time
(InterfacesAdded), then ServicesResolved; for a device met for the first time bluetoothd reads
its ids afterwards and sets Modalias last. A WriteValue of type "request" is answered when the
device's write response comes; while one is in flight on a characteristic, another WriteValue
on it gets org.bluez.Error.InProgress.

Start it with
    python3 -m dbusmock --system --template bluez_documented.py -p '{"mouse": "connected"}'
mouse: "connected" (connected, services resolved, ids known), "paired" (paired, ids known, not
connected, no GATT objects), "bare" (connected, its GATT objects not there yet), "none" (not
known). The test steers it through org.ms1.DocumentedBluez on /.
"""
import os

import dbus
from gi.repository import GLib

from dbusmock import OBJECT_MANAGER_IFACE, mockobject

BUS_NAME = 'org.bluez'
MAIN_OBJ = '/'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

STEER = 'org.ms1.DocumentedBluez'
DEVICE = 'org.bluez.Device1'
SERVICE = 'org.bluez.GattService1'
CHARACTERISTIC = 'org.bluez.GattCharacteristic1'
DESCRIPTOR = 'org.bluez.GattDescriptor1'

ADAPTER = '/org/bluez/hci0'
MOUSE_ADDRESS = 'C8:47:8C:0A:1B:2D'
MOUSE = ADAPTER + '/dev_C8_47_8C_0A_1B_2D'
MOUSE_IDS = 'usb:v045EpA011d0100'
SECOND_ADDRESS = 'F0:A1:B2:C3:D4:E5'
SECOND = ADAPTER + '/dev_F0_A1_B2_C3_D4_E5'
SECOND_IDS = 'usb:v046DpB342d0001'
VENDOR = '/service0010'
NOTIFY = VENDOR + '/char0011'
WRITE = VENDOR + '/char0015'

STEP_MS = 50  # between two signals of one connection (radio round trips)

# What the mouse tells once its notifications start: battery 75 %, stage 2, 1000 Hz.
ANNOUNCED = (b'\x11\x48\x01\x4b', b'\x11\x18\x02\x00', b'\x11\x28\x01\x00')


def uuid16(short):
    return f'0000{short}-0000-1000-8000-00805f9b34fb'


def error(name, text):
    return dbus.exceptions.DBusException(text, name='org.bluez.Error.' + name)


class State:
    """What the test set up and what the stand-in saw."""

    def __init__(self):
        self.writes = []  # (characteristic path, bytes) of the answered writes
        self.attempts = []  # the characteristic paths of every WriteValue
        self.writing = set()  # characteristics with a write request in flight
        self.foreign_until = 0  # another program's write is in flight until then (us)
        self.foreign_ms = 0  # the next write meets another program's write of this length
        self.slow_writes = 0
        self.slow_write_ms = 0
        self.failing_writes = 0
        self.in_progress_answers = 0
        self.failed_answers = 0
        self.silent_objects = 0
        self.objects_calls = 0


STATE = State()


def install(obj, interface, name, in_sig, out_sig, function, asynchronous=False):
    """A method of one object, with its reply sent when the function says so when
    `asynchronous` (dbusmock's own methods answer at once)."""
    options = {'in_signature': in_sig, 'out_signature': out_sig}
    if asynchronous:
        options['async_callbacks'] = ('reply', 'fail')
    method = dbus.service.method(interface, **options)(function)
    obj.methods.setdefault(interface, {})[name] = (in_sig, out_sig, method, method)


def v(value):
    """A property value as a variant, as dbusmock's templates give them."""
    return value.__class__(value, variant_level=1)


def flags(*names):
    return dbus.Array(names, signature='s', variant_level=1)


# GattCharacteristic1 (client side)

def write_value(char, value, options, reply, fail):
    char.log('WriteValue ' + bytes(value).hex(' '))
    STATE.attempts.append(char.path)
    if 'write' not in char.props[CHARACTERISTIC]['Flags']:
        fail(error('NotPermitted', 'Write not permitted'))
        return
    if STATE.foreign_ms > 0:
        # However long the program took to come, its first write meets the other one.
        STATE.foreign_until = GLib.get_monotonic_time() + STATE.foreign_ms * 1000
        STATE.foreign_ms = 0
    if char.path in STATE.writing or GLib.get_monotonic_time() < STATE.foreign_until:
        STATE.in_progress_answers += 1
        fail(error('InProgress', 'In Progress'))
        return
    if STATE.failing_writes > 0:
        STATE.failing_writes -= 1
        STATE.failed_answers += 1
        fail(error('Failed', 'Operation failed with ATT error: 0x0e (Unlikely Error)'))
        return

    def answered():
        STATE.writing.discard(char.path)
        STATE.writes.append((char.path, bytes(value)))
        reply()
        return False

    if STATE.slow_writes > 0:
        STATE.slow_writes -= 1
        STATE.writing.add(char.path)
        GLib.timeout_add(STATE.slow_write_ms, answered)
    else:
        answered()


def read_value(char, options):
    return dbus.ByteArray(bytes(char.props[CHARACTERISTIC]['Value']))


def start_notify(char, reply, fail):
    char.log('StartNotify')
    props = char.props[CHARACTERISTIC]
    if 'notify' not in props['Flags'] and 'indicate' not in props['Flags']:
        fail(error('NotSupported', 'Operation is not supported'))
        return
    if props['Notifying']:
        reply()
        return
    char.UpdateProperties(CHARACTERISTIC, {'Notifying': dbus.Boolean(True)})
    reply()
    # The mouse tells its state as soon as its notifications are on: bluetoothd relays it
    # right behind the answer to StartNotify.
    if char.path == MOUSE + NOTIFY:
        for value in ANNOUNCED:
            char.UpdateProperties(CHARACTERISTIC, {'Value': dbus.Array(value, signature='y')})


def stop_notify(char):
    char.log('StopNotify')
    if char.props[CHARACTERISTIC]['Notifying']:
        char.UpdateProperties(CHARACTERISTIC, {'Notifying': dbus.Boolean(False)})


def descriptor_read(desc, options):
    return dbus.ByteArray(bytes(desc.props[DESCRIPTOR]['Value']))


def descriptor_write(desc, value, options):
    # bluetoothd keeps the client characteristic configuration to itself.
    raise error('NotPermitted', 'Write not permitted')


# The object tree

def add_gatt_object(mock, path, interface, properties):
    mock.AddObject(path, interface, properties, [])
    obj = mockobject.objects[path]
    if interface == CHARACTERISTIC:
        install(obj, CHARACTERISTIC, 'ReadValue', 'a{sv}', 'ay', read_value)
        install(obj, CHARACTERISTIC, 'WriteValue', 'aya{sv}', '', write_value, True)
        install(obj, CHARACTERISTIC, 'StartNotify', '', '', start_notify, True)
        install(obj, CHARACTERISTIC, 'StopNotify', '', '', stop_notify)
    elif interface == DESCRIPTOR:
        install(obj, DESCRIPTOR, 'ReadValue', 'a{sv}', 'ay', descriptor_read)
        install(obj, DESCRIPTOR, 'WriteValue', 'aya{sv}', '', descriptor_write)
    mock.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), {interface: properties}])


def service(device, tail, uuid):
    return (device + tail, SERVICE, {
        'UUID': v(dbus.String(uuid16(uuid))), 'Device': v(dbus.ObjectPath(device)),
        'Primary': v(dbus.Boolean(True)),
        'Includes': dbus.Array([], signature='o', variant_level=1)})


def characteristic(device, tail, uuid, *names):
    path = device + tail
    return (path, CHARACTERISTIC, {
        'UUID': v(dbus.String(uuid16(uuid))),
        'Service': v(dbus.ObjectPath(path.rsplit('/', 1)[0])),
        'Value': dbus.Array([], signature='y', variant_level=1),
        'Notifying': v(dbus.Boolean(False)), 'Flags': flags(*names)})


def descriptor(device, tail, uuid):
    path = device + tail
    return (path, DESCRIPTOR, {
        'UUID': v(dbus.String(uuid16(uuid))),
        'Characteristic': v(dbus.ObjectPath(path.rsplit('/', 1)[0])),
        'Value': dbus.Array(b'\x00\x00', signature='y', variant_level=1),
        'Flags': flags('read')})


def gatt_objects(device):
    """A device's GATT objects in the order bluetoothd exports them: each service, then its
    characteristics, each followed by its descriptors."""
    objects = []
    if device == MOUSE:
        objects += [
            service(device, '/service000c', '180f'),
            characteristic(device, '/service000c/char000d', '2a19', 'read', 'notify'),
            descriptor(device, '/service000c/char000d/desc000f', '2902'),
        ]
    objects += [
        service(device, VENDOR, 'fee0'),
        characteristic(device, NOTIFY, 'fee4', 'notify'),
        descriptor(device, NOTIFY + '/desc0013', '2902'),
        descriptor(device, NOTIFY + '/desc0014', '2901'),
        characteristic(device, WRITE, 'fee3', 'write', 'write-without-response'),
    ]
    return objects


def add_device(mock, address, alias):
    path = mock.AddDevice('hci0', address, alias)
    device = mockobject.objects[path]
    device.props[DEVICE]['Paired'] = dbus.Boolean(True, variant_level=1)
    return device


def set_props(device, **properties):
    """Changes properties without a signal: for the state before anybody listens."""
    for name, value in properties.items():
        device.props[DEVICE][name] = v(value)


def connect_steps(mock, device, ids):
    """BlueZ's order: Connected, the GATT objects one at a time, ServicesResolved, and the
    ids last when bluetoothd did not know them."""
    steps = []
    if not device.props[DEVICE]['Connected']:
        steps.append(lambda: device.UpdateProperties(DEVICE, {'Connected': dbus.Boolean(True)}))
    for created in gatt_objects(device.path):
        if created[0] not in mockobject.objects:
            steps.append(lambda created=created: add_gatt_object(mock, *created))
    steps.append(lambda: device.UpdateProperties(DEVICE, {'ServicesResolved': dbus.Boolean(True)}))
    if not device.props[DEVICE]['Modalias']:
        steps.append(lambda: device.UpdateProperties(DEVICE, {'Modalias': dbus.String(ids)}))
    return steps


def run_steps(steps, delay_ms):
    steps = list(steps)

    def next_step():
        steps.pop(0)()
        return bool(steps)

    if steps:
        GLib.timeout_add(delay_ms, next_step)


def get_managed_objects(manager, reply, fail):
    STATE.objects_calls += 1
    manager.log('GetManagedObjects' + (' (never answered)' if STATE.silent_objects else ''))
    if STATE.silent_objects > 0:
        STATE.silent_objects -= 1
        return  # never answered: the caller's own timeout ends the call
    reply({dbus.ObjectPath(path): obj.props
           for path, obj in mockobject.objects.items() if path != '/'})


def load(mock, parameters):
    # dbusmock lists the main object once the template is loaded; bluez5 needs it before.
    mockobject.objects[mock.path] = mock
    mock.AddTemplate('bluez5', {})
    mock.AddAdapter('hci0', 'ms1-test')
    install(mock, OBJECT_MANAGER_IFACE, 'GetManagedObjects', '', 'a{oa{sa{sv}}}',
            get_managed_objects, True)
    state = str(parameters.get('mouse', 'connected'))
    if state != 'none':
        mouse = add_device(mock, MOUSE_ADDRESS, 'ms_1')
        set_props(mouse, Modalias=dbus.String(MOUSE_IDS))
        if state in ('connected', 'bare'):
            set_props(mouse, Connected=dbus.Boolean(True))
        if state == 'connected':
            for created in gatt_objects(MOUSE):
                add_gatt_object(mock, *created)
            set_props(mouse, ServicesResolved=dbus.Boolean(True))
    second = add_device(mock, SECOND_ADDRESS, 'Keyboard K3')
    set_props(second, Modalias=dbus.String(SECOND_IDS), Connected=dbus.Boolean(True),
              ServicesResolved=dbus.Boolean(True))
    for created in gatt_objects(SECOND):
        add_gatt_object(mock, *created)


# The test's controls

@dbus.service.method(STEER, in_signature='', out_signature='x')
def Ready(mock):
    """Answered once the tree is there: which process this is."""
    return os.getpid()


@dbus.service.method(STEER, in_signature='u', out_signature='')
def Connect(mock, ms):
    """The known mouse connects (or, connected, resolves its services) `ms` from now."""
    GLib.timeout_add(ms, lambda: run_steps(
        connect_steps(mock, mockobject.objects[MOUSE], MOUSE_IDS), STEP_MS) or False)


@dbus.service.method(STEER, in_signature='u', out_signature='')
def Pair(mock, ms):
    """The mouse, never seen before, is found, connects and resolves its services; its ids
    come last."""
    def pair():
        mouse = add_device(mock, MOUSE_ADDRESS, 'ms_1')
        run_steps(connect_steps(mock, mouse, MOUSE_IDS), STEP_MS)
        return False
    GLib.timeout_add(ms, pair)


@dbus.service.method(STEER, in_signature='uu', out_signature='')
def SlowWrites(mock, ms, count):
    """The next `count` writes are answered `ms` after they came."""
    STATE.slow_write_ms = int(ms)
    STATE.slow_writes = int(count)


@dbus.service.method(STEER, in_signature='u', out_signature='')
def FailWrites(mock, count):
    """The next `count` writes get org.bluez.Error.Failed (the mouse answered an error)."""
    STATE.failing_writes = int(count)


@dbus.service.method(STEER, in_signature='u', out_signature='')
def ForeignWrite(mock, ms):
    """The next write finds another program's write in flight on every characteristic, for
    `ms` from then."""
    STATE.foreign_ms = int(ms)


@dbus.service.method(STEER, in_signature='u', out_signature='')
def SilentObjects(mock, count):
    """The next `count` GetManagedObjects are never answered."""
    STATE.silent_objects = int(count)


@dbus.service.method(STEER, in_signature='', out_signature='')
def Touch(mock):
    """The second device tells its connection again: listeners look at the tree."""
    mockobject.objects[SECOND].UpdateProperties(DEVICE, {'Connected': dbus.Boolean(True)})


@dbus.service.method(STEER, in_signature='', out_signature='b')
def Notifying(mock):
    char = mockobject.objects.get(MOUSE + NOTIFY)
    return bool(char is not None and char.props[CHARACTERISTIC]['Notifying'])


@dbus.service.method(STEER, in_signature='', out_signature='aay')
def Written(mock):
    return [dbus.ByteArray(value) for path, value in STATE.writes if path == MOUSE + WRITE]


@dbus.service.method(STEER, in_signature='', out_signature='i')
def SecondWrites(mock):
    """Every WriteValue the second device was sent, answered or not."""
    return len([1 for path in STATE.attempts if path.startswith(SECOND + '/')])


@dbus.service.method(STEER, in_signature='', out_signature='i')
def InProgressAnswers(mock):
    return STATE.in_progress_answers


@dbus.service.method(STEER, in_signature='', out_signature='i')
def FailedAnswers(mock):
    return STATE.failed_answers


@dbus.service.method(STEER, in_signature='', out_signature='i')
def ObjectsCalls(mock):
    return STATE.objects_calls
