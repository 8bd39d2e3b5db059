#include "sim/PacketDump.h"

namespace ms1::sim {

std::string FormatPacketDump(const std::vector<ReceivedPacket>& packets) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const ReceivedPacket& packet : packets) {
        if (packet.receiver != 0) {
            text += "receiver " + std::to_string(packet.receiver) + ": ";
        }
        for (std::size_t i = 0; i < packet.bytes.size(); ++i) {
            if (i != 0) {
                text += ' ';
            }
            text += kHex[packet.bytes[i] >> 4];
            text += kHex[packet.bytes[i] & 0x0F];
        }
        text += '\n';
    }
    return text;
}

}  // namespace ms1::sim
