#include "tuning/ClockSetDlg.h"

#include "tuning/TuningPictures.h"
#include "tuning/VoltageSetDlg.h"

namespace velmora {
namespace {

constexpr wchar_t kApplyQuestion[] = L"You sure you want to apply the settings?";
constexpr BYTE kArrowsStepOnly = 0;
constexpr BYTE kArrowsWithSteps = 1;

// A check button without peers keeps its check on SetCheck(false); its own click toggles it,
// so that is how it is cleared.
void SetSingleCheck(CCheckButtonEx& button, bool on) {
    if (button.GetCheck() != on) button.OnLButtonUp(0, 0, 0);
}

}  // namespace

CClockSetDlg::CClockSetDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                           NvidiaGpu& gpu, TuningHost& host, uint32_t valueColor)
    : CToolWindow(kTemplateId, skinPackFile, L"lockset_main.png", mainWindow, owner),
      card_(gpu),
      host_(host),
      valueColor_(valueColor) {}

CClockSetDlg::~CClockSetDlg() {
    voltage_.reset();
}

BOOL CClockSetDlg::OnInitDialog() {
    close_.Create(this, RECT{27, 0, 57, 30}, L"lockset_close.png", L"", kIdClose);
    apply_.Create(this, RECT{45, 597, 125, 624}, L"lockset_apply.png", L"", kIdApply);
    default_.Create(this, RECT{157, 597, 237, 624}, L"lockset_default.png", L"", kIdDefault);
    cancel_.Create(this, RECT{269, 597, 349, 624}, L"lockset_cancel.png", L"", kIdCancel);
    profileOne_.Create(this, RECT{115, 636, 132, 652}, L"lockset_one.png", L"", kIdProfileOne);
    profileTwo_.Create(this, RECT{142, 636, 159, 652}, L"lockset_two.png", L"", kIdProfileTwo);
    profileThree_.Create(this, RECT{169, 636, 186, 652}, L"lockset_three.png", L"",
                         kIdProfileThree);
    save_.Create(this, RECT{196, 636, 246, 652}, L"lockset_save.png", L"", kIdSave);
    slotOne_.Create(this, RECT{256, 636, 273, 652}, L"lockset_one.png", L"", kIdSlotOne);
    slotTwo_.Create(this, RECT{283, 636, 300, 652}, L"lockset_two.png", L"", kIdSlotTwo);
    slotThree_.Create(this, RECT{310, 636, 327, 652}, L"lockset_three.png", L"", kIdSlotThree);
    automatic_.Create(this, RECT{48, 324, 126, 351}, L"lockset_auto.png", L"", kIdAutomatic);
    manual_.Create(this, RECT{152, 324, 229, 351}, L"lockset_manual.png", L"", kIdManual);
    userDefined_.Create(this, RECT{255, 324, 333, 351}, L"lockset_userdefine.png", L"",
                        kIdUserDefined);
    const SuperSliderPictures pictures = SliderPictures();
    gpuOffset_.CreateSlider(this, RECT{54, 55, 330, 102}, pictures, kIdSlider, kArrowsStepOnly);
    memoryOffset_.CreateSlider(this, RECT{54, 160, 330, 207}, pictures, kIdSlider,
                               kArrowsWithSteps);
    fanSpeed_.CreateSlider(this, RECT{54, 266, 330, 314}, pictures, kIdSlider, kArrowsWithSteps);
    power_.CreateSlider(this, RECT{54, 399, 330, 445}, pictures, kIdPower, kArrowsWithSteps);
    temperature_.CreateSlider(this, RECT{54, 506, 330, 552}, pictures, kIdTemperature,
                              kArrowsWithSteps);
    MakeCheckGroup({&profileOne_, &profileTwo_, &profileThree_});
    MakeCheckGroup({&automatic_, &manual_, &userDefined_});
    ShowSaveStrip(false);
    gpuOffset_.SetTitle(L"GPU Clock Offset,MHz");
    memoryOffset_.SetTitle(L"Memory Clock Offset,MHz");
    fanSpeed_.SetTitle(L"Fan Speed,%");

    prioritizeOn_.Create(this, RECT{209, 553, 261, 580}, L"lockset_no.png", L"", kIdPrioritizeOn);
    prioritizeOff_.Create(this, RECT{278, 553, 330, 580}, L"lockset_off.png", L"",
                          kIdPrioritizeOff);
    MakeCheckGroup({&prioritizeOn_, &prioritizeOff_});
    link_.Create(this, RECT{342, 456, 355, 483}, L"lockset_link.png", L"", kIdLink);
    link_.noHoverFrame = true;
    link_.SetCheck(true);
    voltageButton_.Create(this, RECT{21, 175, 40, 268}, L"lockset_voltage.png", L"", kIdVoltage);
    power_.SetTitle(L"Power Target,%");
    temperature_.SetTitle(L"GPU Temp Target,C");
    ReadLimits(true);

    SetValueColor(valueColor_);

    if (!LoadSkinOrClose()) return FALSE;

    // The last applied settings go back to the card each time the window opens, unasked: users
    // rely on it to restore their tuning.
    LoadProfile(kProfileSlotLast);
    Apply();

    RequestDock();
    return CDialogBase::OnInitDialog();
}

