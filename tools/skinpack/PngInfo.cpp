#include "PngInfo.h"

#include <cstring>

namespace velmora {

bool ReadPngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // signature, chunk length, "IHDR", width, height
    if (!data || size < 24 || std::memcmp(data, kSignature, 8) != 0 ||
        std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    auto be32 = [](const uint8_t* p) {
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
    };
    width = be32(data + 16);
    height = be32(data + 20);
    return true;
}

}  // namespace velmora
