// The program's one colour type: 32-bit ARGB, written (alpha, red, green, blue). Windows-free,
// so the native cores use it too.
#pragma once

#include <cstdint>

namespace velmora {

using ArgbColor = uint32_t;

constexpr ArgbColor Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a & 0xFF) << 24 | (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
}

}  // namespace velmora
