// The folder of the running program file, where its settings, skins and tools live.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// The running program file's full path; empty when it cannot be had.
inline std::wstring ProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Without a trailing backslash; empty when the path cannot be had.
inline std::wstring ProgramFolder() {
    const std::wstring path = ProgramFile();
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

}  // namespace velmora
