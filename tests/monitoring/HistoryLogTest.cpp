// The history log: the stamp, the header and data lines, the rules of one sample (create,
// header into an empty file, restart above 50 whole MiB, nothing torn left behind, no file but a
// history log written to) against a file in memory and against a real file written through the
// standard library, and the rule of the paths it may be written at.
#include "monitoring/HistoryLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace velmora {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;

using Values = int32_t[kLogSensorCount];

// Readable failure messages for UTF-16 text.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The bytes as the log file must hold them: UTF-16LE, decoded here independently of the writer.
std::u16string DecodeUtf16Le(const std::string& bytes) {
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return out;
}

// The bytes the log writes for `text`, encoded here independently of the writer.
std::string EncodeUtf16Le(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

const LogStamp kMay9{2016, 5, 9, 8, 7, 6};
// The start of a log another run began.
const std::string kEarlierHeader = EncodeUtf16Le(LogHeaderLines(u"2015-11-30 23:5:0"));
const Values kAllTen = {1531, 3505, 65, 97, 2048, 1050, 45, 1800, 87, 1620};

// ---- the text ----

TEST(HistoryLogText, StampHasNoLeadingZeros) {
    const struct {
        LogStamp stamp;
        const char16_t* text;
    } cases[] = {
        {{2016, 5, 9, 8, 7, 6}, u"2016-5-9 8:7:6"},
        {{2016, 12, 31, 23, 59, 59}, u"2016-12-31 23:59:59"},
        {{2024, 1, 1, 0, 0, 0}, u"2024-1-1 0:0:0"},
        {{2025, 10, 5, 10, 0, 9}, u"2025-10-5 10:0:9"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLogStamp(c.stamp), c.text);
    // The longest real stamp still leaves one blank before the values.
    EXPECT_EQ(FormatLogStamp({2016, 12, 31, 23, 59, 59}).size(), kLogStampWidth - 1);
}

TEST(HistoryLogText, HeaderLinesLetterForLetter) {
    EXPECT_EQ(Narrow(LogHeaderLines(u"2016-5-9 8:7:6")),
              "2016-5-9 8:7:6      Velmora(Tessarin) -- Hardware monitoring logFile\r\n"
              "2016-5-9 8:7:6      GPU clock        Memory clock        GPU temperature        "
              "GPU usage        Memory usage        GPU voltage        Fan speed        "
              "Fan tachometer        PowerTarget        Shader clock\r\n");
}

// A value is found under its title: the columns are where the header's titles begin.
TEST(HistoryLogText, ValueColumnsAreTheTitlesColumns) {
    const std::u16string header = LogHeaderLines(u"2016-5-9 8:7:6");
    const size_t second = header.find(u"\r\n") + 2;
    const std::u16string columns = header.substr(second + kLogStampWidth);
    const char16_t* titles[kLogSensorCount] = {
        u"GPU clock",   u"Memory clock", u"GPU temperature", u"GPU usage",   u"Memory usage",
        u"GPU voltage", u"Fan speed",    u"Fan tachometer",  u"PowerTarget", u"Shader clock"};
    for (int k = 0; k < kLogSensorCount; ++k) {
        EXPECT_EQ(columns.find(titles[k]), kLogValueColumns[k]) << Narrow(titles[k]);
        // Each value starts a blank-separated word of the header, not inside another title.
        if (kLogValueColumns[k] > 0) {
            EXPECT_EQ(columns[kLogValueColumns[k] - 1], u' ');
        }
    }
}

TEST(HistoryLogText, FullLineHasEveryValueAtItsColumn) {
    const std::u16string line = LogDataLine(u"2016-5-9 8:7:6", kAllTen);
    EXPECT_EQ(Narrow(line),
              "2016-5-9 8:7:6      "
              "1531             "
              "3505                "
              "65                     "
              "97               "
              "2048                "
              "1050               "
              "45               "
              "1800                  "
              "87                 "
              "1620\r\n");
}

TEST(HistoryLogText, ZeroLeavesItsColumnBlank) {
    Values values = {1531, 3505, 65, 0, 2048, 1050, 45, 1800, 87, 1620};  // GPU usage 0 %
    const std::u16string line = LogDataLine(u"2016-5-9 8:7:6", values);
    const size_t usage = kLogStampWidth + kLogValueColumns[3];
    const size_t memory = kLogStampWidth + kLogValueColumns[4];
    // From the end of the temperature up to the memory usage: blanks only.
    const size_t afterTemperature = kLogStampWidth + kLogValueColumns[2] + 2;
    EXPECT_EQ(line.substr(afterTemperature, memory - afterTemperature),
              std::u16string(memory - afterTemperature, u' '));
    EXPECT_EQ(line[usage], u' ');
    EXPECT_EQ(line.substr(memory, 4), u"2048");

    const Values none = {};
    EXPECT_EQ(LogDataLine(u"2016-5-9 8:7:6", none), u"2016-5-9 8:7:6      \r\n");
    Values onlyShader = {};
    onlyShader[9] = 1620;
    EXPECT_EQ(LogDataLine(u"2016-5-9 8:7:6", onlyShader),
              std::u16string(u"2016-5-9 8:7:6") + std::u16string(6 + 174, u' ') + u"1620\r\n");
}

TEST(HistoryLogText, ValuesPrintedAsSignedDecimals) {
    const struct {
        int32_t value;
        const char16_t* text;
    } cases[] = {{-5, u"-5"}, {INT32_MIN, u"-2147483648"}, {INT32_MAX, u"2147483647"}, {7, u"7"}};
    for (const auto& c : cases) {
        for (int k = 0; k < kLogSensorCount; ++k) {
            Values values = {};
            values[k] = c.value;
            const std::u16string line = LogDataLine(u"2016-5-9 8:7:6", values);
            const size_t at = kLogStampWidth + kLogValueColumns[k];
            EXPECT_EQ(line.substr(at), std::u16string(c.text) + u"\r\n") << "sensor " << k;
            EXPECT_EQ(line.find_first_not_of(u' ', kLogStampWidth), at) << "sensor " << k;
        }
    }
}

TEST(HistoryLogText, LongestStampStillBeginsDataAtColumn20) {
    const std::u16string stamp = FormatLogStamp({2016, 12, 31, 23, 59, 59});
    const std::u16string line = LogDataLine(stamp, kAllTen);
    EXPECT_EQ(line.substr(0, kLogStampWidth), u"2016-12-31 23:59:59 ");
    EXPECT_EQ(line.substr(kLogStampWidth, 4), u"1531");
    // The same columns as under a short stamp: the whole rest of the line is the same.
    const std::u16string shortLine = LogDataLine(u"2016-5-9 8:7:6", kAllTen);
    EXPECT_EQ(line.substr(kLogStampWidth), shortLine.substr(kLogStampWidth));
}

// A line already past a column takes the value directly; later columns still line up.
TEST(HistoryLogText, ValuePastItsColumnFollowsDirectly) {
    const std::u16string stamp(40, u'x');  // reaches past GPU clock (20) and memory clock (37)
    const Values values = {1531, 3505, 65};
    EXPECT_EQ(Narrow(LogDataLine(stamp, values)),
              std::string(40, 'x') + "15313505" + std::string(20 + 37 - 48, ' ') + "65\r\n");
    // A stamp of exactly 20 characters is not padded; the first value is right behind it.
    EXPECT_EQ(Narrow(LogDataLine(std::u16string(20, u'y'), values)).substr(18, 8), "yy1531  ");
}

// ---- the rules of one sample, on a file in memory ----

// A file whose first `unbacked` bytes are only counted (so 51 MiB costs nothing) but for the
// `head` they start with, and whose written bytes follow in `bytes`; each call can be made to
// fail.
class MemoryLogFile : public LogFile {
  public:
    bool exists = false;
    uint64_t unbacked = 0;
    std::string head;  // at most `unbacked` bytes; zeros follow
    std::string bytes;

    bool failOpen = false, failSize = false, failRead = false, failTruncate = false,
         failClose = false;
    // An append writes only this many bytes and then fails (a full disk).
    size_t appendStopsAfter = SIZE_MAX;

    int opens = 0, closes = 0, appends = 0, truncates = 0;
    bool open = false;

    uint64_t Total() const { return unbacked + bytes.size(); }

    bool Open() override {
        ++opens;
        if (failOpen) return false;
        exists = open = true;
        return true;
    }
    bool Size(uint64_t& size) override {
        EXPECT_TRUE(open);
        if (failSize) return false;
        size = Total();
        return true;
    }
    bool ReadStart(size_t count, std::string& out) override {
        EXPECT_TRUE(open);
        if (failRead) return false;
        std::string start =
            head.substr(0, static_cast<size_t>(std::min<uint64_t>(head.size(), unbacked)));
        start.append(static_cast<size_t>(std::min<uint64_t>(unbacked - start.size(), count)), '\0');
        start += bytes;
        out = start.substr(0, count);
        return true;
    }
    bool Truncate(uint64_t size) override {
        EXPECT_TRUE(open);
        ++truncates;
        if (failTruncate || size > Total()) return false;
        if (size <= unbacked) {
            unbacked = size;
            if (head.size() > size) head.resize(static_cast<size_t>(size));
            bytes.clear();
        } else {
            bytes.resize(static_cast<size_t>(size - unbacked));
        }
        return true;
    }
    bool Append(std::string_view data) override {
        EXPECT_TRUE(open);
        ++appends;
        const size_t put = std::min(data.size(), appendStopsAfter);
        bytes.append(data.substr(0, put));
        return put == data.size();
    }
    bool Close() override {
        EXPECT_TRUE(open);
        ++closes;
        open = false;
        return !failClose;
    }
};

TEST(HistoryLogSample, NewFileGetsHeaderThenLineInOneWrite) {
    MemoryLogFile file;
    EXPECT_TRUE(AppendLogSample(file, kMay9, kAllTen));
    EXPECT_TRUE(file.exists);
    EXPECT_EQ(file.opens, 1);
    EXPECT_EQ(file.appends, 1);
    EXPECT_EQ(file.closes, 1);
    EXPECT_FALSE(file.open);
    const std::u16string stamp = u"2016-5-9 8:7:6";
    EXPECT_EQ(DecodeUtf16Le(file.bytes), LogHeaderLines(stamp) + LogDataLine(stamp, kAllTen));
}

TEST(HistoryLogSample, HeaderOnlyIntoAnEmptyFile) {
    MemoryLogFile file;
    ASSERT_TRUE(AppendLogSample(file, kMay9, kAllTen));
    const LogStamp later{2016, 5, 9, 8, 7, 7};
    const Values other = {1000, 0, 50};
    ASSERT_TRUE(AppendLogSample(file, later, other));
    EXPECT_EQ(DecodeUtf16Le(file.bytes), LogHeaderLines(u"2016-5-9 8:7:6") +
                                             LogDataLine(u"2016-5-9 8:7:6", kAllTen) +
                                             LogDataLine(u"2016-5-9 8:7:7", other));

    // Another run's log is appended to, under its own header.
    MemoryLogFile earlier;
    earlier.exists = true;
    earlier.bytes = kEarlierHeader;
    ASSERT_TRUE(AppendLogSample(earlier, kMay9, kAllTen));
    EXPECT_EQ(earlier.bytes,
              kEarlierHeader + EncodeUtf16Le(LogDataLine(u"2016-5-9 8:7:6", kAllTen)));
}

// Only an empty file or a history log is written to: a path that names someone else's file (or
// the program's settings file) leaves it as it was, whatever its size.
TEST(HistoryLogSample, AFileThatIsNoHistoryLogIsLeftAsItWas) {
    const std::string header = kEarlierHeader;
    const std::u16string first = LogHeaderLines(u"2016-5-9 8:7:6");
    const std::u16string second = LogHeaderLines(u"2016-5-9 8:7:7");
    const std::u16string mixedStamps =
        first.substr(0, first.find(u"\r\n") + 2) + second.substr(second.find(u"\r\n") + 2);
    const struct {
        std::string start;
        const char* what;
    } others[] = {
        {"x", "one byte of someone else's"},
        {"<?xml version=\"1.0\"?><Velmora>", "the settings file"},
        {header.substr(0, header.size() - 2), "a header cut short"},
        {"\xFF\xFE" + header, "the header behind a byte-order mark"},
        {EncodeUtf16Le(mixedStamps), "two different stamps"},
        {EncodeUtf16Le(u"Dear diary,         Velmora(Tessarin) -- Hardware monitoring logFile\r\n"),
         "a title line without a stamp"},
        {std::string(header.size(), '\0'), "zeros"},
    };
    for (const auto& other : others) {
        for (const uint64_t size : {uint64_t{0}, 60 * kMiB}) {
            MemoryLogFile file;
            file.exists = true;
            if (size == 0) {
                file.bytes = other.start;
            } else {
                file.unbacked = size;
                file.head = other.start;
            }
            EXPECT_FALSE(AppendLogSample(file, kMay9, kAllTen)) << other.what << " " << size;
            EXPECT_EQ(file.truncates, 0) << other.what << " " << size;
            EXPECT_EQ(file.appends, 0) << other.what << " " << size;
            EXPECT_EQ(file.Total(), size == 0 ? other.start.size() : size) << other.what;
            EXPECT_EQ(file.closes, 1) << other.what;
        }
    }
}

TEST(HistoryLogSample, TheHeaderTellsALogWhateverItsStamp) {
    for (const char16_t* stamp : {u"2016-5-9 8:7:6", u"2016-12-31 23:59:59", u"1-1-1 0:0:0"}) {
        const std::string start = EncodeUtf16Le(LogHeaderLines(stamp));
        EXPECT_EQ(start.size(), LogHeaderBytes());
        EXPECT_TRUE(IsHistoryLogStart(start + "more"));
        EXPECT_FALSE(IsHistoryLogStart(start.substr(0, start.size() - 1)));
    }
}

TEST(HistoryLogSample, RestartsOnlyAboveFiftyWholeMiB) {
    const std::u16string stamp = u"2016-5-9 8:7:6";
    const std::u16string header = LogHeaderLines(stamp);
    const std::u16string line = LogDataLine(stamp, kAllTen);
    const struct {
        uint64_t size;
        bool restarts;
    } cases[] = {
        {kEarlierHeader.size(), false},  // a log of nothing but its header
        {50 * kMiB, false},
        {50 * kMiB + 6, false},
        {51 * kMiB - 1, false},  // still 50 whole MiB
        {51 * kMiB, true},
        {51 * kMiB + 1, true},
        {4096 * kMiB + 2, true},  // past 32 bits
    };
    for (const auto& c : cases) {
        MemoryLogFile file;
        file.exists = true;
        file.unbacked = c.size;
        file.head = kEarlierHeader;
        ASSERT_TRUE(AppendLogSample(file, kMay9, kAllTen)) << c.size;
        if (c.restarts) {
            EXPECT_EQ(file.unbacked, 0u) << c.size;
            EXPECT_EQ(DecodeUtf16Le(file.bytes), header + line) << c.size;
        } else {
            EXPECT_EQ(file.unbacked, c.size) << c.size;
            EXPECT_EQ(file.truncates, 0) << c.size;
            EXPECT_EQ(DecodeUtf16Le(file.bytes), line) << c.size;
        }
    }
}

// Whatever fails, the sample reports it, the file is closed when it was opened, and no torn
// header or line stays behind.
TEST(HistoryLogSample, FailuresLoseTheLineAndLeaveTheFileAsItWas) {
    enum Fault {
        kOpen,
        kSize,
        kRead,
        kTruncateOnRestart,
        kAppendHalfIntoEmpty,
        kAppendHalfAtEnd,
        kNone
    };
    const struct {
        Fault fault;
        uint64_t unbacked;
        const char* what;
    } cases[] = {
        {kOpen, 0, "cannot open or create"},
        {kSize, 4096, "size unknown"},
        {kRead, 4096, "cannot read its start"},
        {kTruncateOnRestart, 60 * kMiB, "cannot empty"},
        {kAppendHalfIntoEmpty, 0, "write stops inside the header"},
        {kAppendHalfAtEnd, 4096, "write stops inside the line"},
    };
    for (const auto& c : cases) {
        MemoryLogFile file;
        file.exists = c.unbacked > 0;
        file.unbacked = c.unbacked;
        if (c.unbacked > 0) file.head = kEarlierHeader;  // a log from an earlier run
        file.failOpen = c.fault == kOpen;
        file.failSize = c.fault == kSize;
        file.failRead = c.fault == kRead;
        file.failTruncate = c.fault == kTruncateOnRestart;
        if (c.fault == kAppendHalfIntoEmpty || c.fault == kAppendHalfAtEnd)
            file.appendStopsAfter = 11;
        EXPECT_FALSE(AppendLogSample(file, kMay9, kAllTen)) << c.what;
        EXPECT_EQ(file.Total(), c.unbacked) << c.what;
        EXPECT_EQ(file.bytes, "") << c.what;
        EXPECT_FALSE(file.open) << c.what;
        EXPECT_EQ(file.closes, c.fault == kOpen ? 0 : 1) << c.what;
        if (c.fault == kSize || c.fault == kRead || c.fault == kTruncateOnRestart) {
            EXPECT_EQ(file.appends, 0) << c.what;
        }
    }

    // A close that reports an error: the line may not be on the disk, so the sample says so.
    MemoryLogFile file;
    file.failClose = true;
    EXPECT_FALSE(AppendLogSample(file, kMay9, kAllTen));
    EXPECT_EQ(file.closes, 1);
}

// ---- a real file ----

// The log through the standard library, as a user's file on this platform.
class StdioLogFile : public LogFile {
  public:
    explicit StdioLogFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~StdioLogFile() override {
        if (file_) std::fclose(file_);
    }

    bool Open() override {
        // Append mode creates a missing file and writes at the end whatever the size became.
        file_ = std::fopen(path_.string().c_str(), "ab");
        return file_ != nullptr;
    }
    bool Size(uint64_t& bytes) override {
        std::error_code error;
        bytes = std::filesystem::file_size(path_, error);
        return !error;
    }
    bool ReadStart(size_t count, std::string& bytes) override {
        std::ifstream in(path_, std::ios::binary);
        if (!in) return false;
        bytes.assign(count, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(count));
        bytes.resize(static_cast<size_t>(in.gcount()));
        return true;
    }
    bool Truncate(uint64_t bytes) override {
        std::error_code error;
        std::filesystem::resize_file(path_, bytes, error);
        return !error;
    }
    bool Append(std::string_view bytes) override {
        return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
               std::fflush(file_) == 0;
    }
    bool Close() override {
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

  private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
};

class HistoryLogFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("velmora-log-" + std::string(test->name()) + "-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        ASSERT_TRUE(std::filesystem::create_directory(dir_));
        path_ = dir_ / "history.log";
    }
    void TearDown() override {
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }
    std::string ReadAll() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A file of `size` bytes that starts with `start`, zeros after it without writing them
    // (sparse where the system can).
    void MakeFileOfSize(uint64_t size, const std::string& start) {
        std::ofstream(path_, std::ios::binary) << start;
        std::filesystem::resize_file(path_, size);
    }
    // The last `bytes` bytes of the file.
    std::string Tail(uint64_t bytes) const {
        std::ifstream in(path_, std::ios::binary);
        in.seekg(-static_cast<std::streamoff>(bytes), std::ios::end);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
    std::filesystem::path path_;
};

TEST_F(HistoryLogFileTest, TwoSamplesDecodeAsUtf16LeWithoutByteOrderMark) {
    StdioLogFile file(path_);
    ASSERT_TRUE(AppendLogSample(file, kMay9, kAllTen));
    Values second = {1500, 3505, 66, 0, 2050, 1043, 46, 1810, 0, 1600};
    ASSERT_TRUE(AppendLogSample(file, {2016, 5, 9, 8, 7, 7}, second));

    const std::string bytes = ReadAll();
    ASSERT_EQ(bytes.size() % 2, 0u);
    // No byte-order mark: the file starts with the stamp's "2" as a little-endian unit.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], '2');
    EXPECT_EQ(bytes[1], '\0');
    const std::u16string text = DecodeUtf16Le(bytes);
    EXPECT_EQ(Narrow(text),
              "2016-5-9 8:7:6      Velmora(Tessarin) -- Hardware monitoring logFile\r\n"
              "2016-5-9 8:7:6      GPU clock        Memory clock        GPU temperature        "
              "GPU usage        Memory usage        GPU voltage        Fan speed        "
              "Fan tachometer        PowerTarget        Shader clock\r\n" +
                  Narrow(LogDataLine(u"2016-5-9 8:7:6", kAllTen)) +
                  Narrow(LogDataLine(u"2016-5-9 8:7:7", second)));
    // Every line ends CR LF, and there is no lone LF.
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n') continue;
        ++lines;
        EXPECT_TRUE(i > 0 && text[i - 1] == u'\r') << "at " << i;
    }
    EXPECT_EQ(lines, 4u);
}

TEST_F(HistoryLogFileTest, FiftyMiBAndAFewBytesIsAppendedTo) {
    const uint64_t size = 50 * kMiB + 6;
    MakeFileOfSize(size, kEarlierHeader);
    StdioLogFile file(path_);
    ASSERT_TRUE(AppendLogSample(file, kMay9, kAllTen));
    const uint64_t lineBytes = LogDataLine(u"2016-5-9 8:7:6", kAllTen).size() * 2;
    EXPECT_EQ(std::filesystem::file_size(path_), size + lineBytes);
    EXPECT_EQ(DecodeUtf16Le(Tail(lineBytes)), LogDataLine(u"2016-5-9 8:7:6", kAllTen));
}

TEST_F(HistoryLogFileTest, FiftyOneMiBStartsAgainWithTheHeader) {
    MakeFileOfSize(51 * kMiB, kEarlierHeader);
    StdioLogFile file(path_);
    ASSERT_TRUE(AppendLogSample(file, kMay9, kAllTen));
    EXPECT_EQ(DecodeUtf16Le(ReadAll()),
              LogHeaderLines(u"2016-5-9 8:7:6") + LogDataLine(u"2016-5-9 8:7:6", kAllTen));
}

TEST_F(HistoryLogFileTest, FiftyOneMiBOfSomethingElseStaysAsItWas) {
    const std::string start = "<?xml version=\"1.0\"?>\n<Velmora>";
    MakeFileOfSize(51 * kMiB, start);
    StdioLogFile file(path_);
    EXPECT_FALSE(AppendLogSample(file, kMay9, kAllTen));
    EXPECT_EQ(std::filesystem::file_size(path_), 51 * kMiB);
    std::ifstream in(path_, std::ios::binary);
    std::string head(start.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, start);
}

// ---- where the log may be written ----

TEST(HistoryLogPath, OnlyAFullPathThatIsNoneOfTheProgramsFiles) {
    const struct {
        const wchar_t* path;
        bool allowed;
        const char* what;
    } cases[] = {
        {L"C:\\logs\\gpu.txt", true, "a full path"},
        {L"d:/logs/gpu.txt", true, "forward slashes"},
        {L"\\\\server\\share\\gpu.txt", true, "a share"},
        {L"C:\\Users\\Jo Doe\\Velmora.txt", true, "the dialog's own suggestion"},
        {L"C:\\logs\\Velmora.xml.txt", true, "a program file's name inside another"},
        {L"Velmora.xml", false, "relative: follows the current directory"},
        {L"logs\\gpu.txt", false, "relative folder"},
        {L"..\\gpu.txt", false, "the parent of the current directory"},
        {L"\\logs\\gpu.txt", false, "the current drive's root"},
        {L"C:gpu.txt", false, "the current directory of drive C"},
        {L"", false, "empty"},
        {L"C:\\Program Files\\Velmora\\Velmora.xml", false, "the settings file"},
        {L"C:\\Program Files\\Velmora\\velmora.XML. ", false, "the same, as the system stores it"},
        {L"D:\\elsewhere\\Norvane.dll", false, "a skin pack's name in any folder"},
        {L"C:\\Velmora\\Velmora.exe", false, "the program"},
        {L"C:\\Velmora\\nvflash.exe", false, "the flashing tool"},
        {L"C:\\Velmora\\Velmora.fanhold", false, "the fan marker"},
        {L"C:\\logs\\gpu.txt:hidden", false, "a stream"},
        {L"C:\\logs\\Velmora.xml::$DATA", false, "a stream of a program file"},
        {L"C:\\logs\\NUL", false, "a device"},
        {L"C:\\logs\\con.txt", false, "a device with an extension"},
        {L"C:\\logs\\COM3.log", false, "a serial port"},
        {L"C:\\logs\\COM10.log", true, "no device has that name"},
        {L"C:\\logs\\console.txt", true, "a longer name"},
        {L"\\\\.\\C:\\logs\\gpu.txt", false, "the device namespace"},
        {L"\\\\?\\C:\\logs\\gpu.txt", false, "the verbatim namespace"},
        {L"C:\\logs\\", false, "a folder"},
        {L"C:\\logs\\..", false, "a folder by its dots"},
    };
    for (const auto& c : cases) EXPECT_EQ(IsLogPathAllowed(c.path), c.allowed) << c.what;
}

}  // namespace
}  // namespace velmora
