// The voltage window beside the clock settings window: the minimum core voltage and the
// over-voltage, with an on/off switch that warns before over-voltage can be used. Owned by the
// clock settings window, which applies, loads and saves its values with its own.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/ButtonEx.h"
#include "toolkit/DialogBase.h"
#include "toolkit/SuperSliders.h"
#include "tuning/ClockTuning.h"

namespace velmora {

class CVoltageSetDlg : public CDialogBase {
  public:
    static constexpr UINT kTemplateId = 107;
    static constexpr int kWidth = 366;
    static constexpr int kHeight = 288;
    // Where it sits against the clock window's top-left corner.
    static constexpr int kOffsetX = -353;
    static constexpr int kOffsetY = 78;
    // Posted to the clock window when the skin cannot be loaded.
    static constexpr int kSkinFailedCommand = 2524;

    static constexpr int kIdSlider = 2000;
    static constexpr int kIdOverVoltageOn = 0;
    static constexpr int kIdOverVoltageOff = 1;

    // clockWindow: owner and parent; card and applied: the clock window's.
    CVoltageSetDlg(std::wstring_view skinPackFile, HWND clockWindow, TuningCard& card,
                   AppliedSettings& applied, uint32_t valueColor);

    // The voltage part of the values, from and into the controls.
    void ReadInto(ClockControls& controls) const;
    void Show(const ClockControls& controls);
    // The clock window's default button and another GPU: the sliders from the card.
    void ReadVoltageLimits();
    void SetLocked(bool locked);
    void SetValueColor(uint32_t argb);
    void PlaceWindow();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;

  private:
    HWND clockWindow_;
    TuningCard& card_;
    AppliedSettings& applied_;
    uint32_t valueColor_;
    bool locked_ = false;
    // The enabled states the rules give; the lock disables on top of them.
    bool overVoltageEnabled_ = false;

    CSuperSliders voltageMin_;
    CSuperSliders overVoltage_;
    CCheckButtonEx overVoltageOn_;
    CCheckButtonEx overVoltageOff_;
};

}  // namespace velmora
