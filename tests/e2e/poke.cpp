// Test helper that plays the shell and the user's system menu towards a running Velmora:
// posts the notification-area callbacks and window commands the shell would post, and reports
// what the window manager knows of the main window. It also plays another fan tool (a fixed
// level set through the driver) and a fault inside the running program.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "gpu/NvapiLoader.h"
#include "gpu/NvidiaGpu.h"

namespace {

constexpr UINT kTrayCallback = 2792;
constexpr UINT kTrayIconId = 4000;

HWND FindMainWindow() {
    return FindWindowW(nullptr, L"Velmora");
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: poke exists|visible|rect|tray-dblclick|tray-rclick|close|endsession|syscmd-close|"
        "syscmd-minimize|syscmd-restore|command ID|crash|setfan LEVEL\n");
    return 2;
}

// Another tool fixes the fan of GPU 0 at `level`, manual policy, and ends.
int SetFan(int level) {
    nvapi::NvapiEntries entries;
    if (!LoadNvapiEntries(entries)) return 1;
    NvidiaGpu gpu(entries);
    if (!gpu.Initialize() || !gpu.SetCoolerLevel(level, kCoolerCodeManual)) return 1;
    return 0;
}

// A worker thread of the program faults: a thread made in its process at an address where no
// code lives. Prints 1 once the thread is made.
int CrashInside(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                     PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, pid);
    if (!process) return 1;
    constexpr uintptr_t kNoCodeHere = 0x10;
    HANDLE thread = CreateRemoteThread(process, nullptr, 0,
                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(kNoCodeHere),
                                       nullptr, 0, nullptr);
    const bool made = thread != nullptr;
    if (thread) CloseHandle(thread);
    CloseHandle(process);
    std::printf("%d\n", made ? 1 : 0);
    return made ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const wchar_t* verb = argv[1];
    if (std::wcscmp(verb, L"setfan") == 0 && argc > 2) {
        return SetFan(static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    }
    HWND w = FindMainWindow();
    if (std::wcscmp(verb, L"exists") == 0) {
        std::printf("%d\n", w ? 1 : 0);
        return 0;
    }
    if (!w) {
        std::fprintf(stderr, "no Velmora window\n");
        return 1;
    }
    if (std::wcscmp(verb, L"visible") == 0) {
        std::printf("%d\n", IsWindowVisible(w) ? 1 : 0);
    } else if (std::wcscmp(verb, L"rect") == 0) {
        RECT r{};
        GetWindowRect(w, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (std::wcscmp(verb, L"tray-dblclick") == 0) {
        PostMessageW(w, kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK);
    } else if (std::wcscmp(verb, L"tray-rclick") == 0) {
        PostMessageW(w, kTrayCallback, kTrayIconId, WM_RBUTTONUP);
    } else if (std::wcscmp(verb, L"close") == 0) {
        PostMessageW(w, WM_CLOSE, 0, 0);
    } else if (std::wcscmp(verb, L"endsession") == 0) {
        // What the system sends at log-off: the query, then the end itself.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                            &answer);
        SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                            &answer);
    } else if (std::wcscmp(verb, L"syscmd-close") == 0) {
        PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (std::wcscmp(verb, L"syscmd-minimize") == 0) {
        PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (std::wcscmp(verb, L"syscmd-restore") == 0) {
        PostMessageW(w, WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (std::wcscmp(verb, L"crash") == 0) {
        return CrashInside(w);
    } else if (std::wcscmp(verb, L"command") == 0 && argc > 2) {
        PostMessageW(w, WM_COMMAND, static_cast<WPARAM>(std::wcstol(argv[2], nullptr, 10)), 0);
    } else {
        return Usage();
    }
    return 0;
}
