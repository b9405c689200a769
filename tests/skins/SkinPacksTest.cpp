// The delivered skin packs as the program reads them: the generator's packer against the
// C++ reader, and every picture the windows draw, at the size they cut frames from.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#ifdef _WIN32  // before the reader, which names a member like a Win32 macro
#include <windows.h>
// GDI+ needs the COM stream types.
#include <objidl.h>
#include <gdiplus.h>
#endif

#include "toolkit/SkinPackReader.h"

using velmora::SkinPackReader;

namespace {

std::u16string U16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// --- the packer's format, read by the program's reader ----------------------------------

TEST(SkinPackFormat, GeneratorPackReadsBackEntryByEntry) {
    SkinPackReader reader;
    ASSERT_TRUE(reader.Open(VELMORA_TEST_FIXTURE));
    ASSERT_EQ(reader.Directory().size(), 5u);
    std::vector<uint8_t> bytes;

    // Entry 0 is the one written first; it shadows the later entry of the same name.
    ASSERT_TRUE(reader.GetImageBytes(u"first.png", bytes));
    EXPECT_EQ(Text(bytes), "AAAA");
    // Case matters.
    ASSERT_TRUE(reader.GetImageBytes(u"First.png", bytes));
    EXPECT_EQ(Text(bytes), "CC");
    EXPECT_FALSE(reader.GetImageBytes(u"FIRST.png", bytes));
    // An entry without bytes counts as missing.
    EXPECT_FALSE(reader.GetImageBytes(u"empty.png", bytes));
    EXPECT_TRUE(bytes.empty());
    // The longest name an entry holds (31 units) keeps its terminating zero.
    std::u16string longName(27, u'\u00e9');
    longName += u".png";
    ASSERT_TRUE(reader.GetImageBytes(longName, bytes));
    EXPECT_EQ(Text(bytes), "long");
    EXPECT_EQ(reader.Directory()[4].Name(), longName);
}

// --- what the windows ask of every pack --------------------------------------------------

struct Need {
    const char* name;
    int frames;  // the picture is `frames` frames of w x h side by side
    int w, h;
};

// Frame counts and control sizes from the windows' control tables: push and check buttons
// have 3 frames, the LED window's radio 6, the eye 13; backgrounds are the window's size.
const Need kNeeds[] = {
    // main window, 475 x 440
    {"main.png", 1, 475, 440},
    {"main_eye.png", 13, 174, 148},
    {"main_close.png", 3, 30, 30},
    {"main_min.png", 3, 30, 30},
    {"main_set.png", 3, 30, 30},
    {"main_clock.png", 3, 194, 28},
    {"main_gpu.png", 3, 194, 28},
    {"main_custmize.png", 3, 194, 28},
    {"main_monitor.png", 3, 194, 28},
    // clock settings window, 379 x 671, and its voltage window, 366 x 288
    {"lockset_main.png", 1, 379, 671},
    {"voltagesetdlg_main.png", 1, 366, 288},
    {"lockset_close.png", 3, 30, 30},
    {"lockset_apply.png", 3, 80, 27},
    {"lockset_default.png", 3, 80, 27},
    {"lockset_cancel.png", 3, 80, 27},
    {"lockset_one.png", 3, 17, 16},
    {"lockset_two.png", 3, 17, 16},
    {"lockset_three.png", 3, 17, 16},
    {"lockset_save.png", 3, 50, 16},
    {"lockset_auto.png", 3, 78, 27},
    {"lockset_manual.png", 3, 77, 27},
    {"lockset_userdefine.png", 3, 78, 27},
    {"lockset_no.png", 3, 52, 27},
    {"lockset_off.png", 3, 52, 27},
    {"lockset_link.png", 3, 13, 27},
    {"lockset_voltage.png", 3, 19, 93},
    {"lockset_arrowleft.png", 3, 12, 12},
    {"lockset_arrowright.png", 3, 12, 12},
    {"lockset_subfive.png", 3, 19, 19},
    {"lockset_subten.png", 3, 23, 19},
    {"lockset_addfive.png", 3, 19, 19},
    {"lockset_addten.png", 3, 24, 19},
    // the slider thumb is cut as its top-left 9 x 15 pixels
    {"lockset_slider.png", 1, 9, 15},
    // monitoring window, 379 x 672, and the LED window, 366 x 413
    {"monitor_main.png", 1, 379, 672},
    {"Led-zone.png", 3, 19, 93},
    {"main_BreathingLamp.png", 1, 366, 413},
    {"select_BreathingLamp.png", 6, 16, 14},
    {"sliders_BreathingLamp.png", 3, 9, 7},
    {"button1_BreathingLamp.png", 3, 14, 7},
    {"button_BreathingLamp.png", 3, 14, 7},
    // GPU information window, the main window's width x 238
    {"gpuinfo_main.png", 1, 475, 238},
    {"gpuinfo_tessarin.png", 3, 217, 22},
    {"gpuinfo_back.png", 3, 102, 21},
};

// Pictures drawn scaled or by columns, which only need to be there and large enough.
struct AtLeast {
    const char* name;
    int w, h;
};
const AtLeast kScaled[] = {
    {"Browse.png", 1, 1},                 // the skin's preview, scaled into the UI page
    {"borders_BreathingLamp.png", 1, 1},  // selection frame, scaled around a swatch
    // slider fill: its left columns up to the value, on tracks up to 250 px wide
    {"lockset_sliderfill.png", 250, 9},
};

struct PngHeader {
    bool ok = false;
    uint32_t w = 0, h = 0;
    int colourType = -1;
};

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

PngHeader ReadPngHeader(const std::vector<uint8_t>& b) {
    static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader h;
    if (b.size() < 33 || std::memcmp(b.data(), kSig, 8) != 0 ||
        std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return h;
    h.ok = true;
    h.w = Be32(b.data() + 16);
    h.h = Be32(b.data() + 20);
    h.colourType = b[25];
    return h;
}

class DeliveredPack : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        path_ = std::string(VELMORA_TEST_PACK_DIR) + "/" + GetParam();
        ASSERT_TRUE(reader_.Open(path_)) << path_;
    }
    std::string path_;
    SkinPackReader reader_;
};