// ---- values between the controls and the tuning operations -----------------------------------

ClockControls CClockSetDlg::Values() const {
    ClockControls c;
    c.gpuOffset = StateOf(gpuOffset_, true);
    c.memoryOffset = StateOf(memoryOffset_, true);
    c.fanSpeed = StateOf(fanSpeed_, fanSpeedEnabled_);
    c.powerTarget = StateOf(power_, powerEnabled_);
    c.temperatureTarget = StateOf(temperature_, true);
    c.fanMode = automatic_.GetCheck() ? FanModeButton::Automatic
                : manual_.GetCheck()  ? FanModeButton::Manual
                                      : FanModeButton::UserDefined;
    c.link = link_.GetCheck();
    c.prioritize = prioritizeOn_.GetCheck();
    if (voltage_ && voltage_->Hwnd()) voltage_->ReadInto(c);
    return c;
}

void CClockSetDlg::Show(const ClockControls& c) {
    const bool unlocked = !locked_;
    ShowSlider(gpuOffset_, c.gpuOffset, unlocked);
    ShowSlider(memoryOffset_, c.memoryOffset, unlocked);
    fanSpeedEnabled_ = c.fanSpeed.enabled;
    ShowSlider(fanSpeed_, c.fanSpeed, fanSpeedEnabled_ && unlocked);
    powerEnabled_ = c.powerTarget.enabled;
    ShowSlider(power_, c.powerTarget, powerEnabled_ && unlocked);
    ShowSlider(temperature_, c.temperatureTarget, unlocked);
    switch (c.fanMode) {
        case FanModeButton::Automatic:
            automatic_.SetCheck(true);
            break;
        case FanModeButton::Manual:
            manual_.SetCheck(true);
            break;
        case FanModeButton::UserDefined:
            userDefined_.SetCheck(true);
            break;
    }
    SetSingleCheck(link_, c.link);
    (c.prioritize ? prioritizeOn_ : prioritizeOff_).SetCheck(true);
    for (CButtonEx* b :
         {static_cast<CButtonEx*>(&apply_), static_cast<CButtonEx*>(&default_),
          static_cast<CButtonEx*>(&cancel_), static_cast<CButtonEx*>(&profileOne_),
          static_cast<CButtonEx*>(&profileTwo_), static_cast<CButtonEx*>(&profileThree_),
          static_cast<CButtonEx*>(&save_), static_cast<CButtonEx*>(&slotOne_),
          static_cast<CButtonEx*>(&slotTwo_), static_cast<CButtonEx*>(&slotThree_),
          static_cast<CButtonEx*>(&automatic_), static_cast<CButtonEx*>(&manual_),
          static_cast<CButtonEx*>(&userDefined_), static_cast<CButtonEx*>(&prioritizeOn_),
          static_cast<CButtonEx*>(&prioritizeOff_), static_cast<CButtonEx*>(&link_),
          static_cast<CButtonEx*>(&voltageButton_)}) {
        b->Enable(unlocked);
    }
    if (voltage_ && voltage_->Hwnd() && c.voltageWindowOpen) voltage_->Show(c);
    // Before the window is shown its first composition comes with showing it.
    if (Hwnd() && IsWindowVisible(Hwnd())) RepaintNow();
}

void CClockSetDlg::ReadLimits(bool keepFanLevel) {
    ClockControls c = Values();
    velmora::ReadLimits(card_, host_, keepFanLevel, c, applied_);
    Show(c);
}

void CClockSetDlg::ShowFanMode(bool userDefined) {
    (userDefined ? userDefined_ : automatic_).SetCheck(true);
    SelectFanMode(userDefined ? FanModeButton::UserDefined : FanModeButton::Automatic);
    RepaintNow();
}

void CClockSetDlg::GpuChanged() {
    ReadLimits(true);
    if (voltage_ && voltage_->Hwnd()) voltage_->ReadVoltageLimits();
}

void CClockSetDlg::LoadProfile(int slot) {
    ClockProfile profile;
    if (!file_.LoadProfile(slot, profile)) return;
    ClockControls c = Values();
    LoadProfileInto(profile, c);
    Show(c);
}

void CClockSetDlg::SaveProfile(int slot) {
    file_.SaveProfile(slot, ProfileFromControls(Values()));
}

void CClockSetDlg::Apply() {
    ClockControls c = Values();
    ApplySettings(card_, host_, c, applied_);
    Show(c);
}

void CClockSetDlg::ShowSaveStrip(bool shown) {
    const int state = shown ? CControls::kShown : CControls::kHidden;
    for (CButtonEx* b : {&save_, &slotOne_, &slotTwo_, &slotThree_}) b->ShowControl(state);
}

void CClockSetDlg::SelectFanMode(FanModeButton mode) {
    fanSpeedEnabled_ = mode == FanModeButton::Manual;
    fanSpeed_.Enable(fanSpeedEnabled_ && !locked_);
}

