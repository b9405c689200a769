#include "toolkit/SuperSliders.h"

#include <cstdio>

#include "toolkit/SkinDraw.h"
#include "toolkit/SliderScale.h"

namespace velmora {

namespace {
const uint32_t kValueColor = Argb(255, 255, 0, 0);
const uint32_t kTitleColor = Argb(255, 180, 180, 180);
constexpr int kLabelPoints = 10;
}  // namespace

bool CSuperSliders::CreateSlider(CDialogBase* dialog, const RECT& rect,
                                 const SuperSliderPictures& pictures, int id, BYTE flag) {
    pictures_ = pictures;
    SetSecondImageName(pictures.thumb);
    SetFlag(flag);
    return Create(dialog, rect, pictures.fill, L"", id);
}

void CSuperSliders::CreateCommonChildren() {
    const int x = Rect().left, y = Rect().top;
    leftArrow_.CreateChild(Dialog(), this, RECT{x + 3, y + 13, x + 15, y + 25}, pictures_.leftArrow,
                           L"", kLeftArrowId, Flag());
    rightArrow_.CreateChild(Dialog(), this, RECT{x + 262, y + 13, x + 274, y + 25},
                            pictures_.rightArrow, L"", kRightArrowId, Flag());
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", TruncToInt(value_));
    valueLabel_.CreateText(Dialog(), RECT{Rect().right - 35, y - 24, Rect().right, y - 6}, text,
                           kLabelId, kValueColor, CStaticText::kCenter, kLabelPoints);
    title_.CreateText(Dialog(), RECT{x - 8, y - 20, x + 200, y - 2}, L"m_scTitle", kLabelId,
                      kTitleColor, CStaticText::kNear, kLabelPoints);
    thumbAbs_ = RECT{x + kTrackLeft, y + kThumbTop, x + kTrackLeft + kThumbWidth,
                     y + kThumbTop + kThumbHeight};
}

void CSuperSliders::OnCreate() {
    CreateCommonChildren();
}

void CSuperSlidersStepping::OnCreate() {
    const int x = Rect().left, y = Rect().top;
    subFive_.CreateChild(Dialog(), this, RECT{x + 13, y + 29, x + 32, y + 48}, Pictures().subFive,
                         L"", kSubFiveId, Flag());
    subTen_.CreateChild(Dialog(), this, RECT{x + 38, y + 29, x + 61, y + 48}, Pictures().subTen,
                        L"", kSubTenId, Flag());
    addFive_.CreateChild(Dialog(), this, RECT{x + 243, y + 29, x + 262, y + 48}, Pictures().addFive,
                         L"", kAddFiveId, Flag());
    addTen_.CreateChild(Dialog(), this, RECT{x + 218, y + 29, x + 242, y + 48}, Pictures().addTen,
                        L"", kAddTenId, Flag());
    CreateCommonChildren();
}

void CSuperSliders::SetRange(float minimum, float maximum) {
    if (maximum < minimum) return;
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = minimum;
    UpdateThumb();
}

void CSuperSliders::SetPos(float value) {
    if (value <= minimum_)
        value = minimum_;
    else if (value >= maximum_)
        value = maximum_;
    value_ = value;
    UpdateThumb();
    wchar_t text[16];
    std::swprintf(text, 16, L"%d", TruncToInt(value_));
    valueLabel_.SetCaption(text);
}

int CSuperSliders::FillWidth() const {
    return SliderOffset(value_, minimum_, maximum_, TrackWidth());
}

void CSuperSliders::ChangeTo(float value) {
    SetPos(value);
    Notify(kCodeChanged);
}

void CSuperSliders::Draw(Gdiplus::Graphics& g) {
    const int x = Rect().left, y = Rect().top;
    const int fillW = FillWidth();
    if (Gdiplus::Bitmap* fill = FirstImage())
        DrawImagePart(g, fill, x + kTrackLeft, y + kTrackTop, 0, 0, fillW,
                      static_cast<int>(fill->GetHeight()));
    UpdateThumb();
    DrawImagePart(g, SecondImage(), thumbAbs_.left, thumbAbs_.top, 0, 0, kThumbWidth, kThumbHeight);
}

void CSuperSliders::UpdateThumb() {
    const int tx = Rect().left + kTrackLeft + FillWidth(), ty = Rect().top + kThumbTop;
    thumbAbs_ = RECT{tx, ty, tx + kThumbWidth, ty + kThumbHeight};
}

void CSuperSliders::OnLButtonDown(UINT flags, int px, int py) {
    const int x = Rect().left, y = Rect().top;
    const int trackW = TrackWidth();
    const RECT hit{x + kTrackLeft, y + kTrackTop, x + kTrackLeft + trackW + 9, y + kTrackBottom};
    const bool onThumb = InRect(thumbAbs_, px, py);
    if (IsUnitStep(step_)) {
        float v;
        if (onThumb)
            dragging_ = true;
        else if (InRect(hit, px, py) &&
                 SliderPressValue(minimum_, maximum_, trackW, px - (x + kTrackLeft), v))
            ChangeTo(v);
        return;
    }
    if (onThumb) {
        dragging_ = true;
    } else if (InRect(hit, px, py)) {
        ChangeTo(px >= thumbAbs_.right ? value_ + step_ : value_ - step_);
    }
}

void CSuperSliders::OnMouseMove(UINT flags, int px, int py) {
    if (!dragging_) return;
    float v;
    if (SliderDragValue(minimum_, maximum_, step_, TrackWidth(), px - Rect().left - kTrackLeft,
                        v) &&
        v != value_)
        ChangeTo(v);
}

void CSuperSliders::OnLButtonUp(UINT flags, int x, int y) {
    dragging_ = false;
}

void CSuperSliders::OnControlEvent(int childId, WORD code) {
    if (code == kCodeClick) {
        float v = value_;
        bool known = true;
        switch (childId) {
            case kLeftArrowId:
                v = value_ - step_;
                break;
            case kRightArrowId:
                v = value_ + step_;
                break;
            case kAddOneId:
                v = value_ + 1;
                break;
            case kAddFiveId:
                v = value_ + 5;
                break;
            case kAddTenId:
                v = value_ + 10;
                break;
            case kSubOneId:
                v = value_ - 1;
                break;
            case kSubFiveId:
                v = value_ - 5;
                break;
            case kSubTenId:
                v = value_ - 10;
                break;
            default:
                known = false;
                break;
        }
        if (known) ChangeTo(v);
    }
    dragging_ = false;
}

void CSuperSliders::Enable(bool enabled) {
    leftArrow_.Enable(enabled);
    rightArrow_.Enable(enabled);
    valueLabel_.Enable(enabled);
    title_.Enable(enabled);
    CControls::Enable(enabled);
}

void CSuperSlidersStepping::Enable(bool enabled) {
    subFive_.Enable(enabled);
    subTen_.Enable(enabled);
    addFive_.Enable(enabled);
    addTen_.Enable(enabled);
    CSuperSliders::Enable(enabled);
}

}  // namespace velmora
