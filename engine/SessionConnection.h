#pragma once

#include "engine/DeviceSession.h"

namespace ms1 {

// Where a device session stands: connected, or why not. The same for the window, for
// ms1ctl and for the running program that carries out a command of ms1ctl.
// kNoAccess: a receiver is there but this user may not open it (the link's deniedPath).
// kNoBleLink: the Bluetooth LE mouse was seen but BlueZ could not be asked about it;
// kBleNotConnected: BlueZ knows the mouse, but it did not connect with a writable link.
enum class Connection {
    kConnected,
    kNoReceiver,
    kSilentMouse,
    kNoBleLink,
    kBleNotConnected,
    kNoAccess
};

Connection ConnectionOf(DeviceSession& session);
// Whether the mouse may still connect: a receiver is plugged in (its mouse may wake), or the
// Bluetooth LE mouse is being looked at or known to BlueZ without its link yet.
bool MayConnect(DeviceSession& session);

}  // namespace ms1
