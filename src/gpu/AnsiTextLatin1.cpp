#include "gpu/AnsiText.h"

std::wstring AnsiToWide(const char* text, size_t maxLen) {
    std::wstring out;
    if (text == nullptr) {
        return out;
    }
    for (size_t i = 0; i < maxLen && text[i] != '\0'; ++i) {
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
    }
    return out;
}
