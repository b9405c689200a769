#include "config/ConfigValues.h"

#include <limits>

namespace velmora {
namespace {

// The C locale's white space, as the runtime's integer readers skip it.
bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

}  // namespace

int32_t ParseConfigInt(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past any int32, so
    // long digit runs neither overflow nor wrap.
    constexpr int64_t kBeyond = int64_t{std::numeric_limits<int32_t>::max()} + 2;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (magnitude < kBeyond) magnitude = magnitude * 10 + (text[i] - L'0');
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool ParseConfigIntFlag(std::wstring_view text) {
    return ParseConfigInt(text) != 0;
}

bool ParseConfigTextFlag(std::wstring_view text) {
    return text != L"0";
}

std::wstring FormatConfigInt(int32_t value) {
    return std::to_wstring(value);
}

}  // namespace velmora
