#include "toolkit/SpinButton.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
constexpr int kTextPoints = 8;
const uint32_t kValueColor = Argb(254, 255, 0, 0);
const uint32_t kTipFill = Argb(254, 180, 180, 180);
const uint32_t kTipOutline = Argb(254, 255, 255, 255);
constexpr int kTipWidth = 270;
constexpr int kTipHeight = 18;
}  // namespace

void CSpinButton::OnCreate() {
    const int x = Rect().left, y = Rect().top;
    up_.CreateChild(Dialog(), this, RECT{x + 35, y, x + 49, y + 7}, upImage_, L"", kUpId, 1);
    down_.CreateChild(Dialog(), this, RECT{x + 35, y + 8, x + 49, y + 15}, downImage_, L"", kDownId,
                      1);
    hoverZone_ = Rect();
    hoverZone_.right -= 20;
    const int tipTop = Flag() == 1 ? y + 27 : y - 50;
    tipRect_ = RECT{x - 215, tipTop, x - 215 + kTipWidth, tipTop + kTipHeight};
}

void CSpinButton::SetValueTable(const int* values, int count) {
    count = std::clamp(count, 0, kMaxValues);
    if (!values) count = 0;
    std::copy(values, values + count, values_.begin());
    valueCount_ = count;
}

void CSpinButton::SetIndexRange(int maximum, int minimum) {
    if (maximum < minimum) return;
    maxIndex_ = maximum;
    minIndex_ = minimum;
}

void CSpinButton::SetIndex(int index) {
    index_ = index;
    RenewValueText();
}

int CSpinButton::GetValue() const {
    if (!tableMode_) return index_;
    // An index outside the table reads as 0 instead of reading past it.
    if (index_ < 0 || index_ >= valueCount_) return 0;
    return values_[static_cast<size_t>(index_)];
}

void CSpinButton::RenewValueText() {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%d", GetValue());
    valueText_ = buf;
}

void CSpinButton::OnControlEvent(int childId, WORD code) {
    if (code != kCodeClick) return;
    if (childId == kUpId) {
        ++index_;
        if (index_ > maxIndex_ || index_ < minIndex_) index_ = maxIndex_;
        Notify(kCodeChanged);
    } else if (childId == kDownId) {
        --index_;
        if (index_ < minIndex_ || index_ > maxIndex_) index_ = minIndex_;
        Notify(kCodeClick);
    } else {
        return;
    }
    RenewValueText();
    NotifyOwner(kCodeChanged);
    RepaintWindow();
}

void CSpinButton::UpdateTip(int x, int y) {
    const bool nowIn = InRect(hoverZone_, x, y);
    const bool wasIn = InRect(hoverZone_, lastZonePoint_.x, lastZonePoint_.y);
    lastZonePoint_ = {x, y};
    if (nowIn != wasIn) {
        tipVisible_ = nowIn;
        RepaintWindow();
    }
}

void CSpinButton::Enable(bool enabled) {
    up_.Enable(enabled);
    down_.Enable(enabled);
}

void CSpinButton::Draw(Gdiplus::Graphics& g) {
    const auto nearA = Gdiplus::StringAlignmentNear;
    const auto center = Gdiplus::StringAlignmentCenter;
    if (!valueText_.empty())
        DrawSkinText(g, Fonts(), valueText_, kTextPoints, ArgbValue(kValueColor),
                     Gdiplus::RectF(float(Rect().left), float(Rect().top), float(RectWidth(Rect())),
                                    float(RectHeight(Rect()))),
                     nearA, nearA);
    if (!tipVisible_) return;
    Gdiplus::SolidBrush fill(ArgbValue(kTipFill));
    const int w = RectWidth(tipRect_), h = RectHeight(tipRect_);
    g.FillRectangle(&fill, tipRect_.left, tipRect_.top, w, h);
    Gdiplus::Pen outline(ArgbValue(kTipOutline), 1.0f);
    g.DrawRectangle(&outline, tipRect_.left, tipRect_.top, w, h);
    DrawSkinText(g, Fonts(), Caption(), kTextPoints, ArgbValue(kValueColor),
                 Gdiplus::RectF(float(tipRect_.left), float(tipRect_.top), float(w), float(h)),
                 center, center);
}

}  // namespace velmora
