#include "monitoring/WaveformDisplay.h"

#include <cstdio>

#include "toolkit/DialogBase.h"
#include "toolkit/SkinDraw.h"
#include "win32/Geometry.h"

namespace velmora {
namespace {

constexpr int kLabelPoints = 8;
constexpr uint32_t kLabelGrey = 0xFFB4B4B4;    // (255, 180, 180, 180)
constexpr uint32_t kMinBlue = 0xFF0078FA;      // (255, 0, 120, 250)
constexpr uint32_t kMaxRed = 0xCCC80000;       // (204, 200, 0, 0)
constexpr uint32_t kCurveGrey = 0xFFBCBCBC;    // (255, 188, 188, 188)
constexpr uint32_t kReadoutLine = 0xFEBCBCBC;  // (254, 188, 188, 188)
constexpr uint32_t kReadoutText = 0xFEFFFFFF;  // (254, 255, 255, 255)
constexpr float kReadoutPoints = 8;
constexpr int kReadoutHalfWidth = 50;

std::wstring Formatted(const wchar_t* format, int value) {
    wchar_t text[32];
    std::swprintf(text, 32, format, value);
    return text;
}

}  // namespace

CWaveformDisplay::CWaveformDisplay() = default;
CWaveformDisplay::~CWaveformDisplay() = default;

void CWaveformDisplay::OnCreate() {
    const RECT r = Rect();
    const LONG l = r.left, t = r.top, rt = r.right, b = r.bottom;
    const LONG h = b - t;
    history_ = WaveformHistory(static_cast<int>(rt - l));
    polygon_.reserve(history_.Capacity() + 2);
    StartTimer(kTimerId, kDefaultPeriodMs);

    CDialogBase* d = Dialog();
    titleLabel_.CreateText(d, RECT{l - 5, t - 20, l + 150, t}, L"GPU Temperature,C", kLabelId,
                           kLabelGrey, CStaticText::kNear, kLabelPoints);
    // The boxes leave room for five digits in a wide fallback face, so no number wraps.
    scaleMinLabel_.CreateText(d, RECT{l - 50, b - 20, l, b}, Formatted(L"%d", 0), kLabelId,
                              kLabelGrey, CStaticText::kFar, kLabelPoints);
    scaleMaxLabel_.CreateText(d, RECT{l - 50, t, l, t + 20}, Formatted(L"%d", 100), kLabelId,
                              kLabelGrey, CStaticText::kFar, kLabelPoints);
    minLabel_.CreateText(d, RECT{rt - 60, t - 20, rt + 5, t}, Formatted(L"Min:%d", 0), kLabelId,
                         kMinBlue, CStaticText::kFar, kLabelPoints);
    maxLabel_.CreateText(d, RECT{rt - 125, t - 20, rt - 60, t}, Formatted(L"Max:%d", 0), kLabelId,
                         kMaxRed, CStaticText::kNear, kLabelPoints);
    valueLabel_.CreateText(d, RECT{rt, t + h / 2, rt + 50, t + h / 2 + 20}, L"30", kLabelId,
                           kLabelGrey, CStaticText::kNear, kLabelPoints);
}

RECT CWaveformDisplay::PaintBounds() const {
    RECT r = Rect();
    r.left -= kReadoutHalfWidth;
    r.right += kReadoutHalfWidth;
    return r;
}

void CWaveformDisplay::AddSample(int value, std::wstring_view timeText) {
    const WaveformHistory::AddResult r = history_.Add(value, timeText);
    if (r.highestChanged) maxLabel_.SetCaptionQuietly(Formatted(L"Max:%d", history_.Highest()));
    if (r.lowestChanged) minLabel_.SetCaptionQuietly(Formatted(L"Min:%d", history_.Lowest()));
    valueLabel_.SetCaptionQuietly(Formatted(L"%d", r.stored));
    MarkChanged();
}

void CWaveformDisplay::SetScale(int minimum, int maximum) {
    history_.SetScale(minimum, maximum);
    scaleMinLabel_.SetCaptionQuietly(Formatted(L"%d", minimum));
    scaleMaxLabel_.SetCaptionQuietly(Formatted(L"%d", maximum));
    valueLabel_.SetCaptionQuietly(L"");
    MarkChanged();
}

void CWaveformDisplay::SetPeriod(UINT milliseconds) {
    StopTimer(kTimerId);
    StartTimer(kTimerId, milliseconds);
}

void CWaveformDisplay::SetTitle(std::wstring_view title) {
    titleLabel_.SetCaptionQuietly(title);
}

void CWaveformDisplay::FollowPointer(int x, int y, bool hover) {
    const bool moved = pointer_.x != x || pointer_.y != y;
    pointer_ = {x, y};
    if (hover == IsHover() && (!moved || !hover)) return;
    ForceState(hover, IsPressed());
    MarkChanged();
}

void CWaveformDisplay::ClearHistory() {
    history_.Clear();
    MarkChanged();
}

void CWaveformDisplay::Draw(Gdiplus::Graphics& g) {
    DrawGrid(g);
    DrawCurve(g);
    if (IsHover()) DrawReadout(g);
}

void CWaveformDisplay::DrawGrid(Gdiplus::Graphics& g) const {
    const RECT r = Rect();
    Gdiplus::Pen pen(ArgbValue(gridColor_), 1.0f);
    const int rows = RectHeight(r) / WaveformHistory::kGridRowStep;
    for (int i = 0; i <= rows; ++i) {
        const int y = r.top + WaveformHistory::kGridRowStep * i;
        g.DrawLine(&pen, int(r.left), y, int(r.right), y);
    }
    // The columns move left one pixel per sample, with the curve.
    for (int x = r.left - history_.ScrollPhase() + WaveformHistory::kGridPeriod; x <= r.right;
         x += WaveformHistory::kGridPeriod) {
        g.DrawLine(&pen, x, int(r.top), x, int(r.bottom));
    }
}

void CWaveformDisplay::DrawCurve(Gdiplus::Graphics& g) {
    const size_t n = history_.Count();
    if (n == 0) return;
    const RECT r = Rect();
    const float right = float(r.right), bottom = float(r.bottom);
    polygon_.clear();
    polygon_.emplace_back(right, bottom);
    for (size_t k = 1; k <= n; ++k) {
        polygon_.emplace_back(right - float(k),
                              history_.CurveY(history_.Value(n - k), r.top, r.bottom));
    }
    polygon_.emplace_back(right - float(n + 1), bottom);

    Gdiplus::SolidBrush fill(ArgbValue(fillColor_));
    g.FillPolygon(&fill, polygon_.data(), static_cast<INT>(polygon_.size()),
                  Gdiplus::FillModeAlternate);
    Gdiplus::Pen line(ArgbValue(kCurveGrey), 1.0f);
    if (n >= 2) {
        g.DrawLines(&line, polygon_.data() + 1, static_cast<INT>(n));
    } else {
        g.DrawLine(&line, polygon_[1], polygon_[1]);
    }
}

void CWaveformDisplay::DrawReadout(Gdiplus::Graphics& g) const {
    size_t i = 0;
    const RECT r = Rect();
    if (!history_.SampleAt(r.right, pointer_.x, i)) return;
    const float x = float(pointer_.x);
    Gdiplus::Pen pen(ArgbValue(kReadoutLine), 1.0f);
    pen.SetDashStyle(Gdiplus::DashStyleDashDot);
    g.DrawLine(&pen, x, float(r.top), x, float(r.bottom));
    const float left = x - kReadoutHalfWidth;
    const float width = 2 * kReadoutHalfWidth;
    DrawTextRemembered(g, Formatted(L"%d", history_.Value(i)), kReadoutPoints, kReadoutText,
                       Gdiplus::RectF(left, float(r.bottom - 20), width, 10),
                       Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter);
    const std::wstring time(history_.Time(i));
    DrawTextRemembered(g, time, kReadoutPoints, kReadoutText,
                       Gdiplus::RectF(left, float(r.bottom - 10), width, 10),
                       Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter);
}

}  // namespace velmora
