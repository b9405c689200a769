#include "gpu/AnsiText.h"

#include <windows.h>

std::wstring AnsiToWide(const char* text, size_t maxLen) {
    std::wstring out;
    if (text == nullptr) {
        return out;
    }
    size_t len = 0;
    while (len < maxLen && text[len] != '\0') {
        ++len;
    }
    if (len == 0) {
        return out;
    }
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(len), nullptr, 0);
    if (n <= 0) {
        return out;
    }
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(len), out.data(), n);
    return out;
}
