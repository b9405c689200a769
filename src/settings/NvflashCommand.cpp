#include "settings/NvflashCommand.h"

#include "config/ProgramFiles.h"

namespace velmora {

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as literal only when no quote follows them.
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    // Before the closing quote every backslash doubles.
    out.append(2 * backslashes, L'\\');
    out.push_back(L'"');
    return out;
}

std::wstring BackupParameters(std::wstring_view fileName) {
    return kBackupOption + QuoteArgument(fileName);
}

std::wstring FlashParameters(std::wstring_view path) {
    return kFlashOptions + QuoteArgument(path);
}

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

bool BackupNameAllowed(std::wstring_view fileName) {
    return !NamedFile(fileName).empty() && !IsProgramFileName(fileName);
}

}  // namespace velmora
