// Source-tree files as the Windows tests under wine reach them.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::testing_files {

// A source-tree (Unix) path as wine sees it.
inline std::wstring HostPath(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* p = unixPath; *p; ++p) out += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return out;
}

// The whole file, or empty when it cannot be opened.
inline std::string ReadAll(const std::wstring& path) {
    std::string out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

}  // namespace velmora::testing_files
