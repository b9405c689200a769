#include "BmpLayout.h"

#include <cstring>

namespace velmora {
namespace {

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

uint16_t BmpDepthForDisplay(int bits) {
    if (bits <= 1) return 1;
    if (bits <= 4) return 4;
    if (bits <= 8) return 8;
    if (bits <= 24) return 24;
    return 32;
}

bool ComputeBmpLayout(int32_t width, int32_t height, int displayBits, BmpLayout& out) {
    if (width <= 0 || height <= 0) return false;
    const uint16_t depth = BmpDepthForDisplay(displayBits);
    const uint64_t palette = depth <= 8 ? 4ull << depth : 0;
    const uint64_t row = ((static_cast<uint64_t>(depth) * static_cast<uint64_t>(width) + 31) / 32) * 4;
    const uint64_t image = row * static_cast<uint64_t>(height);
    const uint64_t offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + palette;
    if (offset + image > UINT32_MAX) return false;

    out.width = width;
    out.height = height;
    out.bitsPerPixel = depth;
    out.paletteBytes = static_cast<uint32_t>(palette);
    out.rowBytes = static_cast<uint32_t>(row);
    out.imageBytes = static_cast<uint32_t>(image);
    out.pixelOffset = static_cast<uint32_t>(offset);
    out.fileBytes = static_cast<uint32_t>(offset + image);
    return true;
}

void WriteBmpInfoHeader(const BmpLayout& layout, uint8_t (&out)[kBmpInfoHeaderBytes]) {
    std::memset(out, 0, sizeof out);
    PutU32(out + 0, kBmpInfoHeaderBytes);
    PutU32(out + 4, static_cast<uint32_t>(layout.width));
    PutU32(out + 8, static_cast<uint32_t>(layout.height));
    PutU16(out + 12, 1);
    PutU16(out + 14, layout.bitsPerPixel);
}

void WriteBmpFileHeader(const BmpLayout& layout, uint8_t (&out)[kBmpFileHeaderBytes]) {
    std::memset(out, 0, sizeof out);
    PutU16(out + 0, kBmpTypeBM);
    PutU32(out + 2, layout.fileBytes);
    PutU32(out + 10, layout.pixelOffset);
}

}  // namespace velmora