// ---- the voltage window ------------------------------------------------------------------------

void CClockSetDlg::ToggleVoltageWindow() {
    if (voltage_) {
        CloseVoltageWindow();
        return;
    }
    voltage_ =
        std::make_unique<CVoltageSetDlg>(SkinPackFile(), Hwnd(), card_, applied_, valueColor_);
    if (!voltage_->CreateModeless() || !voltage_->Hwnd()) {
        voltage_.reset();
        return;
    }
    voltage_->SetLocked(locked_);
    ShowWindow(voltage_->Hwnd(), SW_SHOW);
    SetForegroundWindow(voltage_->Hwnd());
}

void CClockSetDlg::CloseVoltageWindow() {
    voltage_.reset();
}

// ---- what the main window asks -----------------------------------------------------------------

void CClockSetDlg::PlaceBeside(const RECT& main) {
    if (!Hwnd()) return;
    SetWindowPos(Hwnd(), HWND_TOP, main.left + kOffsetX, main.top, kWidth, kHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (voltage_ && voltage_->Hwnd()) voltage_->PlaceWindow();
}

void CClockSetDlg::SetLocked(bool locked) {
    locked_ = locked;
    Show(Values());
    if (voltage_ && voltage_->Hwnd()) voltage_->SetLocked(locked);
}

void CClockSetDlg::SetValueColor(uint32_t argb) {
    valueColor_ = argb;
    for (CSuperSliders* s :
         {static_cast<CSuperSliders*>(&gpuOffset_), static_cast<CSuperSliders*>(&memoryOffset_),
          &fanSpeed_, &power_, &temperature_}) {
        s->ValueLabel().SetTextColor(argb);
    }
    if (voltage_ && voltage_->Hwnd()) voltage_->SetValueColor(argb);
}

void CClockSetDlg::ApplySkin(const std::wstring& packFile, uint32_t valueColor) {
    SetValueColor(valueColor);
    if (LoadSkin(packFile, true, true)) SetSkinPackFile(packFile);
    if (voltage_ && voltage_->Hwnd() && voltage_->LoadSkin(packFile, true, true)) {
        voltage_->SetSkinPackFile(packFile);
    }
}

// ---- messages ---------------------------------------------------------------------------------

void CClockSetDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case kIdClose:
            Owner().ToolWindowClosed(*this);
            break;
        case kIdApply:
            if (MessageBoxW(Hwnd(), kApplyQuestion, L"Warning", MB_YESNO) == IDYES) {
                Apply();
                SaveProfile(kProfileSlotLast);
                ShowSaveStrip(true);
                RepaintNow();
            }
            break;
        case kIdDefault: {
            ClockControls c = Values();
            RestoreDefaults(card_, host_, c, applied_);
            Show(c);
            break;
        }
        case kIdProfileOne:
        case kIdProfileTwo:
        case kIdProfileThree:
            LoadProfile(id - kIdProfileOne + 1);
            RepaintNow();
            break;
        case kIdSave:
            for (CCheckButtonEx* b : {&profileOne_, &profileTwo_, &profileThree_}) {
                b->SetCheck(false);
            }
            RepaintNow();
            break;
        case kIdSlotOne:
        case kIdSlotTwo:
        case kIdSlotThree:
            SaveProfile(id - kIdSlotOne + 1);
            ShowSaveStrip(false);
            RepaintNow();
            break;
        case kIdCancel: {
            ClockControls c = Values();
            RevertToApplied(applied_, c);
            Show(c);
            break;
        }
        case kIdAutomatic:
            SelectFanMode(FanModeButton::Automatic);
            break;
        case kIdManual:
            SelectFanMode(FanModeButton::Manual);
            break;
        case kIdUserDefined:
            SelectFanMode(FanModeButton::UserDefined);
            break;
        case kIdLink:
        case kIdPower:
            if (link_.GetCheck()) {
                ClockControls c = Values();
                LinkFromPower(card_, c);
                Show(c);
            }
            break;
        case kIdTemperature:
            if (link_.GetCheck()) {
                ClockControls c = Values();
                LinkFromTemperature(card_, c);
                Show(c);
            }
            break;
        case kIdVoltage:
            ToggleVoltageWindow();
            break;
        case CVoltageSetDlg::kSkinFailedCommand:
            CloseVoltageWindow();
            break;
        default:
            break;
    }
    (void)code;
}

LRESULT CClockSetDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYSCOMMAND) {
        const UINT command = static_cast<UINT>(wParam & 0xFFF0);
        if (command == SC_RESTORE || command == SC_MINIMIZE) {
            // The voltage window goes and comes back with this one.
            const LRESULT r = CToolWindow::WindowProc(msg, wParam, lParam);
            if (voltage_ && voltage_->Hwnd()) {
                SendMessageW(voltage_->Hwnd(), WM_SYSCOMMAND, command, 0);
            }
            if (command == SC_RESTORE) RepaintNow();
            return r;
        }
    }
    return CToolWindow::WindowProc(msg, wParam, lParam);
}

}  // namespace velmora
