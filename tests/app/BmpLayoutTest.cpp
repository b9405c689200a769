#include "app/BmpLayout.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct LayoutCase {
    int32_t width, height;
    int displayBits;
    uint16_t depth;
    uint32_t palette, row, offset;
};

TEST(BmpLayout, DepthPaletteRowAndOffsetFollowTheDisplay) {
    const LayoutCase cases[] = {
        {1280, 1024, 32, 32, 0, 5120, 54},
        {1280, 1024, 8, 8, 1024, 1280, 1078},
        {1366, 768, 24, 24, 0, 4100, 54},  // 4098 bytes of pixels padded to 4100
        {1366, 768, 16, 24, 0, 4100, 54},  // 16-bit displays are raised to 24
        {33, 2, 1, 1, 8, 8, 62},
        {10, 1, 4, 4, 64, 8, 118},
        {3, 3, 30, 32, 0, 12, 54},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "@" << c.displayBits);
        BmpLayout l;
        ASSERT_TRUE(ComputeBmpLayout(c.width, c.height, c.displayBits, l));
        EXPECT_EQ(l.bitsPerPixel, c.depth);
        EXPECT_EQ(l.paletteBytes, c.palette);
        EXPECT_EQ(l.rowBytes, c.row);
        EXPECT_EQ(l.imageBytes, c.row * static_cast<uint32_t>(c.height));
        EXPECT_EQ(l.pixelOffset, c.offset);
        EXPECT_EQ(l.fileBytes, c.offset + l.imageBytes);
    }
}

TEST(BmpLayout, ThirtyTwoBitFileIsHeadersPlusFourBytesPerPixel) {
    BmpLayout l;
    ASSERT_TRUE(ComputeBmpLayout(1280, 1024, 32, l));
    EXPECT_EQ(l.fileBytes, 54u + 4u * 1280u * 1024u);
}

TEST(BmpLayout, EmptyOrOversizedAreaIsRefused) {
    BmpLayout l;
    EXPECT_FALSE(ComputeBmpLayout(0, 10, 32, l));
    EXPECT_FALSE(ComputeBmpLayout(10, -1, 32, l));
    EXPECT_FALSE(ComputeBmpLayout(100000, 100000, 32, l));
}

TEST(BmpLayout, HeadersAreLittleEndianWithZeroedFields) {
    BmpLayout l;
    ASSERT_TRUE(ComputeBmpLayout(0x0102, 0x0304, 8, l));
    uint8_t file[kBmpFileHeaderBytes];
    uint8_t info[kBmpInfoHeaderBytes];
    WriteBmpFileHeader(l, file);
    WriteBmpInfoHeader(l, info);

    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    const uint32_t size = file[2] | file[3] << 8 | file[4] << 16 | uint32_t(file[5]) << 24;
    EXPECT_EQ(size, l.fileBytes);
    for (int i = 6; i < 10; ++i) EXPECT_EQ(file[i], 0) << i;
    EXPECT_EQ(file[10] | file[11] << 8, 1078);

    EXPECT_EQ(info[0], 40);
    EXPECT_EQ(info[4] | info[5] << 8, 0x0102);
    EXPECT_EQ(info[8] | info[9] << 8, 0x0304);  // positive height: bottom-up rows
    EXPECT_EQ(info[12], 1);                      // planes
    EXPECT_EQ(info[14], 8);                      // bits per pixel
    for (int i = 16; i < 40; ++i) EXPECT_EQ(info[i], 0) << i;
}

}  // namespace
}  // namespace velmora
