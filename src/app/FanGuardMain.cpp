// VelmoraFanGuard.exe: started by Velmora when it first fixes a fan, it waits for Velmora's
// process to end however it ends. A normal exit or the crash guard has handed every fan back
// by then; a kill has not, and the guard hands back the fans that run held, as the section it
// inherited says (or, without one, as the run's own marker says). A quick restart may hold a
// fan again by then, and its marker is its own: both are left alone. It has no window and
// touches the driver only after Velmora is gone.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "app/FanGuardLauncher.h"
#include "app/GpuFanDevice.h"
#include "app/FanHold.h"
#include "app/FanHoldFile.h"
#include "gpu/NvapiLoader.h"
#include "gpu/NvidiaGpu.h"
#include "win32/Handles.h"

namespace {

// Exit codes, for whoever looks.
constexpr int kDone = 0;  // no fan left held
constexpr int kBadArguments = 2;
constexpr int kNotAProcess = 3;
constexpr int kSomeStillHeld = 4;

// Hands back every fan `held` names; returns those the driver did not take back.
uint64_t HandBack(uint64_t held) {
    nvapi::NvapiEntries entries;
    NvidiaGpu gpu;
    if (LoadNvapiEntries(entries)) gpu.Attach(entries);
    // A failed start-up is no reason to give up: each hand-back enumerates again on its own.
    gpu.Initialize();
    return velmora::HandBackFans(gpu, held);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    velmora::LocalMemory<wchar_t*> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    velmora::FanGuardArguments args;
    if (!argv.Get() || argc < 1 ||
        !velmora::ParseFanGuardArguments(argc - 1, argv.Get() + 1, args)) {
        return kBadArguments;
    }
    velmora::KernelHandle velmora(
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(args.processHandle)));
    // A handle that is not a process (the guard started by hand) must not pass for an ended one.
    if (GetProcessId(velmora.Get()) == 0) return kNotAProcess;
    if (WaitForSingleObject(velmora.Get(), INFINITE) != WAIT_OBJECT_0) return kNotAProcess;

    const velmora::FanHoldOwner run = velmora::RunOfProcess(velmora.Get());
    velmora::KernelHandle section(
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(args.heldSection)));
    uint64_t held = 0;
    const bool haveChannel = velmora::ReadHeldSection(section.Get(), held);
    velmora::FanHoldMarkerFile marker(args.markerPath);
    // What is left stays in the marker for the next start of Velmora.
    const uint64_t remaining =
        velmora::GuardHandBack(marker, run, haveChannel, held, velmora::RunStillRunning, HandBack);
    return remaining == 0 ? kDone : kSomeStillHeld;
}
