#include "toolkit/SkinDraw.h"

namespace velmora {

void DrawImagePart(Gdiplus::Graphics& g, Gdiplus::Image* image, int dx, int dy, int sx, int sy,
                   int w, int h) {
    if (!image || w <= 0 || h <= 0) return;
    g.DrawImage(image, Gdiplus::Rect(dx, dy, w, h), sx, sy, w, h, Gdiplus::UnitPixel);
}

void DrawFrame(Gdiplus::Graphics& g, Gdiplus::Image* strip, int frame, const RECT& r) {
    const int w = RectWidth(r), h = RectHeight(r);
    DrawImagePart(g, strip, r.left, r.top, frame * w, 0, w, h);
}

namespace {

std::unique_ptr<Gdiplus::Font> TryFont(const Gdiplus::FontFamily* family, float points) {
    if (!family || family->GetLastStatus() != Gdiplus::Ok || !family->IsAvailable()) return nullptr;
    auto font = std::make_unique<Gdiplus::Font>(family, points, Gdiplus::FontStyleRegular,
                                                Gdiplus::UnitPoint);
    if (font->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return font;
}

}  // namespace

std::unique_ptr<Gdiplus::Font> MakeSkinFont(float points) {
    Gdiplus::FontFamily skinFamily(L"NEWSGOTL");
    if (auto font = TryFont(&skinFamily, points)) return font;
    if (auto font = TryFont(Gdiplus::FontFamily::GenericSansSerif(), points)) return font;
    // The generic family names a face some systems lack (wine has no "Microsoft Sans Serif"):
    // then the first sans-serif face that is there.
    for (const wchar_t* face : {L"Tahoma", L"Arial", L"Verdana", L"DejaVu Sans"}) {
        Gdiplus::FontFamily family(face);
        if (auto font = TryFont(&family, points)) return font;
    }
    return nullptr;
}

int DpiAdjustedPoints(int points, int dpi) {
    if (dpi <= 0) return points;
    return (points * 96 + dpi - 1) / dpi;
}

int DpiAdjustedPoints(int points) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return DpiAdjustedPoints(points, dpi);
}

void DrawSkinText(Gdiplus::Graphics& g, std::wstring_view text, float points,
                  const Gdiplus::Color& color, const Gdiplus::RectF& layout,
                  Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment vertical,
                  INT formatFlags) {
    if (text.empty()) return;
    std::unique_ptr<Gdiplus::Font> font = MakeSkinFont(points);
    if (!font) return;
    Gdiplus::StringFormat format(formatFlags);
    format.SetAlignment(horizontal);
    format.SetLineAlignment(vertical);
    Gdiplus::SolidBrush brush(color);
    g.DrawString(text.data(), static_cast<INT>(text.size()), font.get(), layout, &format, &brush);
}

}  // namespace velmora
