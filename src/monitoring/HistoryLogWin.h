// The history log on the Win32 file interface.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "monitoring/HistoryLog.h"
#include "win32/Handles.h"

namespace velmora {

// The log file at a path taken verbatim, opened for one sample at a time and shared for
// reading and writing meanwhile.
class HistoryLogFile final : public LogFile {
  public:
    explicit HistoryLogFile(std::wstring path) : path_(std::move(path)) {}

    bool Open() override;
    bool Size(uint64_t& bytes) override;
    bool ReadStart(size_t count, std::string& bytes) override;
    bool Truncate(uint64_t bytes) override;
    bool Append(std::string_view bytes) override;
    bool Close() override;

  private:
    std::wstring path_;
    std::optional<FileHandle> file_;
};

// The log at `path` on the Win32 file interface, when the path rule allows it (a short form of
// a name is checked as its long form); otherwise nothing is opened and the line is lost.
bool AppendHistoryLog(const std::wstring& path, const LogStamp& stamp,
                      const int32_t (&values)[kLogSensorCount]);

}  // namespace velmora
