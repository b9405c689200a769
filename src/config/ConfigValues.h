// How values are spelled in "Velmora.xml": every value is text; integers are written "%d" and
// read by their decimal prefix. Windows-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Leading white space, an optional sign, then digits up to the first other character
// ("1e3" is 1, "12abc" is 12). No digits gives 0. A value beyond the 32-bit range gives the
// nearest end of it.
int32_t ParseConfigInt(std::wstring_view text);

// A flag stored as an integer: set when the integer is nonzero.
bool ParseConfigIntFlag(std::wstring_view text);

// A flag read as text: set unless the text is exactly "0" (an empty text counts as set).
bool ParseConfigTextFlag(std::wstring_view text);

// "%d".
std::wstring FormatConfigInt(int32_t value);

// "1" or "0".
inline std::wstring FormatConfigFlag(bool set) {
    return set ? L"1" : L"0";
}

}  // namespace velmora
