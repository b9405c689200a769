#include "gpu/NvapiLoader.h"

#include <windows.h>

#include <string>

namespace {

#ifdef _WIN64
constexpr wchar_t kNvapiDllName[] = L"nvapi64.dll";
#else
constexpr wchar_t kNvapiDllName[] = L"nvapi.dll";
#endif
constexpr char kQueryInterfaceExport[] = "nvapi_QueryInterface";

// Full path in the system directory; empty when the directory cannot be had.
std::wstring SystemDirectoryPath(const wchar_t* fileName) {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path(dir, n);
    if (path.back() != L'\\') {
        path.push_back(L'\\');
    }
    path += fileName;
    return path;
}

}  // namespace

bool LoadNvapiEntries(nvapi::NvapiEntries& entries) {
    entries = nvapi::NvapiEntries();
    const std::wstring path = SystemDirectoryPath(kNvapiDllName);
    if (path.empty()) {
        return false;
    }
    // A full path plus the altered search order keeps the library's own dependencies off the
    // program folder as well. The handle is kept for the process's life on purpose.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        return false;
    }
    const FARPROC proc = GetProcAddress(module, kQueryInterfaceExport);
    if (proc == nullptr) {
        return false;
    }
    entries = nvapi::ResolveNvapiEntries(
        reinterpret_cast<nvapi::NvQueryInterfaceFn>(reinterpret_cast<void*>(proc)));
    return true;
}
