// gallery: every toolkit control in its states on one skin, written as a PNG and shown.
//   gallery <pack.dll> <out.png> [seconds shown, default 0]
#include "win32/GdiplusIncludes.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "toolkit/AdjustableSlider.h"
#include "toolkit/Animation.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/ColorRectCtrl.h"
#include "toolkit/DialogBase.h"
#include "toolkit/MenuList.h"
#include "toolkit/Progressbar.h"
#include "toolkit/Radio.h"
#include "toolkit/SkinDraw.h"
#include "toolkit/SpinButton.h"
#include "toolkit/StaticText.h"
#include "toolkit/SuperSliders.h"

using namespace velmora;

namespace {

constexpr int kWidth = 760, kHeight = 560;
constexpr UINT_PTR kQuitTimer = 77;

// A plain backdrop so that every control shows against the same colour.
class Backdrop : public CControls {
  public:
    void Draw(Gdiplus::Graphics& g) override {
        Gdiplus::SolidBrush b(ArgbValue(Argb(255, 40, 40, 44)));
        const RECT& r = Rect();
        g.FillRectangle(&b, r.left, r.top, RectWidth(r), RectHeight(r));
    }
};

class GalleryDlg : public CDialogBase {
  public:
    GalleryDlg(const std::wstring& pack, UINT showMs)
        : CDialogBase(107, pack, L"", nullptr), showMs_(showMs) {}

  protected:
    BOOL OnInitDialog() override {
        SetWindowPos(Hwnd(), HWND_TOP, 20, 20, kWidth, kHeight, SWP_NOACTIVATE);
        backdrop_.Create(this, RECT{0, 0, kWidth, kHeight}, L"", L"", 1);
        auto label = [&](CStaticText& t, int x, int y, const wchar_t* s) {
            t.CreateText(this, RECT{x, y, x + 400, y + 16}, s, 2, Argb(255, 220, 220, 220),
                         CStaticText::kNear, 9);
        };
        // Push buttons: idle, hover, pressed, disabled, with a caption.
        label(labels_[0], 10, 8, L"CButtonEx idle / hover / pressed / disabled");
        for (int i = 0; i < 4; ++i)
            buttons_[i].Create(this, RECT{10 + 40 * i, 28, 40 + 40 * i, 58}, L"main_close.png", L"",
                               3000 + i);
        buttons_[1].ForceState(true, false);
        buttons_[2].ForceState(false, true);
        buttons_[3].Enable(false);
        wide_.Create(this, RECT{180, 28, 374, 56}, L"main_gpu.png", L"", 3010);
        wide_.SetTextColor(Argb(255, 255, 255, 255));
        // Check buttons: idle, hover, checked, checked without hover frame (hovered).
        label(labels_[1], 10, 66, L"CCheckButtonEx idle / hover / checked / noHover");
        for (int i = 0; i < 4; ++i)
            checks_[i].Create(this, RECT{10 + 30 * i, 86, 27 + 30 * i, 102}, L"lockset_one.png",
                              L"", 3020 + i);
        checks_[1].ForceState(true, false);
        checks_[2].SetCheck(true);
        checks_[3].SetCheck(true);
        checks_[3].noHoverFrame = true;
        checks_[3].ForceState(true, false);
        // Radios: the six frames.
        label(labels_[2], 10, 110, L"CRadio: off, hover, pressed, on, hover on, pressed on");
        for (int i = 0; i < 6; ++i) {
            radios_[i].Create(this, RECT{10 + 60 * i, 132, 26 + 60 * i, 146},
                              L"select_BreathingLamp.png", L"Opt", 3030 + i);
            radios_[i].SetCheck(i >= 3);
        }
        radios_[1].ForceState(true, false);
        radios_[2].ForceState(false, true);
        radios_[4].ForceState(true, false);
        radios_[5].ForceState(false, true);
        // Sliders.
        label(labels_[3], 10, 156, L"CSuperSlidersStepping");
        const SuperSliderPictures lockset{L"lockset_sliderfill.png", L"lockset_slider.png",
                                          L"lockset_arrowleft.png",  L"lockset_arrowright.png",
                                          L"lockset_subfive.png",    L"lockset_subten.png",
                                          L"lockset_addfive.png",    L"lockset_addten.png"};
        stepping_.CreateSlider(this, RECT{20, 200, 300, 250}, lockset, 3040, 0);
        stepping_.SetRange(-200, 200);
        stepping_.SetPos(120);
        stepping_.SetTitle(L"GPU Clock Offset,MHz");
        plain_.CreateSlider(this, RECT{20, 290, 300, 320}, lockset, 3041, 0);
        plain_.SetPos(30);
        plain_.SetTitle(L"Power Target,%");
        plain_.Enable(false);
        label(labels_[4], 10, 330, L"CAdjustableSlider: image (tip) / gradient with stops");
        const AdjustableSliderPictures lamp{
            L"lockset_sliderfill.png", L"sliders_BreathingLamp.png", L"borders_BreathingLamp.png",
            L"button1_BreathingLamp.png", L"button_BreathingLamp.png"};
        adjustable_.CreateSlider(this, RECT{20, 360, 290, 400}, lamp, 3050,
                                 L"The most bright hundred percent,zero percent go out", 1);
        adjustable_.SetRange(0, 100);
        adjustable_.ConfigureSpin();
        adjustable_.SetPos(60, false);
        gradient_.CreateSlider(this, RECT{20, 420, 290, 460}, lamp, 3051, L"Speed", 0);
        const float stops[] = {25, 50, 75, 100};
        gradient_.SetStops(stops, 4);
        gradient_.ConfigureSpin();
        gradient_.SetStopIndex(2);
        gradient_.SetPos(75, false);
        gradient_.SetGradientMode(true);
        gradient_.SetBaseColor(Argb(255, 0, 128, 255));
        // Palette with two selected swatches.
        label(labels_[5], 10, 470, L"CColorRectCtrl (8), swatches 1 and 7 selected");
        palette_.Create(this, RECT{20, 490, 160, 505}, L"borders_BreathingLamp.png", L"", 3060);
        palette_.SetLayout(8);
        palette_.SetMultiSelect(true);
        palette_.SelectSwatch(1, Argb(254, 255, 127, 0));
        palette_.SelectSwatch(7, Argb(255, 250, 250, 250));
        // Gauges, eye, menu list.
        label(labels_[6], 420, 8, L"CProgressbar, CAnimation, CMenuList");
        gaugeL_.Create(this, RECT{460, 70, 470, 326}, L"main_probarleft.png", L"", 3070);
        gaugeL_.SetRange(0, 2500);
        gaugeL_.SetValue(1700);
        gaugeL_.SetBarColor(Argb(255, 200, 40, 40));
        gaugeL_.SetTitle(L"GPU Clock,MHz", 7);
        gaugeL_.SetTitleLead(25);
        std::array<FloatRect, 5> rects;
        for (int i = 0; i < 5; ++i) rects[i] = {425.f, 320.f - 64.f * i, 30.f, 12.f};
        gaugeL_.SetLabelRects(rects);
        gaugeR_.Create(this, RECT{560, 70, 570, 326}, L"main_probargight.png", L"", 3071);
        gaugeR_.SetRange(0, 100);
        gaugeR_.SetValue(35);
        gaugeR_.SetBarColor(Argb(255, 40, 160, 220));
        gaugeR_.SetTitle(L"Fan Speed,%", 7);
        eye_.Create(this, RECT{590, 40, 764, 188}, L"main_eye.png", L"", 3080);
        eye_.SetFrameCount(13);
        menu_.CreateList(this, RECT{420, 380, 637, 402}, L"", L"gpuinfo_tessarin.png",
                         {L"GPU 0: Simulated", L"GPU 1: Second", L"GPU 2: Third"}, 3090);
        spinLabel_.CreateText(this, RECT{420, 470, 700, 490},
                              L"CSpinButton: the value boxes of the sliders", 2,
                              Argb(255, 220, 220, 220), CStaticText::kNear, 9);
        if (!LoadSkin(SkinPackFile(), false, false)) {
            std::fwprintf(stderr, L"gallery: cannot open %ls\n", SkinPackFile().c_str());
            PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        }
        // Open the list, show the spin tip and hover the gradient thumb, as a user would.
        SendMessageW(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(500, 390));
        SendMessageW(Hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(500, 390));
        SendMessageW(Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, 390));
        const RECT thumb = gradient_.ThumbRect();
        SendMessageW(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(thumb.left + 3, thumb.top + 3));
        const RECT spin = adjustable_.Spin().Rect();
        SendMessageW(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(spin.left + 5, spin.top + 5));
        CDialogBase::OnInitDialog();
        ShowWindow(Hwnd(), SW_SHOWNA);
        SetTimer(Hwnd(), kQuitTimer, showMs_ ? showMs_ : 1, nullptr);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override {
        if (id == kQuitTimer) CloseDialog(IDOK);
    }

