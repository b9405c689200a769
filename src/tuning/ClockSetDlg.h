// The clock settings window: clock offsets, fan mode and speed, power and temperature targets
// (linked or not, with a priority choice), applied to the card after a confirmation; three
// profiles and the last applied settings; the card's defaults; the voltage window beside it.
// Opening it writes the last applied settings to the card again.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/ButtonEx.h"
#include "toolkit/SuperSliders.h"
#include "toolkit/ToolWindow.h"
#include "tuning/ClockProfileConfig.h"
#include "tuning/ClockTuning.h"

class NvidiaGpu;

namespace velmora {

class CVoltageSetDlg;

class CClockSetDlg : public CToolWindow {
  public:
    static constexpr UINT kTemplateId = 107;
    static constexpr int kWidth = 379;
    static constexpr int kHeight = 671;
    // Its left edge this far left of the main window's, tops level.
    static constexpr int kOffsetX = -358;

    static constexpr int kIdClose = 3000;
    static constexpr int kIdApply = 3001;
    static constexpr int kIdDefault = 3002;
    static constexpr int kIdProfileOne = 3003;
    static constexpr int kIdProfileTwo = 3004;
    static constexpr int kIdProfileThree = 3005;
    static constexpr int kIdSave = 3006;
    static constexpr int kIdSlotOne = 3007;
    static constexpr int kIdSlotTwo = 3008;
    static constexpr int kIdSlotThree = 3009;
    static constexpr int kIdCancel = 3010;
    static constexpr int kIdAutomatic = 3011;
    static constexpr int kIdManual = 3012;
    static constexpr int kIdUserDefined = 3013;
    static constexpr int kIdPrioritizeOn = 3014;
    static constexpr int kIdPrioritizeOff = 3015;
    static constexpr int kIdLink = 3016;
    static constexpr int kIdVoltage = 3017;
    static constexpr int kIdTemperature = 3018;
    static constexpr int kIdPower = 3019;
    static constexpr int kIdSlider = 2000;

    // mainWindow: parent; owner: docks it and ends it when it closes; host: the main window's
    // fan control and the settings file.
    CClockSetDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                 NvidiaGpu& gpu, TuningHost& host, uint32_t valueColor);
    ~CClockSetDlg() override;

    // Beside the main window; the voltage window beside this one.
    void PlaceBeside(const RECT& mainRect) override;
    // The main window's lock: every adjustable control here and in the voltage window.
    void SetLocked(bool locked);
    // A skin change: the value labels' colour, then the pictures of both windows.
    void ApplySkin(const std::wstring& packFile, uint32_t valueColor);
    // The limits from the card again (another GPU was chosen).
    void ReadLimits(bool keepFanLevel);
    // Another GPU was chosen: both windows read their limits and values from it.
    void GpuChanged();
    // The settings window's Fan page switched the curve on (user-defined) or off (automatic).
    void ShowFanMode(bool userDefined);
    CVoltageSetDlg* VoltageWindow() const { return voltage_.get(); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;

  private:
    // The values of both windows' controls, and back into them.
    ClockControls Values() const;
    void Show(const ClockControls& values);
    void LoadProfile(int slot);
    void SaveProfile(int slot);
    void Apply();
    void ShowSaveStrip(bool shown);
    void ToggleVoltageWindow();
    void CloseVoltageWindow();
    void SetValueColor(uint32_t argb);
    void SelectFanMode(FanModeButton mode);

    GpuTuningCard card_;
    TuningHost& host_;
    ClockSettingsFile file_;
    AppliedSettings applied_;
    uint32_t valueColor_;
    bool locked_ = false;
    // The enabled states the rules give; the lock disables on top of them.
    bool fanSpeedEnabled_ = false;
    bool powerEnabled_ = true;
    std::unique_ptr<CVoltageSetDlg> voltage_;

    CButtonEx close_;
    CButtonEx apply_;
    CButtonEx default_;
    CButtonEx cancel_;
    CCheckButtonEx profileOne_;
    CCheckButtonEx profileTwo_;
    CCheckButtonEx profileThree_;
    CButtonEx save_;
    CButtonEx slotOne_;
    CButtonEx slotTwo_;
    CButtonEx slotThree_;
    CCheckButtonEx automatic_;
    CCheckButtonEx manual_;
    CCheckButtonEx userDefined_;
    CSuperSlidersStepping gpuOffset_;
    CSuperSlidersStepping memoryOffset_;
    CSuperSliders fanSpeed_;
    CSuperSliders power_;
    CSuperSliders temperature_;
    CCheckButtonEx prioritizeOn_;
    CCheckButtonEx prioritizeOff_;
    CCheckButtonEx link_;
    CButtonEx voltageButton_;
};

}  // namespace velmora
