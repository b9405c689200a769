// Layout of the uncompressed screenshot bitmap ("Velmora.bmp"): bit depth from the display,
// palette and row sizes, and the two little-endian headers. No Windows API here, so the file
// format is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

constexpr size_t kBmpFileHeaderBytes = 14;
constexpr size_t kBmpInfoHeaderBytes = 40;
constexpr uint16_t kBmpTypeBM = 0x4D42;

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;        // positive: rows are stored bottom-up
    uint16_t bitsPerPixel = 0; // 1, 4, 8, 24 or 32
    uint32_t paletteBytes = 0; // 4 bytes per entry, 2^bits entries up to 8 bits, else none
    uint32_t rowBytes = 0;     // rows padded to 32-bit boundaries
    uint32_t imageBytes = 0;   // rowBytes * height
    uint32_t pixelOffset = 0;  // 14 + 40 + palette
    uint32_t fileBytes = 0;    // pixelOffset + imageBytes
};

// Depth rule for a display of displayBitsPerPixel * planes: raised to the next of 1, 4, 8, 24;
// anything above 24 is stored as 32.
uint16_t BmpDepthForDisplay(int displayBitsTimesPlanes);

// False for an empty or absurd area (sizes that would overflow 32-bit file offsets).
bool ComputeBmpLayout(int32_t width, int32_t height, int displayBitsTimesPlanes, BmpLayout& out);

// The 40-byte header handed to the pixel conversion: size, width, height, planes 1, depth; the
// other fields zero (the conversion fills in the image size).
void WriteBmpInfoHeader(const BmpLayout& layout, uint8_t (&out)[kBmpInfoHeaderBytes]);

// The 14-byte file header: "BM", file size, two reserved zeros, pixel data offset.
void WriteBmpFileHeader(const BmpLayout& layout, uint8_t (&out)[kBmpFileHeaderBytes]);

}  // namespace velmora
