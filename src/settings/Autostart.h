// The start-with-Windows entry: the value "Velmora" under the current user's
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Run" key. The key is only opened, never created.
#pragma once

#include <string>

namespace velmora {

inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Velmora";

// True when the stored value names this program file, quoted (as written now) or bare (as
// older installations wrote it), compared exactly.
bool AutostartPointsHere();

// On: the program file's full path, quoted, so the shell cannot read a path with blanks as a
// shorter program plus arguments. Off: the value is deleted when it names this program file
// (AutostartValueNamesFile); another copy's entry stays. A key that cannot be opened is
// skipped without a word.
void SetAutostart(bool on);

// The pure parts, for the tests: the value written for `programPath`, and whether a stored
// value names it.
std::wstring AutostartValueFor(const std::wstring& programPath);
bool AutostartValueNames(const std::wstring& stored, const std::wstring& programPath);
// Whether a stored value names the file `programPath` at all, quoted or bare, as Windows
// compares paths (without regard to case): what decides that the value is this program's to
// delete.
bool AutostartValueNamesFile(const std::wstring& stored, const std::wstring& programPath);

}  // namespace velmora
