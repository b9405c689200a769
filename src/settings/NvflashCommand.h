// The command lines the BIOS page gives NVIDIA's flashing tool, Windows-free: the backup and the
// flash options followed by the file, quoted as the system's command-line rules need, so a path
// with blanks stays one argument.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr wchar_t kNvflashImage[] = L"nvflash.exe";
inline constexpr wchar_t kBackupOption[] = L"-b ";
inline constexpr wchar_t kFlashOptions[] = L"-4 -5 -6 ";

// One argument as the Windows command-line rules read it back unchanged: in quotes, with the
// backslashes before a quote (and at the end) doubled and every quote escaped.
std::wstring QuoteArgument(std::wstring_view argument);

// "-b " and the backup's file name (the tool writes it into its own folder).
std::wstring BackupParameters(std::wstring_view fileName);
// "-4 -5 -6 " and the full path of the file to write to the card.
std::wstring FlashParameters(std::wstring_view path);

// The file-name part of a path (after the last '\' or '/').
std::wstring_view FileNameOf(std::wstring_view path);

// Whether the tool may write a backup of this name: it writes into the program's folder, so
// never under the name of one of the program's own files (nor under no name at all).
bool BackupNameAllowed(std::wstring_view fileName);

}  // namespace velmora
