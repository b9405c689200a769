// Colour swatch palette of the LED window: seven fixed colours and, in the 8-swatch layout, a
// custom colour chosen with the system colour dialog.
#pragma once

#include <array>

#include "toolkit/Controls.h"

namespace velmora {

class CAdjustableSlider;

struct ColorSwatch {
    uint32_t color = 0;
    RECT rect{};
    bool selected = false;
};

class CColorRectCtrl : public CControls {
  public:
    static constexpr int kMaxSwatches = 20;
    static constexpr int kCustomSwatch = 7;

    // 7 or 8 swatches; clears the selection and sets the seven standard colours.
    void SetLayout(int count);
    void SetMultiSelect(bool on) { multiSelect_ = on; }
    void SetLinkedSlider(CAdjustableSlider* slider) { slider_ = slider; }
    void SelectSwatch(int index, uint32_t argb);
    void ClearSelection();
    // The swatch's colour and true when it is selected; else swatch 0's colour and false.
    bool GetSelectedColor(int index, uint32_t& argb) const;
    const ColorSwatch& Swatch(int i) const { return swatches_[static_cast<size_t>(i)]; }

    // The colour dialog; replaceable so that tests need no modal dialog. Returns false on cancel.
    using ChooseColorFn = bool (*)(HWND owner, uint32_t initialArgb, uint32_t& chosenArgb);
    void SetColorChooser(ChooseColorFn fn) { chooser_ = fn; }

    void Draw(Gdiplus::Graphics& g) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonDblClk(UINT flags, int x, int y) override;

  private:
    std::array<ColorSwatch, kMaxSwatches> swatches_{};
    int count_ = 0;
    bool multiSelect_ = false;
    CAdjustableSlider* slider_ = nullptr;
    ChooseColorFn chooser_ = nullptr;
};

// The full system colour chooser initialised with the colour; alpha of the result is 255.
bool ChooseColorWithDialog(HWND owner, uint32_t initialArgb, uint32_t& chosenArgb);

}  // namespace velmora
