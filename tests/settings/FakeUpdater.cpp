// Stands in for "VelmoraUpdate2.0.exe" in the tests: records that it ran, and with how many
// arguments, in "updater-ran.txt" beside itself, then ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    std::wstring path(self, n);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"updater-ran.txt";
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv) LocalFree(argv);
    const std::string text = "arguments=" + std::to_string(argc > 0 ? argc - 1 : -1) + "\n";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD put = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
    return 0;
}
