// The LED controller's packet: length, effect, brightness, speed, colour bytes, checksum.
// The 8-bit sum of a whole packet, checksum included, is always 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint8_t kLedEffectSteady = 0;
inline constexpr uint8_t kLedEffectBreathing = 1;
inline constexpr uint8_t kLedEffectColourCycle = 2;
inline constexpr uint8_t kLedBrightnessFull = 50;
// The controller's 7-bit address 0x50 in the shifted form the I2C record carries.
inline constexpr uint8_t kLedControllerAddress = 0xA0;
// Length, effect, brightness, speed and checksum around the colour bytes.
inline constexpr size_t kLedPacketOverhead = 5;
// The length byte counts the whole packet, so at most 255 bytes: 83 colours.
inline constexpr size_t kLedMaxColourBytes = 249;

// n colour bytes, three (red, green, blue) per colour. Empty when the packet cannot be
// framed: n not a whole number of colours, too many for the length byte, or colours null
// while n > 0.
std::vector<uint8_t> BuildLedPacket(const uint8_t* colours, size_t n, uint8_t effect,
                                    uint8_t brightness, uint8_t speed);
