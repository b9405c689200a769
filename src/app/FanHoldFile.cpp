#include "app/FanHoldFile.h"

#include <string>

namespace velmora {
namespace {

// A marker is a few short lines; anything longer was not written by us.
constexpr DWORD kMaxMarkerBytes = 4096;
// Every reader and writer of the marker, in any process, takes this lock around one look or
// one change; each holds it for a file access, never across a call into the driver.
constexpr wchar_t kMarkerLockName[] = L"Local\\Velmora.fanhold";
// Longer than any holder needs; should a holder hang, the access goes ahead without the lock
// rather than leave a fan unrecorded.
constexpr DWORD kMarkerLockWaitMs = 5000;

class MarkerLock {
  public:
    MarkerLock() : mutex_(CreateMutexW(nullptr, FALSE, kMarkerLockName)) {
        if (!mutex_.Get()) return;
        const DWORD waited = WaitForSingleObject(mutex_.Get(), kMarkerLockWaitMs);
        // A holder killed in the middle leaves it abandoned, and ours all the same.
        owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~MarkerLock() {
        if (owned_) ReleaseMutex(mutex_.Get());
    }
    MarkerLock(const MarkerLock&) = delete;
    MarkerLock& operator=(const MarkerLock&) = delete;

  private:
    KernelHandle mutex_;
    bool owned_ = false;
};

uint64_t FileTimeValue(const FILETIME& t) {
    return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

bool ReadMarker(const std::wstring& path, FanHoldMarker& out) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    std::string text(kMaxMarkerBytes, '\0');
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.data(), kMaxMarkerBytes, &got, nullptr)) return false;
    text.resize(got);
    out = ParseFanHoldMarker(text);
    return true;
}

bool RemoveMarker(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The text reaches the disk before it replaces the marker there.
bool WriteMarker(const std::wstring& path, const FanHoldMarker& marker) {
    // A name of this process's own: a guard and a run may write at nearly the same time.
    const std::wstring temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string text = FormatFanHoldMarker(marker);
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

}  // namespace

FanHoldOwner CurrentRun() {
    return RunOfProcess(GetCurrentProcess());
}

FanHoldOwner RunOfProcess(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    const DWORD pid = GetProcessId(process);
    if (pid == 0 || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
    return FanHoldOwner{pid, FileTimeValue(created)};
}

bool RunStillRunning(const FanHoldOwner& run) {
    if (!run.Known()) return false;
    KernelHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, run.processId));
    if (!process.Get()) {
        // A process we may not look at is there all the same: its fans are not ours to take.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    // The id may have been given to another process since; and a process that ended stays
    // open as long as someone (its guard) holds a handle to it.
    return RunOfProcess(process.Get()) == run &&
           WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

bool FanHoldMarkerFile::Read(FanHoldMarker& out) {
    MarkerLock lock;
    return ReadMarker(path_, out);
}

bool FanHoldMarkerFile::ReplaceIf(const std::optional<FanHoldMarker>& expected,
                                  const FanHoldMarker& next) {
    MarkerLock lock;
    FanHoldMarker current;
    const bool have = ReadMarker(path_, current);
    if (have != expected.has_value() || (have && !(current == *expected))) return false;
    if (next.held == 0) return !have || RemoveMarker(path_);
    return WriteMarker(path_, next);
}

void FanHoldFile::MakeSection() {
    *section_.Out() = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(LONG64), nullptr);
    if (!section_.Get()) return;
    view_.Reset(MapViewOfFile(section_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG64)));
    // Without a view the guard would read a mask that never changes.
    if (!view_.Get()) KernelHandle unused(section_.Release());
}

bool FanHoldFile::Store(uint64_t mask) {
    if (mask != 0 && !section_.Get()) MakeSection();
    if (view_.Get()) {
        InterlockedExchange64(static_cast<volatile LONG64*>(view_.Get()),
                              static_cast<LONG64>(mask));
    }
    const bool ok = StoreOwnMarker(file_, self_, mask, RunStillRunning);
    if (mask != 0 && !firstHoldSeen_) {
        firstHoldSeen_ = true;
        if (onFirstHold_) onFirstHold_();
    }
    return ok;
}

bool ReadHeldSection(HANDLE section, uint64_t& held) {
    if (!section) return false;
    MappedView view(MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof(LONG64)));
    if (!view.Get()) return false;
    // Read once the run has ended: nobody writes it any more (and the view is read-only).
    held = *static_cast<const volatile uint64_t*>(view.Get());
    return true;
}

}  // namespace velmora
