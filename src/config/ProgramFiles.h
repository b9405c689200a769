// The names of the program's own files in its folder: what it runs, loads, keeps or fetches
// there. A file the user names (a BIOS backup, a history log) must never land on one of them.
// Windows-free.
#pragma once

#include <string_view>

namespace velmora {

inline constexpr const wchar_t* kProgramFileNames[] = {
    L"Velmora.exe",     L"VelmoraFanGuard.exe", L"uninstall.exe",
    L"Velmora.xml",     L"Velmora.xml.new",  // the settings file and its save in progress
    L"Norvane.dll",     L"Talwyn.dll",          L"Ostrid.dll",
    L"Velmora.fanhold", L"Velmora.fanhold.new",  // the marker of held fans and its write
    L"nvflash.exe",     L"VelmoraUpdate.xml",   L"VelmoraUpdate2.0.exe",
    L"nvapi64.dll",     L"nvapi.dll",  // never loaded from here, and never to be planted
};

// The file a name reaches on the system: a stream suffix (":stream", "::$DATA") names a part of
// that same file, and trailing dots and blanks are dropped ("Velmora.xml. " is "Velmora.xml").
std::wstring_view NamedFile(std::wstring_view fileName);

// Whether `fileName` (a name without its folder) reaches one of the program's files, compared
// as the file system compares names: without regard to case.
bool IsProgramFileName(std::wstring_view fileName);

}  // namespace velmora
