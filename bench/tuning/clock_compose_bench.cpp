// Cost of one full composition of the clock settings window's 379 x 671 frame: its background,
// buttons and five sliders at their places, the save strip shown.
//   clock_compose_bench <pack.dll> [runs, default 300]
#include "win32/GdiplusIncludes.h"

#include "../BenchReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "toolkit/ButtonEx.h"
#include "toolkit/DialogBase.h"
#include "toolkit/SuperSliders.h"
#include "tuning/TuningPictures.h"

using namespace velmora;

namespace {

struct ClockLikeWindow {
    explicit ClockLikeWindow(const wchar_t* pack) : dlg(107, pack, L"lockset_main.png", nullptr) {
        struct Button {
            const wchar_t* picture;
            RECT rect;
        };
        const Button buttons[] = {
            {L"lockset_close.png", {27, 0, 57, 30}},
            {L"lockset_apply.png", {45, 597, 125, 624}},
            {L"lockset_default.png", {157, 597, 237, 624}},
            {L"lockset_cancel.png", {269, 597, 349, 624}},
            {L"lockset_one.png", {115, 636, 132, 652}},
            {L"lockset_two.png", {142, 636, 159, 652}},
            {L"lockset_three.png", {169, 636, 186, 652}},
            {L"lockset_save.png", {196, 636, 246, 652}},
            {L"lockset_one.png", {256, 636, 273, 652}},
            {L"lockset_two.png", {283, 636, 300, 652}},
            {L"lockset_three.png", {310, 636, 327, 652}},
            {L"lockset_auto.png", {48, 324, 126, 351}},
            {L"lockset_manual.png", {152, 324, 229, 351}},
            {L"lockset_userdefine.png", {255, 324, 333, 351}},
            {L"lockset_no.png", {209, 553, 261, 580}},
            {L"lockset_off.png", {278, 553, 330, 580}},
            {L"lockset_link.png", {342, 456, 355, 483}},
            {L"lockset_voltage.png", {21, 175, 40, 268}},
        };
        int id = 3000;
        for (size_t i = 0; i < std::size(buttons); ++i)
            this->buttons[i].Create(&dlg, buttons[i].rect, buttons[i].picture, L"", id++);
        const SuperSliderPictures pictures = SliderPictures();
        stepping[0].CreateSlider(&dlg, RECT{54, 55, 330, 102}, pictures, 2000, 0);
        stepping[1].CreateSlider(&dlg, RECT{54, 160, 330, 207}, pictures, 2000, 1);
        plain[0].CreateSlider(&dlg, RECT{54, 266, 330, 314}, pictures, 2000, 1);
        plain[1].CreateSlider(&dlg, RECT{54, 399, 330, 445}, pictures, 3019, 1);
        plain[2].CreateSlider(&dlg, RECT{54, 506, 330, 552}, pictures, 3018, 1);
        const float ranges[5][3] = {
            {-200, 1200, 150}, {-1000, 1000, 300}, {30, 100, 55}, {50, 120, 100}, {60, 92, 83}};
        CSuperSliders* all[5] = {&stepping[0], &stepping[1], &plain[0], &plain[1], &plain[2]};
        for (int i = 0; i < 5; ++i) {
            all[i]->SetRange(ranges[i][0], ranges[i][1]);
            all[i]->SetPos(ranges[i][2]);
            all[i]->SetTitle(L"GPU Clock Offset,MHz");
        }
    }
    CDialogBase dlg;
    CButtonEx buttons[18];
    CSuperSlidersStepping stepping[2];
    CSuperSliders plain[3];
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: clock_compose_bench <pack.dll> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(10, _wtoi(argv[2])) : 300;
    ClockLikeWindow w(argv[1]);
    if (!w.dlg.LoadSkin(argv[1], false, false)) {
        std::fwprintf(stderr, L"clock_compose_bench: cannot open %ls\n", argv[1]);
        return 1;
    }
    Gdiplus::Bitmap canvas(379, 671, PixelFormat32bppPARGB);
    w.dlg.RenderTo(canvas);  // warm-up (first decode)
    std::vector<double> us;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        Gdiplus::Graphics g(&canvas);
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        w.dlg.Compose(g);
        g.Flush(Gdiplus::FlushIntentionSync);
        const auto t1 = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    Report("clock window composition", us);
    return 0;
}
