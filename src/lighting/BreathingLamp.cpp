#include "lighting/BreathingLamp.h"

#include "config/ConfigFile.h"
#include "win32/Color.h"

namespace velmora {
namespace {

constexpr wchar_t kBrightnessHint[] = L"The most bright hundred percent,zero percent go out";
constexpr wchar_t kSpeedHint[] = L"The most fastest sixteen,zero go out";
constexpr wchar_t kRadioPicture[] = L"select_BreathingLamp.png";
constexpr wchar_t kPaletteFrame[] = L"borders_BreathingLamp.png";

constexpr int kEffectTextInset = 10;
constexpr int kEffectFontPoints = 6;
constexpr float kBrightnessMin = 0;
constexpr float kBrightnessMax = 100;
constexpr float kBrightnessInitial = 50;
constexpr float kSpeedMin = 2;
constexpr float kSpeedMax = 16;
constexpr RECT kBrightnessTrack{0, 0, 260, 10};
constexpr uint32_t kGreen = Argb(255, 0, 255, 0);
// The palettes open with their green swatch selected.
constexpr int kInitialSwatch = 3;
constexpr uint32_t kInitialSwatchColour = Argb(254, 0, 255, 0);
// The steady palette adds a custom colour to the seven standard ones.
constexpr int kSteadySwatches = 8;
constexpr int kEffectSwatches = 7;

AdjustableSliderPictures SliderPictures() {
    return {L"lockset_sliderfill.png", L"sliders_BreathingLamp.png", kPaletteFrame,
            L"button1_BreathingLamp.png", L"button_BreathingLamp.png"};
}

LedPaletteView ViewOf(const CColorRectCtrl& palette, int count) {
    LedPaletteView v;
    v.count = count;
    for (int i = 0; i < count; ++i) {
        const ColorSwatch& s = palette.Swatch(i);
        v.selected[static_cast<size_t>(i)] = s.selected;
        v.argb[static_cast<size_t>(i)] = s.color;
    }
    return v;
}

LedRadioView ViewOf(const CRadio& radio) {
    return {radio.GetCheck(), radio.IsEnabled()};
}

class ConfigTableSource : public LedTableSource {
  public:
    explicit ConfigTableSource(const ConfigFile& file) : file_(file) {}
    bool HasElement(const std::wstring& path) const override { return file_.HasElement(path); }
    bool ReadAttribute(const std::wstring& path, const std::wstring& name,
                       std::wstring& out) const override {
        return file_.ReadAttribute(path, name, out);
    }

