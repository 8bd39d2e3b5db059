#pragma once

#include <string>
#include <vector>

#include "sim/VirtualHidBus.h"

namespace ms1::sim {

// Every packet the virtual receivers got, in order: one line per packet, its bytes as
// upper-case hex pairs separated by spaces. Packets of a second receiver are prefixed
// with "receiver N: ".
std::string FormatPacketDump(const std::vector<ReceivedPacket>& packets);

}  // namespace ms1::sim
