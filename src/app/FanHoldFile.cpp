#include "app/FanHoldFile.h"

#include <windows.h>

#include <string>

#include "win32/Handles.h"

namespace velmora {
namespace {

// A marker is a line of at most 64 small numbers; anything longer was not written by us.
constexpr DWORD kMaxMarkerBytes = 4096;

}  // namespace

uint64_t ReadFanHoldFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return 0;
    std::string text(kMaxMarkerBytes, '\0');
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.data(), kMaxMarkerBytes, &got, nullptr)) return 0;
    text.resize(got);
    return ParseHeldGpus(text);
}

bool WriteFanHoldFile(const std::wstring& path, uint64_t mask) {
    if (mask == 0) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring temp = path + L".new";
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string text = FormatHeldGpus(mask);
    {
        FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        DWORD wrote = 0;
        const bool ok =
            WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) &&
            wrote == text.size() && FlushFileBuffers(file.Get());
        if (!file.Close() || !ok) {
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool FanHoldFile::Store(uint64_t mask) {
    const bool ok = WriteFanHoldFile(path_, mask);
    if (mask != 0 && !firstHoldSeen_) {
        firstHoldSeen_ = true;
        if (onFirstHold_) onFirstHold_();
    }
    return ok;
}

}  // namespace velmora
