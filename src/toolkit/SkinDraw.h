// Drawing helpers shared by the skinned controls: picture frames, the skin font, colours.
#pragma once

#include <windows.h>
#include "win32/Color.h"
#include "win32/GdiplusIncludes.h"
#include "win32/Geometry.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace velmora {

// A colour of the program (see win32/Color.h) as GDI+ takes it.
inline Gdiplus::Color ArgbValue(ArgbColor argb) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
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
