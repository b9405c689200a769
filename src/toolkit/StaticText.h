// Windowless text label: the caption in the control's rectangle, vertically centred.
#pragma once

#include "toolkit/Controls.h"

namespace velmora {

class CStaticText : public CControls {
  public:
    enum Align : int { kNear = 0, kCenter = 1, kFar = 2 };

    // `points` is DPI-adjusted.
    bool CreateText(CDialogBase* dialog, const RECT& rect, std::wstring_view text, int id,
                    uint32_t argb, int align, int points);
    void SetTextColor(uint32_t argb) { color_ = argb; }
    void Draw(Gdiplus::Graphics& g) override;
    // Anti-aliased glyphs may touch one pixel beyond the rectangle (a tall font in a short box).
    RECT PaintBounds() const override {
        RECT r = Rect();
        InflateRect(&r, 1, 1);
        return r;
    }

  private:
    uint32_t color_ = 0x96969696;  // (150, 150, 150, 150)
    int align_ = kCenter;
    int points_ = 8;
};

}  // namespace velmora
