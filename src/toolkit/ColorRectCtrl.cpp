#include "toolkit/ColorRectCtrl.h"

#include <commdlg.h>

#include "toolkit/AdjustableSlider.h"
#include "toolkit/DialogBase.h"
#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
constexpr int kSwatchAlpha = 254;
const uint32_t kStandardColors[7] = {
    Argb(254, 255, 0, 0),   Argb(254, 255, 127, 0), Argb(254, 255, 255, 0), Argb(254, 0, 255, 0),
    Argb(254, 0, 255, 255), Argb(254, 0, 0, 255),   Argb(254, 139, 0, 255),
};
}  // namespace

bool ChooseColorWithDialog(HWND owner, uint32_t initialArgb, uint32_t& chosenArgb) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = RGB(initialArgb >> 16 & 0xFF, initialArgb >> 8 & 0xFF, initialArgb & 0xFF);
    cc.lpCustColors = custom;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return false;
    chosenArgb =
        Argb(255, GetRValue(cc.rgbResult), GetGValue(cc.rgbResult), GetBValue(cc.rgbResult));
    return true;
}

void CColorRectCtrl::SetLayout(int count) {
    const int x = Rect().left, y = Rect().top;
    if (count == 8) {
        const int lefts[7] = {4, 20, 38, 55, 71, 87, 105};
        for (int i = 0; i < 7; ++i)
            swatches_[i].rect = RECT{x + lefts[i], y + 2, x + lefts[i] + 10, y + 12};
        swatches_[7].rect = RECT{x + 122, y + 1, x + 134, y + 13};
        count_ = 8;
    } else {
        for (int i = 0; i < 7; ++i)
            swatches_[i].rect = RECT{x + 8 + 19 * i, y + 1, x + 8 + 19 * i + 12, y + 13};
        count_ = 7;
    }
    for (auto& s : swatches_) s.selected = false;
    for (int i = 0; i < 7; ++i) swatches_[i].color = kStandardColors[i];
}

void CColorRectCtrl::SelectSwatch(int index, uint32_t argb) {
    if (index < 0 || index >= kMaxSwatches) return;
    swatches_[static_cast<size_t>(index)].selected = true;
    swatches_[static_cast<size_t>(index)].color = argb;
}

void CColorRectCtrl::ClearSelection() {
    for (auto& s : swatches_) s.selected = false;
}

bool CColorRectCtrl::GetSelectedColor(int index, uint32_t& argb) const {
    if (index >= 0 && index < kMaxSwatches && swatches_[static_cast<size_t>(index)].selected) {
        argb = swatches_[static_cast<size_t>(index)].color;
        return true;
    }
    argb = swatches_[0].color;
    return false;
}

void CColorRectCtrl::Draw(Gdiplus::Graphics& g) {
    for (int i = 0; i < count_; ++i) {
        const ColorSwatch& s = swatches_[static_cast<size_t>(i)];
        if (count_ == 8 && i == kCustomSwatch) continue;
        Gdiplus::SolidBrush brush(
            Gdiplus::Color(static_cast<BYTE>(kSwatchAlpha), static_cast<BYTE>(s.color >> 16),
                           static_cast<BYTE>(s.color >> 8), static_cast<BYTE>(s.color)));
        g.FillRectangle(&brush, s.rect.left, s.rect.top, RectWidth(s.rect), RectHeight(s.rect));
    }
    Gdiplus::Bitmap* frame = FirstImage();
    if (!frame) return;
    for (int i = 0; i < count_; ++i) {
        const ColorSwatch& s = swatches_[static_cast<size_t>(i)];
        if (!s.selected) continue;
        g.DrawImage(frame, Gdiplus::Rect(s.rect.left - 1, s.rect.top - 1, RectWidth(s.rect) + 2,
                                         RectHeight(s.rect) + 2));
    }
}

void CColorRectCtrl::OnLButtonDown(UINT flags, int x, int y) {
    if (multiSelect_) {
        for (int i = 0; i < count_; ++i)
            if (InRect(swatches_[static_cast<size_t>(i)].rect, x, y))
                swatches_[static_cast<size_t>(i)].selected =
                    !swatches_[static_cast<size_t>(i)].selected;
    } else {
        for (int i = 0; i < count_; ++i) {
            if (!InRect(swatches_[static_cast<size_t>(i)].rect, x, y)) continue;
            ClearSelection();
            swatches_[static_cast<size_t>(i)].selected = true;
            if (slider_) slider_->SetBaseColor(swatches_[static_cast<size_t>(i)].color);
            break;
        }
    }
    RepaintWindow();
}

void CColorRectCtrl::OnLButtonDblClk(UINT flags, int x, int y) {
    const ChooseColorFn choose = chooser_ ? chooser_ : ChooseColorWithDialog;
    const HWND owner = Dialog() ? Dialog()->Hwnd() : nullptr;
    uint32_t chosen = 0;
    if (multiSelect_) {
        for (int i = 0; i < count_; ++i) {
            ColorSwatch& s = swatches_[static_cast<size_t>(i)];
            if (!InRect(s.rect, x, y)) continue;
            if (choose(owner, s.color, chosen)) {
                s.color = chosen;
                s.selected = true;
            }
            break;
        }
    } else if (count_ > 0) {
        ColorSwatch& s = swatches_[static_cast<size_t>(count_ - 1)];
        if (InRect(s.rect, x, y) && choose(owner, s.color, chosen)) {
            s.color = chosen;
            s.selected = true;
            if (slider_) slider_->SetBaseColor(chosen);
        }
    }
    RepaintWindow();
}

}  // namespace velmora
