// Cost of one full composition of a 475 x 440 skinned window with a dozen controls, with the
// decoded pictures kept and with every picture decoded again each time.
//   compose_bench <pack.dll> [runs, default 300]
#include "win32/GdiplusIncludes.h"

#include "../BenchReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "toolkit/Animation.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/DialogBase.h"
#include "toolkit/Progressbar.h"
#include "toolkit/SkinDraw.h"
#include "toolkit/StaticText.h"

using namespace velmora;

namespace {

struct MainLikeWindow {
    explicit MainLikeWindow(const wchar_t* pack) : dlg(107, pack, L"main.png", nullptr) {
        const wchar_t* pictures[6] = {L"main_close.png", L"main_min.png",   L"main_set.png",
                                      L"main_gpu.png",   L"main_clock.png", L"main_monitor.png"};
        const RECT rects[6] = {{430, 10, 460, 40},  {400, 10, 430, 40},   {370, 10, 400, 40},
                               {40, 380, 234, 408}, {240, 380, 434, 408}, {140, 340, 334, 368}};
        for (int i = 0; i < 6; ++i)
            buttons[i].Create(&dlg, rects[i], pictures[i], i >= 3 ? L"Caption" : L"", 3000 + i);
        gauges[0].Create(&dlg, RECT{60, 100, 70, 356}, L"main_probarleft.png", L"", 3010);
        gauges[1].Create(&dlg, RECT{405, 100, 415, 356}, L"main_probargight.png", L"", 3011);
        gauges[0].SetTitleLead(25);  // as the main window's left gauge
        for (auto& g : gauges) {
            g.SetRange(0, 2500);
            g.SetValue(1500);
            g.SetBarColor(Argb(255, 200, 30, 30));
            g.SetTitle(L"GPU Clock,MHz", 7);
        }
        eye.Create(&dlg, RECT{150, 120, 324, 268}, L"main_eye.png", L"", 3020);
        eye.SetFrameCount(13);
        for (int i = 0; i < 3; ++i)
            texts[i].CreateText(&dlg, RECT{150, 280 + 18 * i, 330, 296 + 18 * i}, L"1500 MHz", 2,
                                Argb(255, 200, 200, 200), CStaticText::kCenter, 9);
    }
    CDialogBase dlg;
    CButtonEx buttons[6];
    CProgressbar gauges[2];
    CAnimation eye;
    CStaticText texts[3];
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: compose_bench <pack.dll> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(10, _wtoi(argv[2])) : 300;
    MainLikeWindow w(argv[1]);
    if (!w.dlg.LoadSkin(argv[1], false, false)) {
        std::fwprintf(stderr, L"compose_bench: cannot open %ls\n", argv[1]);
        return 1;
    }
    Gdiplus::Bitmap canvas(475, 440, PixelFormat32bppPARGB);
    for (bool cached : {true, false}) {
        std::vector<double> us;
        w.dlg.RenderTo(canvas);  // warm-up (first decode)
        for (int i = 0; i < runs; ++i) {
            if (!cached) w.dlg.DropDecodedPictures();
            const auto t0 = std::chrono::steady_clock::now();
            Gdiplus::Graphics g(&canvas);
            g.Clear(Gdiplus::Color(0, 0, 0, 0));
            w.dlg.Compose(g);
            g.Flush(Gdiplus::FlushIntentionSync);
            const auto t1 = std::chrono::steady_clock::now();
            us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            w.eye.OnTimer(CAnimation::kTimerId);
        }
        Report(cached ? "decoded pictures kept" : "decoded on every draw", us);
    }
    return 0;
}
