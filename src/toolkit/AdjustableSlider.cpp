#include "toolkit/AdjustableSlider.h"

#include <algorithm>

#include "toolkit/HslColor.h"
#include "toolkit/SkinDraw.h"
#include "toolkit/SliderScale.h"

namespace velmora {

namespace {
constexpr int kThumbWidth = 9;
constexpr int kThumbHeight = 7;
constexpr int kThumbFrames = 3;
constexpr int kRampStepWidth = 5;
constexpr BYTE kGradientAlpha = 254;
}  // namespace

CAdjustableSlider::CAdjustableSlider() = default;
CAdjustableSlider::~CAdjustableSlider() = default;

bool CAdjustableSlider::CreateSlider(CDialogBase* dialog, const RECT& rect,
                                     const AdjustableSliderPictures& pictures, int id,
                                     std::wstring_view hint, BYTE flag) {
    pictures_ = pictures;
    SetSecondImageName(pictures.thumb);
    hint_ = hint;
    SetFlag(flag);
    return Create(dialog, rect, pictures.fill, L"", id);
}

void CAdjustableSlider::OnCreate() {
    SetTrackRect(5, 0, 255, 10);
    const int x = Rect().left, y = Rect().top;
    spin_.SetArrowPictures(pictures_.spinUp, pictures_.spinDown);
    spin_.CreateChild(Dialog(), this, RECT{x + 212, y + 20, x + 261, y + 35}, pictures_.spinBox,
                      hint_, kSpinId, Flag());
    UpdateThumb();
}

void CAdjustableSlider::SetTrackRect(int left, int top, int right, int bottom) {
    track_ = RECT{left, top, right, bottom};
    thumbRel_ = RECT{left - 3, top + 10, left + 6, top + 17};
    thumbAbs_ = RECT{Rect().left + left - 3, Rect().top + top + 10,
                     Rect().left + left - 3 + kThumbWidth, Rect().top + top + 10 + kThumbHeight};
}

void CAdjustableSlider::UpdateThumb() {
    const int offset = SliderOffset(value_, minimum_, maximum_, TrackWidth());
    const int left = Rect().left + offset + thumbRel_.left;
    const int top = Rect().top + thumbRel_.top;
    thumbAbs_ = RECT{left, top, left + RectWidth(thumbRel_), top + RectHeight(thumbRel_)};
}

void CAdjustableSlider::SetRange(float minimum, float maximum) {
    if (maximum < minimum) return;
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = minimum;
}

void CAdjustableSlider::SetStep(float step) {
    if (stopCount_ == 0) step_ = step;
}

void CAdjustableSlider::SetStops(const float* values, int count) {
    count = values ? std::clamp(count, 0, kMaxStops) : 0;
    stopCount_ = count;
    const int trackW = TrackWidth();
    for (int i = 0; i < count; ++i) {
        SliderStop& s = stops_[static_cast<size_t>(i)];
        s.value = values[i];
        s.fromX = i == 0 ? 0 : SliderStopOffset(values[i - 1], maximum_, trackW);
        s.toX = SliderStopOffset(values[i], maximum_, trackW);
    }
}

void CAdjustableSlider::SetPos(float value, bool keepSpin) {
    if (value <= minimum_)
        value = minimum_;
    else if (value >= maximum_)
        value = maximum_;
    value_ = value;
    if (!keepSpin) spin_.SetIndex(stopCount_ > 0 ? stopIndex_ : TruncToInt(value_));
    UpdateThumb();
    RepaintWindow();
}

void CAdjustableSlider::ConfigureSpin() {
    if (stopCount_ > 0) {
        int table[kMaxStops];
        for (int i = 0; i < stopCount_; ++i)
            table[i] = TruncToInt(stops_[static_cast<size_t>(i)].value);
        spin_.SetTableMode(true);
        spin_.SetValueTable(table, stopCount_);
        spin_.SetIndex(0);
        spin_.SetIndexRange(stopCount_ - 1, 0);
    } else {
        spin_.SetIndexRange(TruncToInt(maximum_), TruncToInt(minimum_));
    }
}

void CAdjustableSlider::SetBaseColor(uint32_t argb) {
    baseColor_ = argb;
    const LightnessRamp ramp =
        BuildLightnessRamp(Rgb{int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF)});
    auto picture =
        std::make_unique<Gdiplus::Bitmap>(kGradientWidth, kGradientHeight, PixelFormat32bppARGB);
    if (picture->GetLastStatus() != Gdiplus::Ok) return;
    {
        Gdiplus::Graphics g(picture.get());
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        for (int k = 0; k < LightnessRamp::kSteps; ++k) {
            const Rgb& c = ramp.colors[k];
            Gdiplus::SolidBrush brush(
                ArgbValue(Argb(kGradientAlpha, std::clamp(c.red, 0, 255),
                               std::clamp(c.green, 0, 255), std::clamp(c.blue, 0, 255))));
            g.FillRectangle(&brush, kRampStepWidth * k, 0, kRampStepWidth, kGradientHeight);
        }
    }
    gradient_ = std::move(picture);
}

