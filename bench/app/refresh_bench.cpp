// Cost of one refresh tick of the real main window on the simulated card: the two readings,
// one composition onto the layered window, and the two together as the one-second timer runs them.
//   refresh_bench <program folder> [runs, default 300]
// The folder holds "Velmora.xml" and the skin packs; the card is whatever nvapi64.dll the
// system directory holds (the simulated card in the private prefix).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/AppGlobals.h"
#include "app/GaugeSource.h"
#include "app/VelmoraDlg.h"
#include "gpu/NvapiLoader.h"

NvidiaGpu g_nvidiaGpu;

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double>& us) {
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1))]; };
    std::printf("%-34s runs %zu  median %8.0f us  p90 %8.0f us  p99 %8.0f us  max %8.0f us\n",
                what, us.size(), at(0.5), at(0.9), at(0.99), us.back());
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
    auto composition = Time(runs, [&] { dlg.RepaintNow(); });
    auto tick = Time(runs, [&] { dlg.RefreshTick(); });
    Report("readings (both gauges)", readings);
    Report("composition onto the window", composition);
    Report("whole refresh tick", tick);
    DestroyWindow(dlg.Hwnd());
    return 0;
}
