#include "monitoring/HistoryLogWin.h"

#include "config/ProgramFiles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// Shared for reading and writing so that the user can watch the log in an editor while it grows
// (and delete or rename it meanwhile).
constexpr DWORD kLogShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

bool HistoryLogFile::Open() {
    // An empty path names no file; never let the system resolve it to something.
    if (path_.empty() || file_) return false;
    // A folder, a read-only file or a missing folder fail here, before anything is made.
    // Reading the attributes below needs its own right; a write-only handle is refused that.
    // Reading tells a history log from another file.
    file_.emplace(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, kLogShare, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // The read-only mark is the user's word even where the open got through anyway (wine run
    // by root maps it to permission bits that root ignores); Windows itself refuses the open.
    // (Only the basic record: the full one asks for the volume too, a costly query under wine.)
    FILE_BASIC_INFO info{};
    if (file_->Valid() &&
        GetFileInformationByHandleEx(file_->Get(), FileBasicInfo, &info, sizeof info) &&
        !(info.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return true;
    }
    file_.reset();
    return false;
}

bool HistoryLogFile::Size(uint64_t& bytes) {
    LARGE_INTEGER size{};
    if (!file_ || !GetFileSizeEx(file_->Get(), &size)) return false;
    bytes = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool HistoryLogFile::ReadStart(size_t count, std::string& bytes) {
    const LARGE_INTEGER start{};
    if (!file_ || !SetFilePointerEx(file_->Get(), start, nullptr, FILE_BEGIN)) return false;
    bytes.assign(count, '\0');
    size_t got = 0;
    while (got < count) {
        DWORD n = 0;
        if (!ReadFile(file_->Get(), bytes.data() + got, static_cast<DWORD>(count - got), &n,
                      nullptr)) {
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return true;
}

bool HistoryLogFile::Truncate(uint64_t bytes) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(bytes);
    return file_ && SetFilePointerEx(file_->Get(), at, nullptr, FILE_BEGIN) &&
           SetEndOfFile(file_->Get());
}

bool HistoryLogFile::Append(std::string_view bytes) {
    const LARGE_INTEGER none{};
    if (!file_ || !SetFilePointerEx(file_->Get(), none, nullptr, FILE_END)) return false;
    DWORD wrote = 0;
    return WriteFile(file_->Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote,
                     nullptr) &&
           wrote == bytes.size();
}

bool HistoryLogFile::Close() {
    if (!file_) return false;
    const bool closed = file_->Close();
    file_.reset();
    return closed;
}

bool AppendHistoryLog(const std::wstring& path, const LogStamp& stamp,
                      const int32_t (&values)[kLogSensorCount]) {
    if (!IsLogPathAllowed(path) || IsProgramFileName(LongFileNameOf(path))) return false;
    HistoryLogFile file(path);
    return AppendLogSample(file, stamp, values);
}

}  // namespace velmora
