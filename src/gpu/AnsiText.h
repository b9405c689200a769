// Driver strings arrive as 8-bit text in the system's ANSI code page; the windows want UTF-16.
#pragma once

#include <cstddef>
#include <string>

// Converts at most maxLen bytes of text (stopping at the first NUL) to UTF-16. On Windows the
// ANSI code page decides; natively each byte is widened as Latin-1.
std::wstring AnsiToWide(const char* text, size_t maxLen);
