#include "VelmoraApp.h"

#include <commctrl.h>

#include <cstdio>

#include "app/AppGlobals.h"
#include "app/CrashGuard.h"
#include "app/FanGuardLauncher.h"
#include "app/FanHold.h"
#include "app/FanHoldFile.h"
#include "app/GpuFanDevice.h"
#include "app/InstanceLock.h"
#include "app/VelmoraDlg.h"
#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ProgramVersion.h"
#include "gpu/NvapiLoader.h"

NvidiaGpu g_nvidiaGpu;

namespace velmora {
namespace {

constexpr DWORD kAllCommonControlClasses = 0xFF;
// How long the crash path waits for a fan write in flight on another thread.
constexpr int kCrashWriteWaitMs = 500;

// The crash path's own view of the card and of the held fans. The crash may strike any thread,
// the user-interface thread in the middle of a driver call included, so it never touches that
// thread's GPU object.
NvidiaGpu* g_crashGpu = nullptr;
FanHold* g_crashHold = nullptr;

void ReleaseFansOnCrash() {
    if (!g_crashGpu || !g_crashHold) return;
    g_crashHold->RefuseWrites(kCrashWriteWaitMs);
    const uint64_t held = g_crashHold->HeldMask();
    const uint64_t remaining = HandBackFans(*g_crashGpu, held);
    for (int gpu = 0; gpu < kFanHoldMaxGpus; ++gpu) {
        if (((held & ~remaining) >> gpu) & 1u) g_crashHold->Released(gpu);
    }
}

void ShowGpuMessage(const std::wstring& text, const std::wstring& caption, unsigned icon) {
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

// Fans a run that was killed (or lost power) left fixed: back to the driver. Only those: a
// level another tool or the user set is left alone, and so is a marker of a run that still
// runs. Returns the GPUs that could not be handed back yet (this run's from now on).
uint64_t HandBackFansOfLastRun(const std::wstring& markerPath, const FanHoldOwner& self) {
    FanHoldMarkerFile marker(markerPath);
    return HandBackLeftByGoneRun(marker, self, RunStillRunning,
                                 [](uint64_t held) { return HandBackFans(g_nvidiaGpu, held); });
}

}  // namespace

std::wstring CVelmoraApp::PrepareConfigAndReadSkinPack() {
    ConfigFile cfg;
    if (!cfg.Open()) return L"";
    StoreProgramUpdateVersion(cfg);
    std::wstring name;
    if (!cfg.ReadText(kPathUiName, name)) return L"";
    return name + L".dll";
}

int CVelmoraApp::InitInstance(HINSTANCE instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, kAllCommonControlClasses};
    InitCommonControlsEx(&icc);

    // The program's files ("Velmora.xml", the skin packs, the tools) are opened by their full
    // paths beside the program file, wherever it was started from and wherever a file dialog
    // later moves the current directory. The current directory starts there too, for what the
    // system itself resolves against it.
    const std::wstring folder = ProgramFolder();
    SetProgramFilesFolder(folder);
    SetCurrentDirectoryW(folder.c_str());

    if (TakeInstanceLock() == InstanceLockOutcome::AnotherRunning) return 0;

    nvapi::NvapiEntries entries;
    const bool haveDriver = LoadNvapiEntries(entries);
    if (haveDriver) g_nvidiaGpu.Attach(entries);
    g_nvidiaGpu.SetUserMessageSink(ShowGpuMessage);
    g_nvidiaGpu.Initialize();

    const std::wstring markerPath = ProgramFilePath(kFanHoldFileName);
    const FanHoldOwner self = CurrentRun();
    const uint64_t leftHeld = HandBackFansOfLastRun(markerPath, self);
    FanHoldFile marker(markerPath, self);
    marker.SetOnFirstHold([&marker] { StartFanGuard(marker.Path(), marker.Section()); });
    FanHold hold(&marker, leftHeld);
    // What could not be handed back is this run's to retry: its marker, its guard.
    if (leftHeld != 0) marker.Store(leftHeld);

    // Made now, so a crash needs no allocation and no driver start-up to hand the fans back.
    static NvidiaGpu crashGpu;
    if (haveDriver) crashGpu.Attach(entries);
    crashGpu.Initialize();
    g_crashGpu = &crashGpu;
    g_crashHold = &hold;
    InstallCrashGuard(ReleaseFansOnCrash);

    // Before the main window starts the scheduled update check, which reads the version.
    const std::wstring pack = PrepareConfigAndReadSkinPack();
    {
        CVelmoraDlg dlg(pack, L"main.png", nullptr, hold);
        dlg.DoModal();
    }
    // The main window has handed every fan back; the hold ends with this scope.
    g_crashHold = nullptr;
    (void)instance;
    return 0;
}

}  // namespace velmora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int code = 0;
    {
        velmora::CVelmoraApp app;
        code = app.InitInstance(instance);
    }
    // Every closing step is done: the fans are back with the driver, "EnableFan" is written,
    // the windows and the fan hold are gone. An update check may still sit in a name look-up
    // or on a server that never answers, and the runtime's ordinary exit would wait on what
    // that thread holds; the process ends here instead, at once. Nothing else is left to run.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    return code;
}
