#include "lighting/LedPacket.h"

namespace {
constexpr size_t kBytesPerColour = 3;
}

std::vector<uint8_t> BuildLedPacket(const uint8_t* colours, size_t n, uint8_t effect,
                                    uint8_t brightness, uint8_t speed) {
    std::vector<uint8_t> packet;
    if (n % kBytesPerColour != 0 || n > kLedMaxColourBytes || (n > 0 && colours == nullptr)) {
        return packet;
    }
    packet.reserve(n + kLedPacketOverhead);
    packet.push_back(static_cast<uint8_t>(n + kLedPacketOverhead));
    packet.push_back(effect);
    packet.push_back(brightness);
    packet.push_back(speed);
    packet.insert(packet.end(), colours, colours + n);
    uint8_t sum = 0;
    for (uint8_t byte : packet) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    packet.push_back(static_cast<uint8_t>(0xFF - sum));
    return packet;
}
