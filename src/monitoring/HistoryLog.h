// The monitoring window's history log: a UTF-16LE text file (no byte-order mark, CR LF) of one
// line per sample, its values in fixed columns under a header, restarted when it grows past
// 50 whole MiB. The format and the rules live here; the file itself is behind `LogFile`.
//
// The path is free text, so it is held to a rule before anything is opened, and a file that is
// already there is written to only when it is a history log: the log never lands on a file of
// the program's, nor on someone else's document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr int kLogSensorCount = 10;
// The stamp is padded to this many characters; the longest one ("2016-12-31 23:59:59") has 19,
// so the values always begin in the same column.
inline constexpr size_t kLogStampWidth = 20;
// Where each sensor's value begins after the stamp: the column of its title in the header.
inline constexpr size_t kLogValueColumns[kLogSensorCount] = {0,  17,  37,  60,  77,
                                                             97, 116, 133, 155, 174};
// A file larger than this many whole MiB (bytes / 1024 / 1024) is emptied before the next line.
inline constexpr uint64_t kLogRestartAboveMiB = 50;

// A local clock reading.
struct LogStamp {
    int year, month, day, hour, minute, second;
};

// "%d-%d-%d %d:%d:%d", without leading zeros (2016-5-9 8:7:6).
std::u16string FormatLogStamp(const LogStamp& stamp);
// The two header lines and one data line exactly as the log holds them, "\r\n" included.
std::u16string LogHeaderLines(const std::u16string& stamp);
std::u16string LogDataLine(const std::u16string& stamp, const int32_t (&values)[kLogSensorCount]);

// How many bytes the two header lines take in the file (the stamp padded, so whatever the stamp).
size_t LogHeaderBytes();
// Whether a file's first bytes are the two header lines exactly as a sample writes them: UTF-16LE
// without a byte-order mark, the same padded stamp (digits, '-', ':' and blanks) before both.
// Only such a file is appended to or restarted.
bool IsHistoryLogStart(std::string_view firstBytes);

// Whether the log may be written at `path`: a full path ("X:\..." or "\\server\share\...";
// a relative one would follow the current directory wherever a dialog left it), no device
// namespace ("\\?\", "\\.\"), no stream or device name ("CON", "NUL.txt", "COM1"), and not
// the name of one of the program's own files ("Velmora.xml", "Norvane.dll", ...) in any folder.
bool IsLogPathAllowed(std::wstring_view path);

// The file behind the log, so the rules run without a platform. AppendLogSample calls Open
// first and, once Open succeeded, Close last, whatever happened between.
class LogFile {
  public:
    virtual ~LogFile() = default;
    // Opens the file for writing, creating it empty when it is missing; others may read (and
    // write) it while it is open. False when it can be neither opened nor created.
    virtual bool Open() = 0;
    // The open file's size in bytes.
    virtual bool Size(uint64_t& bytes) = 0;
    // Up to `count` bytes from the open file's beginning (fewer when it is shorter).
    virtual bool ReadStart(size_t count, std::string& bytes) = 0;
    // Cuts the open file to `bytes` (0 empties it).
    virtual bool Truncate(uint64_t bytes) = 0;
    // Writes `bytes` at the end of the open file in one write; false unless all of them went.
    virtual bool Append(std::string_view bytes) = 0;
    // False when closing reported an error (what was written may then be incomplete).
    virtual bool Close() = 0;
};

// One sample: creates the file when missing, leaves a file that is neither empty nor a history
// log untouched, restarts a log above 50 whole MiB, writes the two header lines into an empty
// file, appends the line, closes. False when the line could not be written (it is then lost;
// the caller goes on sampling).
bool AppendLogSample(LogFile& file, const LogStamp& stamp,
                     const int32_t (&values)[kLogSensorCount]);

}  // namespace velmora
