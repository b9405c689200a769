// The "Fan" page of the settings window: the fan control system's switch and auto-start choice,
// the curve's update period and the eight-point curve in its editor. The page only loads; the
// settings window's OK stores the FanDlg section from it and brings the running curve in line.
#pragma once

#include <windows.h>

#include <string>

#include "settings/SettingsHost.h"
#include "settings/SettingsPage.h"
#include "tuning/FanCurve.h"
#include "tuning/StaticFanCtl.h"

namespace velmora {

class ConfigFile;

class CFanDlg : public CSettingsPage {
  public:
    static constexpr int32_t kPeriodStep = 100;
    static constexpr int32_t kPeriodLow = 100;
    static constexpr int32_t kPeriodHigh = 60000;

    explicit CFanDlg(SettingsHost& host);

    // The page's values, as OK stores them.
    bool Enabled() const { return IsChecked(kIdEnable); }
    // The switch as the page showed it when it opened.
    bool ShownEnabled() const { return shownEnabled_; }
    bool AutoStart() const { return IsChecked(kIdAutoStart); }
    std::wstring PeriodText() const { return ItemText(kIdPeriod); }
    void GetCurve(FanCurvePoint (&points)[kFanCurvePointCount], bool& steps) const;
    const CStaticFanCtl& Editor() const { return curve_; }

    // Why the edited curve could not run (the same rule the running curve keeps): a message,
    // empty when it can. OK stops at a non-empty one and shows it.
    std::wstring CurveProblem() const;
    // OK's Fan step: "FanDlg" written in one access (points, "blLine", "UpdateTime" as typed,
    // "AutoSystem" when it exists), then the running fan control and the clock window's fan
    // mode follow the switch (SettingsHost::ApplyFanSwitch).
    void SaveFanPage();

    static constexpr int kIdEnable = 1012;
    static constexpr int kIdAutoStart = 1013;
    static constexpr int kIdSpin = 1018;
    static constexpr int kIdPeriod = 1019;
    static constexpr int kIdPeriodLabel = 1022;
    static constexpr int kIdCurve = 1025;

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

  private:
    void LoadFanSettings();
    void StoreFanSettings();
    void ShowFanControls(bool show);

    SettingsHost& host_;
    CStaticFanCtl curve_;
    bool shownEnabled_ = false;
};

}  // namespace velmora
