// Test helper that plays the shell and the user's system menu towards a running Velmora:
// posts the notification-area callbacks and window commands the shell would post, and reports
// what the window manager knows of the main window. It also plays another fan tool (a fixed
// level set through the driver) and a fault inside the running program.
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>

#include "app/MainWindowMark.h"
#include "gpu/NvapiLoader.h"
#include "gpu/NvidiaGpu.h"
#include "win32/Handles.h"

namespace {

constexpr UINT kTrayCallback = 2792;
constexpr UINT kTrayIconId = 4000;

// The program's message boxes may carry the main window's title too; only it has the mark.
HWND FindMainWindow() {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, nullptr, L"Velmora")) != nullptr) {
        if (GetPropW(w, velmora::kMainWindowProperty)) return w;
    }
    return nullptr;
}

// The window of the program whose owner is `owner`, other than a message box: the clock
// settings window under the main window, the voltage window under that. visibleOnly: a hidden
// one does not count.
HWND FindOwnedWindow(HWND owner, bool visibleOnly = true) {
    struct Search {
        HWND owner;
        bool visibleOnly;
        HWND found;
    } search{owner, visibleOnly, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            wchar_t title[32] = {};
            GetWindowTextW(w, title, 32);
            // Message boxes have a caption; the skinned tool windows have none.
            if (GetWindow(w, GW_OWNER) != s->owner || title[0] != 0 ||
                (s->visibleOnly && !IsWindowVisible(w))) {
                return TRUE;
            }
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
}

// A message box with this caption: a dialog with the box's text item, so the main window (a
// dialog titled "Velmora" too) is not taken for one.
HWND FindMessageBox(const wchar_t* caption) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", caption)) != nullptr) {
        if (GetDlgItem(w, 0xFFFF)) return w;
    }
    return nullptr;
}

// A shown control of the top-level window titled `caption`, found by its text at any depth
// (the settings window's hidden pages hold controls of the same text).
HWND FindControl(const wchar_t* caption, const wchar_t* text) {
    HWND top = FindWindowW(nullptr, caption);
    if (!top) return nullptr;
    struct Search {
        const wchar_t* text;
        HWND found;
    } search{text, nullptr};
    EnumChildWindows(
        top,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t have[256] = {};
            GetWindowTextW(w, have, 256);
            if (!IsWindowVisible(w) || std::wcscmp(have, s->text) != 0) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits up to five seconds for a message box with this caption; prints its text and answers
// it ("yes", "no", "ok") or, with "text", leaves it open.
int AnswerMessageBox(const wchar_t* caption, const wchar_t* answer) {
    // "tip": the program's Chinese caption, spelled here so no command line has to carry it.
    if (std::wcscmp(caption, L"tip") == 0) caption = L"\u63D0\u793A";
    HWND box = nullptr;
    for (int i = 0; i < 50 && !box; ++i) {
        box = FindMessageBox(caption);
        if (!box) Sleep(100);
    }
    if (!box) {
        std::printf("none\n");
        return 1;
    }
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    // As UTF-8, so texts beyond the console's code page reach the test as they are.
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
    int id = 0;
    if (std::wcscmp(answer, L"yes") == 0) id = IDYES;
    if (std::wcscmp(answer, L"no") == 0) id = IDNO;
    if (std::wcscmp(answer, L"ok") == 0) id = IDOK;
    if (!id) return 0;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    // Gone before the next question: a box still closing would be taken for the next one.
    for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
    return 0;
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: poke exists|visible|rect|tray-dblclick|tray-rclick|close|endsession|syscmd-close|"
        "syscmd-minimize|syscmd-restore|command ID|crash|setfan LEVEL|tool-rect|tool-rect-any|"
        "voltage-rect|resources|"
        "move X Y|iconic|msgbox CAPTION|tip yes|no|ok|text|"
        "control-rect|control-enabled WINDOW-CAPTION CONTROL-TEXT\n");
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

// Kernel handles a process holds, from the system-wide handle list: wine answers
// GetProcessHandleCount of another process with 0, but lists every handle here.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

DWORD CountHandlesFromSystemList(DWORD pid) {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    ULONG size = 1 << 20;
    for (int attempt = 0; attempt < 6; ++attempt, size *= 2) {
        std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.get(), size, &needed);
        if (status == kStatusInfoLengthMismatch) continue;
        if (status < 0) return 0;
        const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.get());
        DWORD count = 0;
        for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].ownerPid == pid ? 1 : 0;
        return count;
    }
    return 0;
}

// GDI objects of a process from the handle table its PEB points at (wine keeps GDI handles
// there as Windows does, while its GetGuiResources answers 0). Entries in use have a type.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    BYTE type;
    BYTE exType;
    USHORT unique;
    UINT64 userPointer;
};
constexpr size_t kGdiMaxHandles = 0x10000;
constexpr size_t kPebGdiSharedHandleTable = 0xF8;
constexpr ULONG kProcessBasicInformation = 0;

