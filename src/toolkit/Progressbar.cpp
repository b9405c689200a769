#include "toolkit/Progressbar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "toolkit/GaugeScale.h"
#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
const uint32_t kTextColor = Argb(204, 255, 255, 255);
}

void CProgressbar::SetLabelRects(const std::array<FloatRect, 5>& rects) {
    MarkChanged();  // where the old labels were
    labelRects_ = rects;
    MarkChanged();
}

void CProgressbar::SetRange(float minimum, float maximum) {
    MarkChanged();
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = minimum;
    labels_ = GaugeScaleLabels(minimum, maximum);
    MarkChanged();
}

void CProgressbar::SetBarColor(uint32_t argb) {
    if (argb == barColor_) return;
    barColor_ = argb;
    MarkChanged();
}

void CProgressbar::SetTitle(std::wstring_view title, int points) {
    const int adjusted = DpiAdjustedPoints(points);
    if (title_ == title && fontPoints_ == adjusted) return;
    title_ = title;
    fontPoints_ = adjusted;
    MarkChanged();
}

void CProgressbar::SetValue(float value) {
    if (value == value_) return;
    MarkChanged();  // where the old bar and value were drawn
    value_ = value;
    MarkChanged();
}

namespace {
void Include(RECT& r, float x, float y, float w, float h) {
    const RECT part{static_cast<LONG>(std::floor(x)), static_cast<LONG>(std::floor(y)),
                    static_cast<LONG>(std::ceil(x + w)), static_cast<LONG>(std::ceil(y + h))};
    UnionRect(&r, &r, &part);
}
}  // namespace

RECT CProgressbar::PaintBounds() const {
    const int L = Rect().left, T = Rect().top, R = Rect().right, B = Rect().bottom;
    const float W = float(R - L);
    RECT r = Rect();
    // The value rides on the bar (which is not clamped: a value above the range rises higher).
    const int top = B - GaugeFillHeight(B - T, value_, minimum_, maximum_);
    const int textTop = std::min(top, T) - 10;
    Include(r, float(L - 10), float(textTop), W + 20.f, float(std::max(top, B) - textTop));
    Include(r, TitleX(), float(T - 30), W + 100.f, 20.f);
    for (const FloatRect& l : labelRects_) Include(r, l.x, l.y, l.width, l.height);
    // Anti-aliased text may spill a pixel.
    InflateRect(&r, 2, 2);
    return r;
}

float CProgressbar::TitleX() const {
    return float(Rect().left - titleLead_);
}

void CProgressbar::Draw(Gdiplus::Graphics& g) {
    const int L = Rect().left, T = Rect().top, R = Rect().right, B = Rect().bottom;
    const int W = R - L, H = B - T;
    const int h = GaugeFillHeight(H, value_, minimum_, maximum_);
    if (h > 0) {
        Gdiplus::SolidBrush bar(ArgbValue(barColor_));
        g.FillRectangle(&bar, L, B - h, W, h);
    }
    const int center = Gdiplus::StringAlignmentCenter;
    const float pts = float(fontPoints_);

    wchar_t value[64];
    std::swprintf(value, 64, L"%.0f", double(value_));
    DrawTextRemembered(g, value, pts, kTextColor,
                       Gdiplus::RectF(float(L - 10), float(B - h - 10), float(W + 20), 10.f),
                       center, center);

    const float titleX = TitleX();
    DrawTextRemembered(g, title_, pts, kTextColor,
                       Gdiplus::RectF(titleX, float(T - 30), float(W + 100), 20.f), center, center);

    for (int i = 0; i < 5; ++i) {
        const FloatRect& r = labelRects_[i];
        DrawTextRemembered(g, labels_[i], pts, kTextColor,
                           Gdiplus::RectF(r.x, r.y, r.width, r.height), center, center);
    }
}

}  // namespace velmora
