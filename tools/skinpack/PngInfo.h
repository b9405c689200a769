// Width and height from a PNG file's header chunk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// false when the bytes do not start with a PNG signature and an IHDR chunk.
bool ReadPngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height);

}  // namespace velmora
