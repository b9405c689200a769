// The lighting controller on a card's I2C bus (address 0xA0 in the 8-bit form). It takes
// framed packets: length, effect, brightness, speed, RGB colours, checksum making the 8-bit
// sum of the whole packet 0xFF. A malformed packet is ignored and counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::sim {

inline constexpr uint8_t kLedControllerAddress = 0xA0;

struct LedState {
    bool present = true;
    uint32_t validPackets = 0;
    uint32_t invalidPackets = 0;
    bool lit = false;  // a valid packet has arrived
    uint8_t effect = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    std::vector<uint8_t> colours;     // R, G, B per colour
    std::vector<uint8_t> lastPacket;  // the last packet received, valid or not
};

class LedController {
  public:
    // Takes one write's bytes; true when the packet was valid and applied.
    bool Receive(const uint8_t* data, size_t size);
    const LedState& state() const { return state_; }
    LedState& state() { return state_; }

    static bool IsValidPacket(const uint8_t* data, size_t size);

  private:
    LedState state_;
};

}  // namespace velmora::sim
