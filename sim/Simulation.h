#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimClock.h"
#include "sim/VirtualHidBus.h"

namespace ms1::sim {

// The named set-ups of the virtual mouse that `--simulate=<name>` offers:
//   receiver         one receiver, mouse awake, every report acknowledged at once
//   noack            the mouse keeps what it gets but never acknowledges
//   slowack          acknowledgements come 1.2 s late
//   refuse           every report is refused with a non-zero status
//   asleep           the receiver is there, the mouse is silent and hears nothing
//   not11            the receiver's first report does not carry the status mark
//   two-receivers    two receivers with distinct keys, both with an awake mouse
//   many-collections one receiver with 22 input and 22 feature collections
//   unplugged        a receiver that is not plugged in yet (receiver 0)
//   wired            the mouse on its cable only (its receiver not plugged in)
//   wired+receiver   the mouse on its cable and its receiver both
//   no-access        a receiver whose nodes this user may not open (no udev rule yet)
//   ble              the mouse connected over Bluetooth LE only (its receiver not plugged in)
//   low-battery      as "receiver", with the mouse's battery at 10 %
// The receivers are plugged in before the bus is returned (except "unplugged").
// Null for an unknown name.
std::unique_ptr<VirtualHidBus> MakeSimulation(std::string_view scenario,
                                              std::shared_ptr<const SimClock> clock);

// The same on the real clock, for the simulated program.
std::unique_ptr<VirtualHidBus> MakeSimulation(std::string_view scenario);

const std::vector<std::string>& SimulationScenarios();

}  // namespace ms1::sim