  private:
    UINT showMs_;
    Backdrop backdrop_;
    CStaticText labels_[7];
    CButtonEx buttons_[4];
    CButtonEx wide_;
    CCheckButtonEx checks_[4];
    CRadio radios_[6];
    CSuperSlidersStepping stepping_;
    CSuperSliders plain_;
    CAdjustableSlider adjustable_;
    CAdjustableSlider gradient_;
    CColorRectCtrl palette_;
    CProgressbar gaugeL_, gaugeR_;
    CAnimation eye_;
    CMenuList menu_;
    CStaticText spinLabel_;

  public:
    bool SavePng(const wchar_t* file) {
        Gdiplus::Bitmap canvas(kWidth, kHeight, PixelFormat32bppARGB);
        if (!RenderTo(canvas)) return false;
        const CLSID png = {
            0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        return canvas.Save(file, &png, nullptr) == Gdiplus::Ok;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: gallery <pack.dll> <out.png> [seconds]\n");
        return 2;
    }
    const UINT seconds = argc > 3 ? static_cast<UINT>(_wtoi(argv[3])) : 0;
    GalleryDlg dlg(argv[1], seconds * 1000);
    // The modal run composes, shows and closes the window; the picture is taken after it.
    const INT_PTR r = dlg.DoModal();
    if (r == -1) {
        std::fwprintf(stderr, L"gallery: window failed\n");
        return 1;
    }
    if (!dlg.SavePng(argv[2])) {
        std::fwprintf(stderr, L"gallery: cannot write %ls\n", argv[2]);
        return 1;
    }
    return 0;
}