  private:
    const ConfigFile& file_;
};

}  // namespace

LedColourTable ReadLedColourTable(const ConfigFile& file) {
    return ReadLedColourTable(ConfigTableSource(file));
}

void CBreathingLamp::IndicationTimer::Start(uint32_t periodMs) {
    if (window_.Hwnd()) SetTimer(window_.Hwnd(), kIndicationTimerId, periodMs, nullptr);
}

void CBreathingLamp::IndicationTimer::Stop() {
    if (window_.Hwnd()) KillTimer(window_.Hwnd(), kIndicationTimerId);
}

CBreathingLamp::CBreathingLamp(std::wstring_view skinPackFile, HWND ownerWindow, NvidiaGpu& gpu)
    : CDialogBase(kTemplateId, skinPackFile, L"main_BreathingLamp.png", ownerWindow),
      owner_(ownerWindow),
      card_(gpu) {}

BOOL CBreathingLamp::OnInitDialog() {
    stateDisplay_.Create(this, RECT{45, 62, 61, 76}, kRadioPicture, L"State display",
                         kIdStateDisplay);
    bright_.Create(this, RECT{45, 148, 61, 162}, kRadioPicture, L"Bright", kIdBright);
    breath_.Create(this, RECT{45, 225, 61, 239}, kRadioPicture, L"Breath", kIdBreath);
    cycle_.Create(this, RECT{45, 302, 61, 316}, kRadioPicture, L"Cycle", kIdCycle);
    MakeRadioGroup({&stateDisplay_, &bright_, &breath_, &cycle_});
    for (CRadio* r : {&bright_, &breath_, &cycle_}) {
        r->SetTextInset(kEffectTextInset);
        r->SetFontSize(kEffectFontPoints);
    }
    stateDisplay_.SetCheck(true);

    const AdjustableSliderPictures pictures = SliderPictures();
    brightness_.CreateSlider(this, RECT{46, 128, 307, 148}, pictures, kIdBrightness,
                             kBrightnessHint, 0);
    brightness_.SetGradientMode(true);
    brightness_.SetTrackRect(kBrightnessTrack.left, kBrightnessTrack.top, kBrightnessTrack.right,
                             kBrightnessTrack.bottom);
    brightness_.SetBaseColor(kGreen);
    brightness_.SetRange(kBrightnessMin, kBrightnessMax);
    brightness_.ConfigureSpin();
    brightness_.SetPos(kBrightnessInitial, false);
    breathingSpeed_.CreateSlider(this, RECT{46, 204, 307, 224}, pictures, kIdBreathingSpeed,
                                 kSpeedHint, 0);
    cycleSpeed_.CreateSlider(this, RECT{46, 280, 307, 300}, pictures, kIdCycleSpeed, kSpeedHint, 0);
    for (CAdjustableSlider* s : {&breathingSpeed_, &cycleSpeed_}) {
        s->SetRange(kSpeedMin, kSpeedMax);
        s->SetBaseColor(kGreen);
        s->ConfigureSpin();
        s->SetPos(kSpeedMin, false);
    }

    steadyPalette_.Create(this, RECT{105, 148, 245, 163}, kPaletteFrame, L"", kIdSteadyPalette);
    steadyPalette_.SetLayout(kSteadySwatches);
    steadyPalette_.SetMultiSelect(false);
    steadyPalette_.SetLinkedSlider(&brightness_);
    steadyPalette_.SelectSwatch(kInitialSwatch, kInitialSwatchColour);
    breathingPalette_.Create(this, RECT{105, 225, 245, 240}, kPaletteFrame, L"", kIdEffectPalette);
    cyclePalette_.Create(this, RECT{105, 300, 245, 315}, kPaletteFrame, L"", kIdEffectPalette);
    for (CColorRectCtrl* p : {&breathingPalette_, &cyclePalette_}) {
        p->SetLayout(kEffectSwatches);
        p->SetMultiSelect(true);
        p->SelectSwatch(kInitialSwatch, kInitialSwatchColour);
    }

    apply_.Create(this, RECT{20, 340, 100, 367}, L"lockset_apply.png", L"", kIdApply);
    default_.Create(this, RECT{132, 340, 212, 367}, L"lockset_default.png", L"", kIdDefault);
    cancel_.Create(this, RECT{244, 340, 324, 367}, L"lockset_cancel.png", L"", kIdCancel);

    if (!LoadSkin(SkinPackFile(), false, false)) {
        MessageBoxW(Hwnd(), kMissingSkinText, L"Error", MB_OK);
        // The monitoring window ends this window and forgets it.
        RequestClose();
        return FALSE;
    }

    // A file that cannot be read leaves the table empty.
    ConfigFile file;
    if (file.Open()) lighting_.SetColourTable(ReadLedColourTable(file));

    SetTimer(Hwnd(), kTableTimerId, kLedTablePeriodMs, nullptr);
    PlaceWindow();
    return CDialogBase::OnInitDialog();
}

LedControls CBreathingLamp::ControlValues() const {
    LedControls c;
    c.stateDisplay = ViewOf(stateDisplay_);
    c.bright = ViewOf(bright_);
    c.breath = ViewOf(breath_);
    c.cycle = ViewOf(cycle_);
    c.brightness = brightness_.GetPos();
    c.breathingSpeed = breathingSpeed_.GetPos();
    c.cycleSpeed = cycleSpeed_.GetPos();
    c.steady = ViewOf(steadyPalette_, kSteadySwatches);
    c.breathing = ViewOf(breathingPalette_, kEffectSwatches);
    c.cycling = ViewOf(cyclePalette_, kEffectSwatches);
    return c;
}

void CBreathingLamp::Restore(const LedRestoration& r) {
    CColorRectCtrl& palette = r.palette == LedPalette::Steady      ? steadyPalette_
                              : r.palette == LedPalette::Breathing ? breathingPalette_
                                                                   : cyclePalette_;
    // The steady palette is single-select too: the restored swatch must be the only one.
    palette.ClearSelection();
    for (const LedSwatchChoice& s : r.selections) palette.SelectSwatch(s.swatch, s.argb);
    CAdjustableSlider& slider = r.palette == LedPalette::Steady      ? brightness_
                                : r.palette == LedPalette::Breathing ? breathingSpeed_
                                                                     : cycleSpeed_;
    if (r.brightnessBase) brightness_.SetBaseColor(*r.brightnessBase);
    slider.SetPos(r.sliderValue, false);
    CRadio& radio = r.radio == LedRadio::Bright   ? bright_
                    : r.radio == LedRadio::Breath ? breath_
                    : r.radio == LedRadio::Cycle  ? cycle_
                                                  : stateDisplay_;
    radio.SetCheck(true);
}

void CBreathingLamp::PlaceWindow() {
    RECT owner{};
    if (!Hwnd() || !GetWindowRect(owner_, &owner)) return;
    SetWindowPos(Hwnd(), HWND_TOP, owner.right + kOffsetX, owner.top + kOffsetY, kWidth, kHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CBreathingLamp::ApplySkin(const std::wstring& packFile) {
    if (LoadSkin(packFile, true, true)) SetSkinPackFile(packFile);
}

void CBreathingLamp::RequestClose() const {
    PostMessageW(owner_, WM_COMMAND, MAKEWPARAM(kCloseRequestCommand, kCloseRequestCode), 0);
}

void CBreathingLamp::OnCommand(WORD id, WORD code) {
    if (code != CControls::kCodeClick) return;
    switch (id) {
        case kIdApply:
            lighting_.ApplyLed(ControlValues());
            break;
        case kIdDefault:
            stateDisplay_.SetCheck(true);
            lighting_.ApplyLed(ControlValues());
            break;
        case kIdCancel:
            if (const std::optional<LedRestoration> r = lighting_.CancelRestoration()) Restore(*r);
            break;
        default:
            break;
    }
}

void CBreathingLamp::OnTimer(UINT_PTR timerId) {
    if (timerId == kIndicationTimerId) {
        lighting_.IndicationStep();
    } else if (timerId == kTableTimerId) {
        lighting_.TableStep(ControlValues());
    }
}

LRESULT CBreathingLamp::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        // The monitoring window owns this window: it ends it and forgets it.
        RequestClose();
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
