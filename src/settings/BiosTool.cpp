#include "settings/BiosTool.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>

#include "settings/NvflashCommand.h"
#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// Handles messages until `handle` is signalled or `timeoutMs` passes (INFINITE: until then);
// false when the program is quitting (WM_QUIT is put back for the outer loop).
bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG end = timeoutMs == INFINITE ? 0 : GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end) return true;
            left = static_cast<DWORD>(end - now);
        }
        const DWORD r = MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE,
                                                  left, QS_ALLINPUT);
        if (handle && r == WAIT_OBJECT_0) return true;
        if (r == WAIT_TIMEOUT) return true;
        if (r == WAIT_FAILED) return true;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));
                return false;
            }
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
}

}  // namespace

bool ProcessRunning(const wchar_t* imageName) {
    const HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (taken == INVALID_HANDLE_VALUE) return false;
    KernelHandle snapshot(taken);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (std::wcscmp(entry.szExeFile, imageName) == 0) return true;
    }
    return false;
}

bool RunNvflashAndWait(const std::wstring& parameters, HWND inputOff) {
    const std::wstring folder = ProgramFilesFolder();
    const std::wstring program = ProgramFilePath(kNvflashImage);
    // Only the tool beside the program: never one found elsewhere on the search path.
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) return false;

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    KernelHandle process(info.hProcess);

    const bool wasEnabled = inputOff && IsWindowEnabled(inputOff);
    if (wasEnabled) EnableWindow(inputOff, FALSE);
    // Without a handle of its own (the system may not give one) the image-name check waits.
    bool running = process.Get() ? WaitPumping(process.Get(), INFINITE) : true;
    // Another nvflash (the user's own, or one ours started) keeps the page waiting too.
    while (running && ProcessRunning(kNvflashImage)) running = WaitPumping(nullptr, kNvflashPollMs);
    if (wasEnabled) EnableWindow(inputOff, TRUE);
    return true;
}

}  // namespace velmora
