#include "settings/FanPage.h"

#include <commctrl.h>

#include <algorithm>

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "settings_ids.h"

namespace velmora {
namespace {

constexpr int kIdCaption = 1008;
constexpr wchar_t kDefaultPeriod[] = L"1000";

}  // namespace

CFanDlg::CFanDlg(SettingsHost& host) : CSettingsPage(IDD_PAGE_FAN), host_(host) {}

void CFanDlg::OnInit() {
    TakeOverCaptions({kIdCaption});
    curve_.Attach(Item(kIdCurve));
    SetItemText(kIdPeriod, FormatConfigInt(kPeriodLow));
    SendMessageW(Item(kIdSpin), UDM_SETRANGE32, static_cast<WPARAM>(kPeriodLow), kPeriodHigh);
    LoadFanSettings();
    shownEnabled_ = Enabled();
}

void CFanDlg::ShowFanControls(bool show) {
    for (const int id : {kIdCurve, kIdPeriodLabel, kIdAutoStart, kIdPeriod, kIdSpin}) {
        ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
    }
}

void CFanDlg::LoadFanSettings() {
    ConfigFile cfg;
    // Without the file the page shows the template's values (switch off, period "100", no
    // curve) and the main window's state: nothing is read from a document that is not there.
    const bool open = cfg.Open();
    const int32_t state = host_.FanControlState();
    if (state < 0) {
        std::wstring text;
        if (open && cfg.ReadText(kPathEnableFan, text)) {
            const bool on = !text.empty() && text != L"0";
            SetChecked(kIdEnable, on);
            ShowFanControls(on);
        }
    } else {
        SetChecked(kIdEnable, state != 0);
        ShowFanControls(state != 0);
    }
    if (!open) return;

    std::wstring text;
    const bool autoStart = cfg.ReadText(kPathAutoSystem, text) && !text.empty() && text != L"0";
    SetChecked(kIdAutoStart, autoStart);
    host_.SetFanAutoStart(autoStart);

    text.clear();
    cfg.ReadText(kPathUpdateTime, text);
    SetItemText(kIdPeriod, text.empty() ? std::wstring(kDefaultPeriod) : text);

    if (!cfg.HasElement(kPathFanMap)) return;
    int values[2 * kFanCurvePointCount] = {};
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        cfg.ReadIntAttribute(kPathFanMap, kFanMapAttrX[i], values[2 * i]);
        cfg.ReadIntAttribute(kPathFanMap, kFanMapAttrY[i], values[2 * i + 1]);
    }
    // The editor draws and drags within 0..100: a hand-edited value beyond is shown at the
    // nearest edge and stored so once the page is saved.
    for (int& v : values) v = std::clamp(v, 0, 100);
    int32_t steps = 0;
    if (cfg.ReadIntAttribute(kPathFanMap, kAttrBlLine, steps)) curve_.SetSteps(steps != 0);
    curve_.SetPoints(values);
}

void CFanDlg::GetCurve(FanCurvePoint (&points)[kFanCurvePointCount], bool& steps) const {
    int values[2 * kFanCurvePointCount] = {};
    curve_.GetPoints(values);
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        points[i] = FanCurvePoint{values[2 * i], values[2 * i + 1]};
    }
    steps = curve_.Steps();
}

std::wstring CFanDlg::CurveProblem() const {
    // Only a curve that would run is stored while the system is switched on.
    if (!Enabled()) return {};
    FanCurvePoint points[kFanCurvePointCount];
    bool steps = false;
    GetCurve(points, steps);
    for (int i = 1; i < kFanCurvePointCount; ++i) {
        if (points[i].temperatureC < points[i - 1].temperatureC) {
            return L"The fan curve's temperatures must not go down from one point to the next "
                   L"(point " +
                   std::to_wstring(i + 1) + L" is left of point " + std::to_wstring(i) +
                   L"). Drag the points into order, or switch the fan control system off.";
        }
    }
    return {};
}

void CFanDlg::SaveFanPage() {
    StoreFanSettings();
    // After the store: the curve switched on reads what was just saved.
    host_.ApplyFanSwitch(shownEnabled_, Enabled());
}

void CFanDlg::StoreFanSettings() {
    ConfigFile cfg;
    if (!cfg.Open()) return;
    FanCurvePoint points[kFanCurvePointCount];
    bool steps = false;
    GetCurve(points, steps);
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        cfg.WriteIntAttribute(kPathFanMap, kFanMapAttrX[i], points[i].temperatureC);
        cfg.WriteIntAttribute(kPathFanMap, kFanMapAttrY[i], points[i].fanPercent);
    }
    cfg.WriteIntAttribute(kPathFanMap, kAttrBlLine, steps ? 1 : 0);
    cfg.WriteText(kPathUpdateTime, PeriodText());
    if (cfg.HasElement(kPathAutoSystem)) {
        cfg.WriteText(kPathAutoSystem, FormatConfigFlag(AutoStart()));
        host_.SetFanAutoStart(AutoStart());
    }
    cfg.Save();
}

bool CFanDlg::OnCommand(WORD id, WORD code, HWND) {
    if (id == kIdEnable && code == BN_CLICKED) {
        const bool on = Enabled();
        ShowFanControls(on);
        if (!on) SetChecked(kIdAutoStart, false);
        return true;
    }
    // A click on the curve editor does nothing beyond its own handling.
    return id == kIdCurve;
}

bool CFanDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != static_cast<UINT_PTR>(kIdSpin) || header.code != UDN_DELTAPOS) {
        return false;
    }
    // One click is 100 ms, within 100 ... 60000.
    const int delta = reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0 ? 1 : -1;
    int64_t value = int64_t{ParseConfigInt(PeriodText())} + int64_t{delta} * kPeriodStep;
    value = std::clamp<int64_t>(value, kPeriodLow, kPeriodHigh);
    SetItemText(kIdPeriod, FormatConfigInt(static_cast<int32_t>(value)));
    result = TRUE;
    return true;
}

}  // namespace velmora
