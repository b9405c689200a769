// The window icons: one file per role, each with the 16, 32, 48 and 256 px images the
// shell picks from, readable by the platform's icon loader.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

class Icon : public ::testing::TestWithParam<const char*> {
  protected:
    std::string Path() const { return std::string(VELMORA_TEST_ICON_DIR) + "/" + GetParam(); }
};

TEST_P(Icon, DirectoryListsEachSizeWithItsImageInsideTheFile) {
    std::vector<uint8_t> b = ReadFile(Path());
    ASSERT_GE(b.size(), 6u);
    ASSERT_EQ(Le(b, 0, 2), 0u);
    ASSERT_EQ(Le(b, 2, 2), 1u);  // icon, not cursor
    const uint32_t count = Le(b, 4, 2);
    ASSERT_GE(b.size(), 6u + 16u * count);
    std::set<uint32_t> sizes;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * i;
        const uint32_t w = b[e] ? b[e] : 256, h = b[e + 1] ? b[e + 1] : 256;
        EXPECT_EQ(w, h);
        EXPECT_EQ(Le(b, e + 6, 2), 32u) << "32-bit colour with alpha";
        const uint32_t bytes = Le(b, e + 8, 4), offset = Le(b, e + 12, 4);
        ASSERT_LE(uint64_t(offset) + bytes, b.size());
        if (w < 256) {
            // A DIB of twice the height (colour rows, then the mask) and 32 bits per pixel.
            EXPECT_EQ(Le(b, offset, 4), 40u);
            EXPECT_EQ(Le(b, offset + 4, 4), w);
            EXPECT_EQ(Le(b, offset + 8, 4), 2 * h);
            EXPECT_EQ(bytes, 40 + w * h * 4 + ((w + 31) / 32 * 4) * h);
        } else {
            EXPECT_EQ(Le(b, offset + 1, 3), 0x474E50u) << "PNG";  // "PNG"
        }
        sizes.insert(w);
    }
    EXPECT_EQ(sizes, (std::set<uint32_t>{16, 32, 48, 256}));
}

#ifdef _WIN32
TEST_P(Icon, PlatformLoadsEverySmallSize) {
    std::string p = Path();
    std::wstring wide(p.begin(), p.end());
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}
#endif

INSTANTIATE_TEST_SUITE_P(Roles, Icon, ::testing::Values("velmora.ico", "norvane.ico", "talwyn.ico"),
                         [](const auto& info) {
                             std::string s = info.param;
                             return s.substr(0, s.find('.'));
                         });

}  // namespace