TEST_P(DeliveredPack, HoldsEveryPictureAtItsControlsGeometry) {
    std::vector<uint8_t> bytes;
    for (const Need& n : kNeeds) {
        SCOPED_TRACE(n.name);
        ASSERT_TRUE(reader_.GetImageBytes(U16(n.name), bytes));
        PngHeader h = ReadPngHeader(bytes);
        ASSERT_TRUE(h.ok);
        EXPECT_EQ(h.w, uint32_t(n.frames * n.w));
        EXPECT_EQ(h.h, uint32_t(n.h));
        // Layered windows blend every pixel by its own alpha.
        EXPECT_EQ(h.colourType, 6) << "not RGBA";
    }
    for (const AtLeast& n : kScaled) {
        SCOPED_TRACE(n.name);
        ASSERT_TRUE(reader_.GetImageBytes(U16(n.name), bytes));
        PngHeader h = ReadPngHeader(bytes);
        ASSERT_TRUE(h.ok);
        EXPECT_GE(h.w, uint32_t(n.w));
        EXPECT_GE(h.h, uint32_t(n.h));
        EXPECT_EQ(h.colourType, 6) << "not RGBA";
    }
}

TEST_P(DeliveredPack, NamesAreUniqueAndEveryEntryHasBytes) {
    // A repeated name would silently hide the later picture.
    const auto& dir = reader_.Directory();
    for (size_t i = 0; i < dir.size(); ++i) {
        EXPECT_GT(dir[i].size, 0) << std::string(dir[i].Name().begin(), dir[i].Name().end());
        for (size_t j = i + 1; j < dir.size(); ++j) EXPECT_NE(dir[i].Name(), dir[j].Name());
    }
}

#ifdef _WIN32
// The platform's decoder reads every picture, and the window backgrounds leave their corners
// transparent (the windows are shaped by alpha alone).
struct GdiplusScope {
    GdiplusScope() {
        Gdiplus::GdiplusStartupInput in;
        ok = Gdiplus::GdiplusStartup(&token, &in, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusScope() {
        if (ok) Gdiplus::GdiplusShutdown(token);
    }
    ULONG_PTR token = 0;
    bool ok = false;
};

TEST_P(DeliveredPack, DecodesWithThePlatformAndBackgroundCornersAreClear) {
    GdiplusScope gdiplus;
    ASSERT_TRUE(gdiplus.ok);
    for (const Need& n : kNeeds) {
        SCOPED_TRACE(n.name);
        std::wstring name(n.name, n.name + std::strlen(n.name));
        std::unique_ptr<Gdiplus::Bitmap> bmp;
        ASSERT_TRUE(reader_.LoadImage(name, bmp));
        ASSERT_TRUE(bmp);
        EXPECT_EQ(bmp->GetWidth(), UINT(n.frames * n.w));
        EXPECT_EQ(bmp->GetHeight(), UINT(n.h));
        if (n.frames == 1 && n.w > 300) {
            Gdiplus::Color c;
            for (auto [x, y] : {std::pair{0, 0}, {n.w - 1, 0}, {0, n.h - 1}, {n.w - 1, n.h - 1}}) {
                ASSERT_EQ(bmp->GetPixel(x, y, &c), Gdiplus::Ok);
                EXPECT_EQ(c.GetA(), 0) << "corner " << x << "," << y;
            }
        }
    }
}
#endif

INSTANTIATE_TEST_SUITE_P(Skins, DeliveredPack,
                         ::testing::Values("Norvane.dll", "Talwyn.dll", "Ostrid.dll"),
                         [](const auto& info) {
                             std::string s = info.param;
                             return s.substr(0, s.find('.'));
                         });

}  // namespace
