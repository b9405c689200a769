#include "monitoring/HistoryLog.h"

#include <cstdio>

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

bool AppendLogSample(LogFile& file, const LogStamp& stamp,
                     const int32_t (&values)[kLogSensorCount]) {
    if (!file.Open()) return false;
    uint64_t size = 0;
    bool ok = file.Size(size);
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
