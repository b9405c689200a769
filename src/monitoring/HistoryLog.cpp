#include "monitoring/HistoryLog.h"

#include <cstdio>

#include "config/ProgramFiles.h"

namespace velmora {
namespace {

constexpr char16_t kTitleLine[] = u"Velmora(Tessarin) -- Hardware monitoring logFile\r\n";
// Each title is followed by eight blanks; the value columns are where the titles begin.
constexpr char16_t kColumnLine[] =
    u"GPU clock        "
    u"Memory clock        "
    u"GPU temperature        "
    u"GPU usage        "
    u"Memory usage        "
    u"GPU voltage        "
    u"Fan speed        "
    u"Fan tachometer        "
    u"PowerTarget        "
    u"Shader clock\r\n";
constexpr char16_t kLineEnd[] = u"\r\n";
constexpr uint64_t kBytesPerMiB = 1024 * 1024;
constexpr size_t kTitleChars = sizeof kTitleLine / sizeof kTitleLine[0] - 1;
constexpr size_t kColumnChars = sizeof kColumnLine / sizeof kColumnLine[0] - 1;
constexpr size_t kHeaderChars = 2 * kLogStampWidth + kTitleChars + kColumnChars;

// The characters a stamp and its padding are made of.
bool IsStampChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'-' || c == u':' || c == u' ';
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "CON", "PRN", "AUX", "NUL", "COM1".."COM9", "LPT1".."LPT9", whatever follows a dot: names the
// system gives to devices in every folder.
bool IsDeviceName(std::wstring_view name) {
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    auto is = [&](const wchar_t* device) {
        size_t i = 0;
        for (; device[i] && i < name.size(); ++i) {
            if (upper(name[i]) != device[i]) return false;
        }
        return !device[i] && i == name.size();
    };
    if (is(L"CON") || is(L"PRN") || is(L"AUX") || is(L"NUL")) return true;
    if (name.size() != 4 || name[3] < L'1' || name[3] > L'9') return false;
    name.remove_suffix(1);
    return is(L"COM") || is(L"LPT");
}

// Widens the ASCII that snprintf gave.
void AppendAscii(std::u16string& out, const char* text) {
    for (; *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
}

void PadTo(std::u16string& line, size_t width) {
    if (line.size() < width) line.append(width - line.size(), u' ');
}

std::u16string PaddedStamp(const std::u16string& stamp) {
    std::u16string line = stamp;
    PadTo(line, kLogStampWidth);
    return line;
}

// Two bytes per code unit, low byte first, whatever the host's byte order or wchar_t.
std::string EncodeUtf16Le(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace

std::u16string FormatLogStamp(const LogStamp& stamp) {
    char text[80];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", stamp.year, stamp.month, stamp.day,
                  stamp.hour, stamp.minute, stamp.second);
    std::u16string out;
    AppendAscii(out, text);
    return out;
}

std::u16string LogHeaderLines(const std::u16string& stamp) {
    const std::u16string padded = PaddedStamp(stamp);
    return padded + kTitleLine + padded + kColumnLine;
}

std::u16string LogDataLine(const std::u16string& stamp, const int32_t (&values)[kLogSensorCount]) {
    std::u16string line = PaddedStamp(stamp);
    for (int k = 0; k < kLogSensorCount; ++k) {
        if (values[k] == 0) continue;  // a zero leaves its column blank
        PadTo(line, kLogStampWidth + kLogValueColumns[k]);
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(values[k]));
        AppendAscii(line, text);
    }
    line += kLineEnd;
    return line;
}

size_t LogHeaderBytes() {
    return 2 * kHeaderChars;
}

bool IsHistoryLogStart(std::string_view firstBytes) {
    if (firstBytes.size() < LogHeaderBytes()) return false;
    auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(firstBytes[2 * i]) |
                                     (static_cast<unsigned char>(firstBytes[2 * i + 1]) << 8));
    };
    if (unit(0) < u'0' || unit(0) > u'9') return false;
    for (size_t i = 0; i < kLogStampWidth; ++i) {
        if (!IsStampChar(unit(i)) || unit(i) != unit(kLogStampWidth + kTitleChars + i)) {
            return false;
        }
    }
    for (size_t i = 0; i < kTitleChars; ++i) {
        if (unit(kLogStampWidth + i) != kTitleLine[i]) return false;
    }
    const size_t columns = 2 * kLogStampWidth + kTitleChars;
    for (size_t i = 0; i < kColumnChars; ++i) {
        if (unit(columns + i) != kColumnLine[i]) return false;
    }
    return true;
}

bool IsLogPathAllowed(std::wstring_view path) {
    // A full path only: "X:\" with a drive letter, or a share "\\server\share\".
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && IsSeparator(path[2]);
    const bool share = path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                       !IsSeparator(path[2]) && path[2] != L'?' && path[2] != L'.';
    if (!drive && !share) return false;
    // A colon past the drive names a stream of some file, or is no name at all.
    if (path.find(L':', drive ? 2 : 0) != std::wstring_view::npos) return false;
    size_t nameAt = path.size();
    while (nameAt > 0 && !IsSeparator(path[nameAt - 1])) --nameAt;
    const std::wstring_view name = path.substr(nameAt);
    return !NamedFile(name).empty() && !IsDeviceName(name) && !IsProgramFileName(name);
}

bool AppendLogSample(LogFile& file, const LogStamp& stamp,
                     const int32_t (&values)[kLogSensorCount]) {
    if (!file.Open()) return false;
    uint64_t size = 0;
    bool ok = file.Size(size);
    if (ok && size > 0) {
        // Whatever else is there (a document, a settings file) is not ours to add to or empty.
        std::string start;
        ok = file.ReadStart(LogHeaderBytes(), start) && IsHistoryLogStart(start);
    }
    if (ok && size / kBytesPerMiB > kLogRestartAboveMiB) {
        ok = file.Truncate(0);
        size = 0;
    }
    if (ok) {
        const std::u16string text = FormatLogStamp(stamp);
        const std::u16string lines = size == 0 ? LogHeaderLines(text) + LogDataLine(text, values)
                                               : LogDataLine(text, values);
        ok = file.Append(EncodeUtf16Le(lines));
        // A write that stopped half-way would leave a torn header or line for every reader
        // after it; cut the file back to where it was.
        if (!ok) file.Truncate(size);
    }
    const bool closed = file.Close();
    return ok && closed;
}

}  // namespace velmora
