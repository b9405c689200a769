// A stand-in for NVIDIA's flashing tool, for the BIOS page's tests; never shipped. It appends
// its arguments, one per line as the system split them, to "nvflash.args.txt" beside itself;
// for "-b NAME" it writes a backup file NAME into its current folder; when "nvflash.wait" beside
// it holds a number of milliseconds, it runs that long first.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring Beside(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

void AppendUtf8(const std::wstring& path, const std::wstring& text) {
    char utf8[4096] = {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8,
                                      sizeof utf8, nullptr, nullptr);
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, utf8, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(f);
}

}  // namespace

int wmain() {
    FILE* wait = _wfopen(Beside(L"nvflash.wait").c_str(), L"r");
    if (wait) {
        int ms = 0;
        if (std::fscanf(wait, "%d", &ms) == 1 && ms > 0) Sleep(static_cast<DWORD>(ms));
        std::fclose(wait);
    }
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring record = L"run\n";
    for (int i = 1; i < argc; ++i) record += std::wstring(argv[i]) + L"\n";
    AppendUtf8(Beside(L"nvflash.args.txt"), record);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"-b") == 0) AppendUtf8(argv[i + 1], L"stand-in BIOS backup\n");
    }
    LocalFree(argv);
    return 0;
}
