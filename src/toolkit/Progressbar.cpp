#include "toolkit/Progressbar.h"

#include <cstdio>

#include "toolkit/GaugeScale.h"
#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
const uint32_t kTextColor = PackArgb(204, 255, 255, 255);
}

void CProgressbar::SetRange(float minimum, float maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = minimum;
    labels_ = GaugeScaleLabels(minimum, maximum);
}

void CProgressbar::SetTitle(std::wstring_view title, int points) {
    title_ = title;
    fontPoints_ = DpiAdjustedPoints(points);
}

void CProgressbar::Draw(Gdiplus::Graphics& g) {
    const int L = rect_.left, T = rect_.top, R = rect_.right, B = rect_.bottom;
    const int W = R - L, H = B - T;
    const int h = GaugeFillHeight(H, value_, minimum_, maximum_);
    if (h > 0) {
        Gdiplus::SolidBrush bar(ArgbValue(barColor_));
        g.FillRectangle(&bar, L, B - h, W, h);
    }
    const Gdiplus::Color text = ArgbValue(kTextColor);
    const auto center = Gdiplus::StringAlignmentCenter;
    const float pts = float(fontPoints_);

    wchar_t value[64];
    std::swprintf(value, 64, L"%.0f", double(value_));
    DrawSkinText(g, Fonts(), value, pts, text,
                 Gdiplus::RectF(float(L - 10), float(B - h - 10), float(W + 20), 10.f), center,
                 center);

    const bool titleLeft = imageName_.find(L"left") != std::wstring::npos;
    const float titleX = float(titleLeft ? L - 25 : L - 70);
    DrawSkinText(g, Fonts(), title_, pts, text,
                 Gdiplus::RectF(titleX, float(T - 30), float(W + 100), 20.f), center, center);

    for (int i = 0; i < 5; ++i) {
        const FloatRect& r = labelRects_[i];
        DrawSkinText(g, Fonts(), labels_[i], pts, text, Gdiplus::RectF(r.x, r.y, r.width, r.height),
                     center, center);
    }
}

}  // namespace velmora
