#include "tuning/VoltageSetDlg.h"

#include "tuning/TuningPictures.h"

namespace velmora {
namespace {

constexpr wchar_t kOverVoltageWarning[] =
    L"Enabling this function may cause unpredictable damages to your graphics card. And they are "
    L"not covered under any Tessarin product warranty and may not be covered by your graphics "
    L"card or system manufacturer's warranty.";

}  // namespace

CVoltageSetDlg::CVoltageSetDlg(std::wstring_view skinPackFile, HWND clockWindow, TuningCard& card,
                               AppliedSettings& applied, uint32_t valueColor)
    : CDialogBase(kTemplateId, skinPackFile, L"voltagesetdlg_main.png", clockWindow),
      clockWindow_(clockWindow),
      card_(card),
      applied_(applied),
      valueColor_(valueColor) {}

BOOL CVoltageSetDlg::OnInitDialog() {
    voltageMin_.CreateSlider(this, RECT{54, 190, 328, 241}, SliderPictures(), kIdSlider, 0);
    voltageMin_.SetTitle(L"Voltage Minimum,mV");
    voltageMin_.SetStep(kVoltageStepMv);
    overVoltage_.CreateSlider(this, RECT{54, 42, 328, 79}, SliderPictures(), kIdSlider, 0);
    overVoltage_.SetTitle(L"GPU Max Voltage,mV");
    overVoltage_.SetStep(kVoltageStepMv);
    overVoltageOn_.Create(this, RECT{214, 97, 266, 124}, L"lockset_no.png", L"", kIdOverVoltageOn);
    overVoltageOff_.Create(this, RECT{276, 97, 328, 124}, L"lockset_off.png", L"",
                           kIdOverVoltageOff);
    MakeCheckGroup({&overVoltageOn_, &overVoltageOff_});
    overVoltageOff_.SetCheck(true);
    overVoltageEnabled_ = false;
    overVoltage_.Enable(false);

    ReadVoltageLimits();
    SetValueColor(valueColor_);

    if (!LoadSkin(SkinPackFile(), false, false)) {
        MessageBoxW(Hwnd(), kMissingSkinText, L"Error", MB_OK);
        // The clock window ends this window and forgets it.
        PostMessageW(clockWindow_, WM_COMMAND, kSkinFailedCommand, 0);
        return FALSE;
    }
    PlaceWindow();
    return CDialogBase::OnInitDialog();
}

void CVoltageSetDlg::ReadInto(ClockControls& c) const {
    c.voltageWindowOpen = true;
    c.voltageMin = StateOf(voltageMin_, true);
    c.overVoltage = StateOf(overVoltage_, overVoltageEnabled_);
    c.overVoltageOn = overVoltageOn_.GetCheck();
}

void CVoltageSetDlg::Show(const ClockControls& c) {
    ShowSlider(voltageMin_, c.voltageMin, !locked_);
    overVoltageEnabled_ = c.overVoltage.enabled;
    ShowSlider(overVoltage_, c.overVoltage, overVoltageEnabled_ && !locked_);
    (c.overVoltageOn ? overVoltageOn_ : overVoltageOff_).SetCheck(true);
    overVoltageOn_.Enable(!locked_);
    overVoltageOff_.Enable(!locked_);
    // Before the window is shown its first composition comes with showing it.
    if (Hwnd() && IsWindowVisible(Hwnd())) RepaintNow();
}

void CVoltageSetDlg::ReadVoltageLimits() {
    ClockControls c;
    ReadInto(c);
    velmora::ReadVoltageLimits(card_, c, applied_);
    Show(c);
}

void CVoltageSetDlg::SetLocked(bool locked) {
    locked_ = locked;
    ClockControls c;
    ReadInto(c);
    Show(c);
}

void CVoltageSetDlg::SetValueColor(uint32_t argb) {
    valueColor_ = argb;
    voltageMin_.ValueLabel().SetTextColor(argb);
    overVoltage_.ValueLabel().SetTextColor(argb);
}

void CVoltageSetDlg::PlaceWindow() {
    RECT clock{};
    if (!Hwnd() || !GetWindowRect(clockWindow_, &clock)) return;
    SetWindowPos(Hwnd(), HWND_TOP, clock.left + kOffsetX, clock.top + kOffsetY, kWidth, kHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CVoltageSetDlg::OnCommand(WORD id, WORD code) {
    if (code != CControls::kCodeClick) return;
    if (id == kIdOverVoltageOn) {
        // Asked on every click, also while over-voltage is already on.
        const bool yes = MessageBoxW(Hwnd(), kOverVoltageWarning, L"Warning", MB_YESNO) == IDYES;
        if (!yes) overVoltageOff_.SetCheck(true);
        overVoltageEnabled_ = yes;
        overVoltage_.Enable(yes && !locked_);
        RepaintNow();
    } else if (id == kIdOverVoltageOff) {
        // Off takes effect at once, without an apply.
        ClockControls c;
        ReadInto(c);
        SwitchOverVoltageOff(card_, c);
        Show(c);
    }
}

LRESULT CVoltageSetDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        // The clock window owns this window: it ends it and forgets it.
        PostMessageW(clockWindow_, WM_COMMAND, kSkinFailedCommand, 0);
        return 0;
    }
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE) {
        const LRESULT r = CDialogBase::WindowProc(msg, wParam, lParam);
        RepaintNow();
        return r;
    }
    return CDialogBase::WindowProc(msg, wParam, lParam);
}

}  // namespace velmora