struct ProcessBasics {
    LONG_PTR exitStatus;
    PVOID pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG_PTR basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR parentProcessId;
};

long CountGdiObjectsFromTable(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    ProcessBasics basics{};
    if (!query || query(process, kProcessBasicInformation, &basics, sizeof(basics), nullptr) < 0)
        return -1;
    UINT64 table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process,
                           static_cast<BYTE*>(basics.pebBaseAddress) + kPebGdiSharedHandleTable,
                           &table, sizeof(table), &got) ||
        !table)
        return -1;
    std::unique_ptr<GdiHandleEntry[]> entries(new GdiHandleEntry[kGdiMaxHandles]);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.get(),
                           kGdiMaxHandles * sizeof(GdiHandleEntry), &got))
        return -1;
    long count = 0;
    for (size_t i = 0; i < got / sizeof(GdiHandleEntry); ++i) count += entries[i].type != 0 ? 1 : 0;
    return count;
}

// The windows of one process, top-level and child: wine counts no user objects, and windows
// are the ones a leak would pile up.
long CountWindowsOf(DWORD pid) {
    struct Count {
        DWORD pid;
        long n;
    } count{pid, 0};
    EnumWindows(
        [](HWND top, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Count*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(top, &owner);
            if (owner != c->pid) return TRUE;
            ++c->n;
            EnumChildWindows(
                top,
                [](HWND, LPARAM q) -> BOOL {
                    ++*reinterpret_cast<long*>(q);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&c->n));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

// What the program holds, for the soak run: "handles gdi user working_set_kb private_kb".
// Where the system counts no user objects, "user" is the count of the process's windows.
int PrintResources(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    const velmora::KernelHandle owner(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    const HANDLE process = owner.Get();
    if (!process) return 1;
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    if (handles == 0) handles = CountHandlesFromSystemList(pid);
    long gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    if (gdi == 0) gdi = CountGdiObjectsFromTable(process);
    long user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    if (user == 0) user = CountWindowsOf(pid);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    // Private bytes are the commit charge; a system that keeps the one figure but not the
    // other gives it as the page-file usage.
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    std::printf("%lu %ld %ld %llu %llu\n", handles, gdi, user,
                static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long long>(privateBytes / 1024));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const wchar_t* verb = argv[1];
    if (std::wcscmp(verb, L"setfan") == 0 && argc > 2) {
        return SetFan(static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    }
    if (std::wcscmp(verb, L"msgbox") == 0 && argc > 3) return AnswerMessageBox(argv[2], argv[3]);
    if ((std::wcscmp(verb, L"control-rect") == 0 || std::wcscmp(verb, L"control-enabled") == 0) &&
        argc > 3) {
        // A control of another window (the settings window's pages), on the screen.
        HWND control = FindControl(argv[2], argv[3]);
        if (!control) {
            std::printf("none\n");
            return 1;
        }
        if (std::wcscmp(verb, L"control-rect") == 0) {
            PrintRect(control);
        } else {
            std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
        }
        return 0;
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
    } else if (std::wcscmp(verb, L"tool-rect") == 0 || std::wcscmp(verb, L"voltage-rect") == 0 ||
               std::wcscmp(verb, L"tool-rect-any") == 0) {
        // tool-rect-any: shown or not (a window that never composed a frame still exists).
        HWND tool = FindOwnedWindow(w, std::wcscmp(verb, L"tool-rect-any") != 0);
        if (tool && std::wcscmp(verb, L"voltage-rect") == 0) tool = FindOwnedWindow(tool);
        if (!tool) {
            std::printf("none\n");
            return 1;
        }
        PrintRect(tool);
    } else if (std::wcscmp(verb, L"iconic") == 0) {
        // Whether the main window, the clock window and the voltage window are off the screen
        // (minimised, or hidden with their minimised owner).
        HWND tool = FindOwnedWindow(w, false);
        HWND voltage = tool ? FindOwnedWindow(tool, false) : nullptr;
        auto away = [](HWND x) { return x && (IsIconic(x) || !IsWindowVisible(x)) ? 1 : 0; };
        std::printf("%d %d %d\n", IsIconic(w) ? 1 : 0, away(tool), away(voltage));
    } else if (std::wcscmp(verb, L"move") == 0 && argc > 3) {
        SetWindowPos(w, nullptr, static_cast<int>(std::wcstol(argv[2], nullptr, 10)),
                     static_cast<int>(std::wcstol(argv[3], nullptr, 10)), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    } else if (std::wcscmp(verb, L"resources") == 0) {
        return PrintResources(w);
    } else if (std::wcscmp(verb, L"crash") == 0) {
        return CrashInside(w);
    } else if (std::wcscmp(verb, L"command") == 0 && argc > 2) {
        PostMessageW(w, WM_COMMAND, static_cast<WPARAM>(std::wcstol(argv[2], nullptr, 10)), 0);
    } else {
        return Usage();
    }
    return 0;
}
