// Cost of one refresh tick of the real main window on the simulated card: the two readings,
// one composition onto the layered window, the two together as the one-second timer runs them,
// and one tick of the eye (its frame, the readings its notification asks for, the composition).
// Then where the time of one whole composition and of one eye tick goes, phase by phase.
//   refresh_bench <program folder> [runs, default 300]
// The folder holds "Velmora.xml" and the skin packs; the card is whatever nvapi64.dll the
// system directory holds (the simulated card in the private prefix).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/AppGlobals.h"
#include "app/GaugeSource.h"
#include "app/VelmoraDlg.h"
#include "gpu/NvapiLoader.h"
#include "toolkit/Animation.h"
#include "toolkit/Controls.h"

NvidiaGpu g_nvidiaGpu;

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1))]; };
    std::printf("%-34s runs %zu  median %8.0f us  p90 %8.0f us  p99 %8.0f us  max %8.0f us\n", what,
                us.size(), at(0.5), at(0.9), at(0.99), us.back());
}

void PumpFor(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (Clock::now() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char* ControlName(int id) {
    switch (id) {
        case velmora::CVelmoraDlg::kIdEye:
            return "eye (picture frame)";
        case velmora::CVelmoraDlg::kIdLeftGauge:
            return "left gauge (bar, 7 texts)";
        case velmora::CVelmoraDlg::kIdRightGauge:
            return "right gauge (bar, 7 texts)";
        default:
            return "button (picture frame)";
    }
}

// Runs `fn` `runs` times with the dialog's phase recorder set and prints the median of each
// phase: the surface and background, each control, the push to the layered window.
template <typename Fn>
void Breakdown(const char* what, velmora::CDialogBase& dlg, int runs, Fn fn) {
    velmora::CompositionPhases phases;
    std::vector<double> prepare, push, total, composed;
    std::vector<std::vector<double>> controls(dlg.Controls().size());
    RECT area{};
    for (int i = 0; i < runs; ++i) {
        phases = velmora::CompositionPhases{};
        dlg.SetPhaseRecorder(&phases);
        const auto t0 = Clock::now();
        fn();
        total.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        dlg.SetPhaseRecorder(nullptr);
        prepare.push_back(phases.prepareUs);
        push.push_back(phases.pushUs);
        composed.push_back(total.back() - phases.pushUs);
        for (size_t c = 0; c < controls.size() && c < phases.controlUs.size(); ++c)
            controls[c].push_back(phases.controlUs[c]);
        area = phases.area;
    }
    std::printf("-- %s: medians of %d runs, area (%ld,%ld)-(%ld,%ld)\n", what, runs, area.left,
                area.top, area.right, area.bottom);
    std::printf("   %-34s %8.0f us\n", "surface, clear, background copy", Median(prepare));
    double drawn = 0;
    for (size_t c = 0; c < controls.size(); ++c) {
        const double m = Median(controls[c]);
        drawn += m;
        if (m > 0) std::printf("   %-34s %8.0f us\n", ControlName(dlg.Controls()[c]->Id()), m);
    }
    std::printf("   %-34s %8.0f us\n", "all controls", drawn);
    std::printf("   %-34s %8.0f us\n", "push to the layered window", Median(push));
    std::printf("   %-34s %8.0f us\n", "whole, as the caller sees it", Median(total));
    std::printf("   %-34s %8.0f us\n", "all but the push", Median(composed));
}

std::vector<uint32_t> Frame(velmora::CDialogBase& dlg) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    dlg.ReadFrame(px, w, h);
    return px;
}

size_t Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// What the window shows may not depend on the memo of drawn pixels nor on partial compositions:
// in each skin, the frame drawn from scratch (memo off, the drawing as it always was) against
// the frame from the memo, after a second whole composition (the memo's copies) and after eye
// ticks and readings (partial compositions). Returns the number of mismatches.
int CompareScreens(velmora::CVelmoraDlg& dlg, const std::function<void()>& eyeTick) {
    int mismatches = 0;
    for (const wchar_t* pack : {L"Norvane.dll", L"Talwyn.dll", L"Ostrid.dll"}) {
        dlg.ApplySkin(pack);
        for (int tick = 0; tick < 5; ++tick) {
            dlg.SetDrawMemo(false);
            dlg.RepaintNow();
            const std::vector<uint32_t> plain = Frame(dlg);
            dlg.SetDrawMemo(true);
            dlg.RepaintNow();
            dlg.RepaintNow();
            const size_t whole = Differing(plain, Frame(dlg));
            eyeTick();
            eyeTick();
            const std::vector<uint32_t> partial = Frame(dlg);
            dlg.SetDrawMemo(false);
            dlg.RepaintNow();
            const size_t afterTicks = Differing(partial, Frame(dlg));
            dlg.SetDrawMemo(true);
            if (whole || afterTicks) {
                std::printf(
                    "%ls, step %d: %zu pixels differ after a whole composition, %zu after "
                    "eye ticks\n",
                    pack, tick, whole, afterTicks);
                ++mismatches;
            }
        }
        std::printf("screens of %-12ls %s\n", pack, mismatches ? "DIFFER" : "identical");
    }
    dlg.ApplySkin(L"Norvane.dll");
    return mismatches;
}

template <typename Fn>
std::vector<double> Time(int runs, Fn fn) {
    std::vector<double> us;
    us.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        fn();
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    return us;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: refresh_bench <program folder> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(10, _wtoi(argv[2])) : 300;
    if (!SetCurrentDirectoryW(argv[1])) {
        std::fwprintf(stderr, L"refresh_bench: no folder %ls\n", argv[1]);
        return 1;
    }
    nvapi::NvapiEntries entries;
    if (!LoadNvapiEntries(entries)) {
        std::fwprintf(stderr, L"refresh_bench: no nvapi64.dll in the system directory\n");
        return 1;
    }
    g_nvidiaGpu.Attach(entries);
    if (!g_nvidiaGpu.Initialize()) {
        std::fwprintf(stderr, L"refresh_bench: the driver did not start\n");
        return 1;
    }

    velmora::FanHold hold;
    velmora::CVelmoraDlg dlg(L"Norvane.dll", L"main.png", nullptr, hold);
    if (!dlg.CreateModeless()) {
        std::fwprintf(stderr, L"refresh_bench: the main window was not created\n");
        return 1;
    }
    PumpFor(1000);  // shown, first paint, pictures decoded
    const int left = dlg.leftSource;
    const int right = dlg.rightSource;

    auto readings = Time(runs, [&] {
        velmora::ReadGaugeValue(g_nvidiaGpu, left);
        velmora::ReadGaugeValue(g_nvidiaGpu, right);
    });
    // One eye tick as the window runs it: the timer message, then what it posts.
    const velmora::CControls* eyeControl = nullptr;
    for (const velmora::CControls* c : dlg.Controls())
        if (c->Id() == velmora::CVelmoraDlg::kIdEye) eyeControl = c;
    const UINT_PTR eyeTimer =
        eyeControl ? dlg.ControlTimerWindowId(*eyeControl, velmora::CAnimation::kTimerId) : 0;
    if (!eyeTimer) {
        std::fwprintf(stderr, L"refresh_bench: the eye's timer is not running\n");
        return 1;
    }
    auto eyeTick = [&] {
        SendMessageW(dlg.Hwnd(), WM_TIMER, eyeTimer, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    };
    auto composition = Time(runs, [&] { dlg.RepaintNow(); });
    auto tick = Time(runs, [&] { dlg.RefreshTick(); });
    auto eye = Time(runs, eyeTick);
    Report("readings (both gauges)", readings);
    Report("composition onto the window", composition);
    Report("whole refresh tick", tick);
    Report("one eye tick", eye);
    Breakdown("one whole composition", dlg, runs, [&] { dlg.RepaintNow(); });
    Breakdown("one eye tick", dlg, runs, eyeTick);
    const int mismatches = CompareScreens(dlg, eyeTick);
    std::printf("memo: %zu entries, %zu pixels held, %llu copies, %llu draws\n",
                dlg.DrawMemo().Entries(), dlg.DrawMemo().HeldPixels(),
                static_cast<unsigned long long>(dlg.DrawMemo().Hits()),
                static_cast<unsigned long long>(dlg.DrawMemo().Misses()));
    DestroyWindow(dlg.Hwnd());
    return mismatches ? 3 : 0;
}
