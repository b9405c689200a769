#include "LedController.h"

namespace velmora::sim {
namespace {
constexpr size_t kHeaderBytes = 4;                   // length, effect, brightness, speed
constexpr size_t kMinPacket = kHeaderBytes + 3 + 1;  // at least one colour and the checksum
constexpr uint8_t kMaxEffect = 2;                    // steady, breathing, colour cycle
constexpr uint8_t kMaxBrightness = 50;               // full brightness
constexpr uint8_t kChecksumTotal = 0xFF;
}  // namespace

bool LedController::IsValidPacket(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kMinPacket || data[0] != size) return false;
    if ((size - kHeaderBytes - 1) % 3 != 0) return false;
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    if (sum != kChecksumTotal) return false;
    return data[1] <= kMaxEffect && data[2] <= kMaxBrightness;
}

bool LedController::Receive(const uint8_t* data, size_t size) {
    state_.lastPacket.assign(data, data + size);
    if (!IsValidPacket(data, size)) {
        ++state_.invalidPackets;
        return false;
    }
    ++state_.validPackets;
    state_.lit = true;
    state_.effect = data[1];
    state_.brightness = data[2];
    state_.speed = data[3];
    state_.colours.assign(data + kHeaderBytes, data + size - 1);
    return true;
}

}  // namespace velmora::sim
