// Drawing helpers shared by the skinned controls: picture frames, the skin font, colours.
#pragma once

#include <windows.h>
#include "toolkit/GdiplusIncludes.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace velmora {

// Colours are written (alpha, red, green, blue).
inline Gdiplus::Color Argb(int a, int r, int g, int b) {
    return Gdiplus::Color(static_cast<BYTE>(a), static_cast<BYTE>(r), static_cast<BYTE>(g),
                          static_cast<BYTE>(b));
}
inline Gdiplus::Color ArgbValue(uint32_t argb) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}
inline uint32_t PackArgb(int a, int r, int g, int b) {
    return uint32_t(a & 0xFF) << 24 | uint32_t(r & 0xFF) << 16 | uint32_t(g & 0xFF) << 8 |
           uint32_t(b & 0xFF);
}

inline int RectWidth(const RECT& r) {
    return r.right - r.left;
}
inline int RectHeight(const RECT& r) {
    return r.bottom - r.top;
}
inline bool InRect(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Draws the source rectangle (sx, sy, w, h) of `image` unscaled at (dx, dy).
void DrawImagePart(Gdiplus::Graphics& g, Gdiplus::Image* image, int dx, int dy, int sx, int sy,
                   int w, int h);
// Frame k of a horizontal strip whose frames have the rectangle's size, into the rectangle.
void DrawFrame(Gdiplus::Graphics& g, Gdiplus::Image* strip, int frame, const RECT& r);

// The skin's text font: "NEWSGOTL", or the generic sans-serif family when it is missing.
std::unique_ptr<Gdiplus::Font> MakeSkinFont(float points);
// Points that keep their pixel size on screens above 96 DPI: ceil(points * 96 / dpi).
int DpiAdjustedPoints(int points);
int DpiAdjustedPoints(int points, int dpi);

// Skin fonts by size, created once; owned by a dialog (destroyed while GDI+ still runs).
class SkinFonts {
  public:
    SkinFonts();
    ~SkinFonts();
    SkinFonts(const SkinFonts&) = delete;
    SkinFonts& operator=(const SkinFonts&) = delete;
    // Null when no usable face exists.
    Gdiplus::Font* Get(float points);

  private:
    struct Entry;
    std::vector<Entry> entries_;
};

// Draws `text` in `layout` with the given alignments (near/centre/far) and format flags.
void DrawSkinText(Gdiplus::Graphics& g, SkinFonts* fonts, std::wstring_view text, float points,
                  const Gdiplus::Color& color, const Gdiplus::RectF& layout,
                  Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment vertical,
                  INT formatFlags = 0);

}  // namespace velmora
