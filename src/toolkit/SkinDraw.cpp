#include "toolkit/SkinDraw.h"

#include "win32/Handles.h"

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

// The skin's face, else a sans-serif face the system has. The generic sans-serif family is
// not always there (wine without the core fonts answers with no family at all), so a few
// common faces are tried by name too. Resolved once: fonts do not come and go while we run.
const wchar_t* ResolveSkinFontFamily() {
    static const wchar_t* const kCandidates[] = {
        L"NEWSGOTL", L"Microsoft Sans Serif", L"Segoe UI",       L"Tahoma",
        L"Arial",    L"DejaVu Sans",          L"Liberation Sans"};
    for (const wchar_t* name : kCandidates) {
        Gdiplus::FontFamily family(name);
        if (family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable()) return name;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Gdiplus::Font> MakeSkinFont(float points) {
    static const wchar_t* const kFamily = ResolveSkinFontFamily();
    if (kFamily) {
        Gdiplus::FontFamily family(kFamily);
        return std::make_unique<Gdiplus::Font>(&family, points, Gdiplus::FontStyleRegular,
                                               Gdiplus::UnitPoint);
    }
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (!generic || generic->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return std::make_unique<Gdiplus::Font>(generic, points, Gdiplus::FontStyleRegular,
                                           Gdiplus::UnitPoint);
}

int DpiAdjustedPoints(int points, int dpi) {
    if (dpi <= 0) return points;
    return (points * 96 + dpi - 1) / dpi;
}

int DpiAdjustedPoints(int points) {
    const ScreenDc screen;
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
    return DpiAdjustedPoints(points, dpi);
}

struct SkinFonts::Entry {
    float points;
    std::unique_ptr<Gdiplus::Font> font;
};

SkinFonts::SkinFonts() = default;
SkinFonts::~SkinFonts() = default;

Gdiplus::Font* SkinFonts::Get(float points) {
    for (const Entry& e : entries_)
        if (e.points == points) return e.font.get();
    entries_.push_back(Entry{points, MakeSkinFont(points)});
    return entries_.back().font.get();
}

void DrawSkinText(Gdiplus::Graphics& g, SkinFonts* fonts, std::wstring_view text, float points,
                  const Gdiplus::Color& color, const Gdiplus::RectF& layout,
                  Gdiplus::StringAlignment horizontal, Gdiplus::StringAlignment vertical,
                  INT formatFlags) {
    if (text.empty()) return;
    std::unique_ptr<Gdiplus::Font> own;
    Gdiplus::Font* font = fonts ? fonts->Get(points) : (own = MakeSkinFont(points)).get();
    if (!font) return;
    Gdiplus::StringFormat format(formatFlags);
    format.SetAlignment(horizontal);
    format.SetLineAlignment(vertical);
    Gdiplus::SolidBrush brush(color);
    g.DrawString(text.data(), static_cast<INT>(text.size()), font, layout, &format, &brush);
}

}  // namespace velmora