void CAdjustableSlider::Draw(Gdiplus::Graphics& g) {
    const int fx = Rect().left + track_.left, fy = Rect().top + track_.top;
    const int fillW = SliderOffset(value_, minimum_, maximum_, TrackWidth());
    Gdiplus::Bitmap* fill = gradientMode_ ? gradient_.get() : FirstImage();
    if (fill) DrawImagePart(g, fill, fx, fy, 0, 0, fillW, static_cast<int>(fill->GetHeight()));
    if (Gdiplus::Bitmap* thumb = SecondImage()) {
        const int frameW = static_cast<int>(thumb->GetWidth()) / kThumbFrames;
        const int frameH = static_cast<int>(thumb->GetHeight());
        g.DrawImage(thumb,
                    Gdiplus::Rect(thumbAbs_.left, thumbAbs_.top, RectWidth(thumbAbs_),
                                  RectHeight(thumbAbs_)),
                    thumbHover_ ? frameW : 0, 0, frameW, frameH, Gdiplus::UnitPixel);
    }
}

bool CAdjustableSlider::StopValueAt(int d, float& value, int& index) const {
    if (stopCount_ == 0) return false;
    for (int i = 0; i < stopCount_; ++i) {
        const SliderStop& s = stops_[static_cast<size_t>(i)];
        if (d >= s.fromX && d <= s.toX) {
            index = i;
            value = d > 0 ? s.value : 0;
            return true;
        }
    }
    if (d < stops_[0].fromX) {
        index = 0;
        value = stops_[0].value;
        return true;
    }
    const SliderStop& last = stops_[static_cast<size_t>(stopCount_ - 1)];
    if (d > last.toX) {
        index = stopCount_ - 1;
        value = last.value;
        return true;
    }
    return false;  // a gap between stops that are not ascending
}

void CAdjustableSlider::ChangeTo(float value) {
    SetPos(value, false);
    Notify(kCodeChanged);
}

void CAdjustableSlider::OnLButtonDown(UINT flags, int px, int py) {
    const int x = Rect().left + track_.left, y = Rect().top + track_.top;
    const int trackW = TrackWidth();
    const RECT hit{x, y, x + trackW + 9, y + RectHeight(track_)};
    if (InRect(thumbAbs_, px, py)) {
        dragging_ = true;
        return;
    }
    if (!InRect(hit, px, py)) return;
    const int d = px - x;
    if (stopCount_ > 0) {
        float v;
        int index;
        if (StopValueAt(d, v, index) && v != value_) {
            stopIndex_ = index;
            ChangeTo(v);
        }
    } else if (IsUnitStep(step_)) {
        float v;
        if (SliderPressValue(minimum_, maximum_, trackW, d, v)) ChangeTo(v);
    } else {
        ChangeTo(px >= thumbAbs_.right ? value_ + step_ : value_ - step_);
    }
}

void CAdjustableSlider::OnMouseMove(UINT flags, int px, int py) {
    UpdateThumbHover(px, py);
    if (!dragging_) return;
    const int d = px - Rect().left - track_.left;
    float v;
    if (stopCount_ > 0) {
        int index;
        if (!StopValueAt(d, v, index) || v == value_) return;
        stopIndex_ = index;
    } else if (!SliderDragValue(minimum_, maximum_, step_, TrackWidth(), d, v)) {
        return;
    }
    if (v != value_) ChangeTo(v);
}

void CAdjustableSlider::OnLButtonUp(UINT flags, int x, int y) {
    dragging_ = false;
}

void CAdjustableSlider::OnControlEvent(int childId, WORD code) {
    if (childId == kSpinId && code == kCodeChanged) {
        // Keep the stop index in step with the spin, so a later SetPos does not move it back.
        if (stopCount_ > 0) stopIndex_ = spin_.GetIndex();
        SetPos(float(spin_.GetValue()), true);
    }
    dragging_ = false;
}

void CAdjustableSlider::UpdateThumbHover(int px, int py) {
    const bool now = InRect(thumbAbs_, px, py);
    const bool before = InRect(thumbAbs_, lastThumbPoint_.x, lastThumbPoint_.y);
    lastThumbPoint_ = {px, py};
    if (now != before) {
        thumbHover_ = now;
        RepaintWindow();
    }
}

void CAdjustableSlider::Enable(bool enabled) {
    spin_.Enable(enabled);
    CControls::Enable(enabled);
}

}  // namespace velmora
