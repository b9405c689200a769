// Numeric spin field inside an adjustable slider: up and down arrow children stepping an index
// within [min, max], optionally through a table of values, and a hint tip shown on hover.
#pragma once

#include <array>

#include "toolkit/ButtonEx.h"

namespace velmora {

class CSpinButton : public CControls {
  public:
    static constexpr int kMaxValues = 100;
    static constexpr int kUpId = 0;
    static constexpr int kDownId = 1;

    // The arrow buttons' pictures, by name in the skin pack; set before Create.
    void SetArrowPictures(std::wstring_view up, std::wstring_view down) {
        upImage_ = up;
        downImage_ = down;
    }
    // Copies at most kMaxValues values.
    void SetValueTable(const int* values, int count);
    void SetTableMode(bool on) { tableMode_ = on; }
    // Ignored when max < min.
    void SetIndexRange(int maximum, int minimum);
    // Stores the index and renews the value text (no repaint).
    void SetIndex(int index);
    int GetIndex() const { return index_; }
    int GetValue() const;
    const std::wstring& ValueText() const { return valueText_; }

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnControlEvent(int childId, WORD code) override;
    void OnMouseMove(UINT flags, int x, int y) override { UpdateTip(x, y); }
    void OnMouseEnter(UINT flags, int x, int y) override { UpdateTip(x, y); }
    void OnMouseLeave(UINT flags, int x, int y) override { UpdateTip(x, y); }
    void Enable(bool enabled) override;

  private:
    void UpdateTip(int x, int y);
    void RenewValueText();

    std::wstring upImage_;
    std::wstring downImage_;
    CButtonEx up_;
    CButtonEx down_;
    std::wstring valueText_;
    RECT hoverZone_{};
    RECT tipRect_{};
    bool tipVisible_ = false;
    POINT lastZonePoint_{-1, -1};
    std::array<int, kMaxValues> values_{};
    int valueCount_ = 0;
    int maxIndex_ = 0;
    int minIndex_ = 0;
    bool tableMode_ = false;
    int index_ = 0;
};

}  // namespace velmora
