#include "config/ProgramFiles.h"

namespace velmora {
namespace {

// The file system's upper case of the letters the program's names use; two letters outside
// ASCII fold onto them too ("ı" onto "I", "ſ" onto "S").
wchar_t FoldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
    if (c == 0x0131) return L'I';
    if (c == 0x017F) return L'S';
    return c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

}  // namespace

std::wstring_view NamedFile(std::wstring_view fileName) {
    std::wstring_view name = fileName.substr(0, fileName.find(L':'));
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    return name;
}

bool IsProgramFileName(std::wstring_view fileName) {
    const std::wstring_view name = NamedFile(fileName);
    for (const wchar_t* own : kProgramFileNames) {
        if (SameName(name, own)) return true;
    }
    return false;
}

}  // namespace velmora
