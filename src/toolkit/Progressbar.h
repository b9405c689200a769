// Vertical gauge filling from the bottom, with its value riding on the bar, a title and five
// scale labels. Draws no picture.
#pragma once

#include <array>

#include "toolkit/Controls.h"
#include "win32/Geometry.h"

namespace Gdiplus {
class RectF;
}

namespace velmora {

class CProgressbar : public CControls {
  public:
    // None of these repaint; what they change is drawn by the next composition of the window or
    // of any area.
    void SetLabelRects(const std::array<FloatRect, 5>& rects);
    // Stores the range, resets the value to the minimum and renews the labels.
    void SetRange(float minimum, float maximum);
    void SetValue(float value);
    void SetBarColor(uint32_t argb);
    // The title and the font size of all the gauge's text (points, DPI-adjusted).
    void SetTitle(std::wstring_view title, int points);
    // How far left of the bar the title starts: 70 pixels unless set (a gauge at the window's
    // left edge has no room for that).
    void SetTitleLead(int pixels) { titleLead_ = pixels; }

    float Value() const { return value_; }
    const std::wstring& Label(int i) const { return labels_[i]; }
    const std::wstring& Title() const { return title_; }

    void Draw(Gdiplus::Graphics& g) override;
    // The bar, the value riding on it, the title above and the scale labels beside it.
    RECT PaintBounds() const override;

  private:
    float TitleX() const;

    std::array<FloatRect, 5> labelRects_{};
    std::array<std::wstring, 5> labels_{};
    float maximum_ = 100;
    float minimum_ = 0;
    float value_ = 0;
    int titleLead_ = 70;
    uint32_t barColor_ = 0xFF000000;
    std::wstring title_;
    int fontPoints_ = 7;
};

}  // namespace velmora
