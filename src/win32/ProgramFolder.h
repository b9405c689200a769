// The folder of the running program file, where its settings, skins and tools live, and the one
// way to name a file there. The program never opens its own files by a bare name: a file dialog
// may have moved the current directory anywhere.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace velmora {

// The running program file's full path; empty when it cannot be had.
inline std::wstring ProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Without a trailing backslash; empty when the path cannot be had.
inline std::wstring ProgramFolder() {
    const std::wstring path = ProgramFile();
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

namespace detail {
inline std::wstring& ProgramFilesFolderSetting() {
    static std::wstring folder;
    return folder;
}
}  // namespace detail

// Where the program's own files are: set once at start-up, before any other thread, to
// ProgramFolder(); a test fixture points it at its own folder (and puts the old one back).
// Returns the folder it replaces. Empty means ProgramFolder().
inline std::wstring SetProgramFilesFolder(std::wstring folder) {
    return std::exchange(detail::ProgramFilesFolderSetting(), std::move(folder));
}

inline std::wstring ProgramFilesFolder() {
    const std::wstring& folder = detail::ProgramFilesFolderSetting();
    return folder.empty() ? ProgramFolder() : folder;
}

// The full path of the program's file `name` ("Velmora.xml", "Norvane.dll", "nvflash.exe").
inline std::wstring ProgramFilePath(std::wstring_view name) {
    std::wstring path = ProgramFilesFolder();
    path += L'\\';
    path += name;
    return path;
}

// A file the program names: a bare name ("Norvane.dll") is one of the program's own files and
// lies in its folder; a path (tests, tools) is taken as it is.
inline std::wstring ProgramFileOrPath(std::wstring_view nameOrPath) {
    if (nameOrPath.find_first_of(L"\\/:") != std::wstring_view::npos) {
        return std::wstring(nameOrPath);
    }
    return ProgramFilePath(nameOrPath);
}

// The long form of an existing file's name ("VELMOR~1.XML" may be "Velmora.xml"); `path`'s own
// file name when the file does not exist or has no other form. Asked only of names with a '~',
// the mark of a short form.
inline std::wstring LongFileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.find(L'~') == std::wstring::npos) return name;
    std::wstring longPath(MAX_PATH, L'\0');
    DWORD n = GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (n >= longPath.size()) {
        longPath.resize(n);
        n = GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    }
    if (n == 0 || n >= longPath.size()) return name;
    longPath.resize(n);
    const size_t longSlash = longPath.find_last_of(L"\\/");
    return longSlash == std::wstring::npos ? longPath : longPath.substr(longSlash + 1);
}

// Keeps the process's current directory across a dialog that may move it (a file or folder
// picker browsing elsewhere): it is put back when this goes out of scope.
class KeepCurrentFolder {
  public:
    KeepCurrentFolder() {
        const DWORD n = GetCurrentDirectoryW(0, nullptr);
        if (n == 0) return;
        folder_.resize(n);
        const DWORD got = GetCurrentDirectoryW(n, folder_.data());
        folder_.resize(got < n ? got : 0);
    }
    ~KeepCurrentFolder() {
        if (!folder_.empty()) SetCurrentDirectoryW(folder_.c_str());
    }
    KeepCurrentFolder(const KeepCurrentFolder&) = delete;
    KeepCurrentFolder& operator=(const KeepCurrentFolder&) = delete;

  private:
    std::wstring folder_;
};

}  // namespace velmora
