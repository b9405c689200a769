// The history log on the real Win32 file: appended sample after sample, readable (and kept
// readable) by an editor's handle while the program writes, refused quietly where it cannot
// be written, without making anything, and never written into a file that is not a history log
// or at a path the rule refuses (a relative one, a program file's name, its short form too).
#include "monitoring/HistoryLogWin.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;
const LogStamp kStamp{2016, 5, 9, 8, 7, 6};
const int32_t kValues[kLogSensorCount] = {1531, 3505, 65, 97, 2048, 1050, 45, 1800, 87, 1620};

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// What a reader gets from `h` starting at `offset`.
std::string ReadFrom(HANDLE h, LONGLONG offset) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) return "<seek failed>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

std::string ReadAll(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string out = ReadFrom(h, 0);
    CloseHandle(h);
    return out;
}

class HistoryLogWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        dir_ = std::wstring(temp) + L"velmora-log-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        path_ = dir_ + L"\\history.log";
    }
    void TearDown() override { RemoveTree(dir_); }

    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = dir + L"\\" + name;
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full);
                } else {
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &found));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }
    // The names in `dir_` (sorted as the system lists them).
    std::vector<std::wstring> Listing(const std::wstring& dir) const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (FindNextFileW(h, &found));
        FindClose(h);
        return names;
    }
    void WriteFileOf(const std::wstring& path, const std::string& bytes) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD put = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
        CloseHandle(h);
    }
    uint64_t SizeOf(const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return UINT64_MAX;
        return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    // A file of `size` bytes that starts with `start` (a log's header unless told otherwise),
    // zeros after it set by its end rather than written.
    void MakeFileOfSize(uint64_t size,
                        std::string start = Utf16LeBytes(LogHeaderLines(u"2015-1-1 0:0:0"))) {
        HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD put = 0;
        EXPECT_TRUE(WriteFile(h, start.data(), static_cast<DWORD>(start.size()), &put, nullptr));
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
        CloseHandle(h);
    }

    std::wstring dir_;
    std::wstring path_;
};

TEST_F(HistoryLogWinTest, TwoSamplesAppendToOneFile) {
    ASSERT_TRUE(AppendHistoryLog(path_, kStamp, kValues));
    const int32_t second[kLogSensorCount] = {1500, 0, 66};
    ASSERT_TRUE(AppendHistoryLog(path_, {2016, 5, 9, 8, 7, 7}, second));
    EXPECT_EQ(ReadAll(path_), Utf16LeBytes(LogHeaderLines(u"2016-5-9 8:7:6") +
                                           LogDataLine(u"2016-5-9 8:7:6", kValues) +
                                           LogDataLine(u"2016-5-9 8:7:7", second)));
}

// An editor that keeps the log open (reading, and allowing others to write) neither stops the
// program's samples nor is stopped by them.
TEST_F(HistoryLogWinTest, ReadableByAnotherHandleWhileOpenForWriting) {
    ASSERT_TRUE(AppendHistoryLog(path_, kStamp, kValues));
    const std::string first = ReadAll(path_);

    HANDLE editor = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    {
        // The program's side in the middle of a sample: open, and then the reader comes along.
        HistoryLogFile log(path_);
        ASSERT_TRUE(log.Open());
        HANDLE late = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(late, INVALID_HANDLE_VALUE) << GetLastError();
        EXPECT_EQ(ReadFrom(late, 0), first);
        const std::string more = Utf16LeBytes(LogDataLine(u"2016-5-9 8:7:7", kValues));
        ASSERT_TRUE(log.Append(more));
        EXPECT_EQ(ReadFrom(late, 0), first + more);
        CloseHandle(late);
        EXPECT_TRUE(log.Close());
    }
    // The whole samples, while the editor still holds its handle.
    ASSERT_TRUE(AppendHistoryLog(path_, {2016, 5, 9, 8, 7, 8}, kValues));
    const std::string tail = Utf16LeBytes(LogDataLine(u"2016-5-9 8:7:8", kValues));
    const std::string seen = ReadFrom(editor, 0);
    CloseHandle(editor);
    ASSERT_GE(seen.size(), tail.size());
    EXPECT_EQ(seen.substr(0, first.size()), first);
    EXPECT_EQ(seen.substr(seen.size() - tail.size()), tail);
}

// Where the line cannot go, the sample reports it and nothing is made or changed.
TEST_F(HistoryLogWinTest, UnwritablePathsLoseTheLineAndMakeNothing) {
    const std::wstring readOnly = dir_ + L"\\readonly.log";
    WriteFileOf(readOnly, "kept");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring folder = dir_ + L"\\folder";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::vector<std::wstring> before = Listing(dir_);

    const struct {
        std::wstring path;
        const char* what;
    } cases[] = {
        {dir_ + L"\\missing\\history.log", "folder that does not exist"},
        {readOnly, "read-only file"},
        {folder, "a folder as the path"},
        {folder + L"\\", "a folder with a trailing separator"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(AppendHistoryLog(c.path, kStamp, kValues)) << c.what;
        EXPECT_EQ(Listing(dir_), before) << c.what;
    }
    EXPECT_EQ(ReadAll(readOnly), "kept");
    EXPECT_TRUE(Listing(folder).empty());
    EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(HistoryLogWinTest, EmptyPathMakesNothingInTheCurrentFolder) {
    wchar_t previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
    const bool wrote = AppendHistoryLog(L"", kStamp, kValues);
    const std::vector<std::wstring> names = Listing(dir_);
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(wrote);
    EXPECT_TRUE(names.empty());
}

// The size rule on the real file: its size as the system reports it, past 32 bits included.
TEST_F(HistoryLogWinTest, RestartsAboveFiftyWholeMiB) {
    const uint64_t lineBytes = LogDataLine(u"2016-5-9 8:7:6", kValues).size() * 2;
    const std::string restarted =
        Utf16LeBytes(LogHeaderLines(u"2016-5-9 8:7:6") + LogDataLine(u"2016-5-9 8:7:6", kValues));
    const struct {
        uint64_t size;
        bool restarts;
    } cases[] = {{50 * kMiB + 6, false}, {51 * kMiB, true}, {4096 * kMiB + 2, true}};
    for (const auto& c : cases) {
        MakeFileOfSize(c.size);
        ASSERT_TRUE(AppendHistoryLog(path_, kStamp, kValues)) << c.size;
        if (c.restarts) {
            EXPECT_EQ(ReadAll(path_), restarted) << c.size;
        } else {
            EXPECT_EQ(SizeOf(path_), c.size + lineBytes) << c.size;
        }
    }
}

// Someone else's file at the log's path, small or past the restart size: never added to, never
// emptied.
TEST_F(HistoryLogWinTest, AFileThatIsNoLogIsNeverWritten) {
    const std::string settings =
        "<?xml version=\"1.0\"?>\r\n<Velmora><Version>300</Version></Velmora>\r\n";
    WriteFileOf(path_, settings);
    EXPECT_FALSE(AppendHistoryLog(path_, kStamp, kValues));
    EXPECT_EQ(ReadAll(path_), settings);

    MakeFileOfSize(51 * kMiB, settings);
    EXPECT_FALSE(AppendHistoryLog(path_, kStamp, kValues));
    EXPECT_EQ(SizeOf(path_), 51 * kMiB);
    EXPECT_EQ(ReadAll(path_).substr(0, settings.size()), settings);
}

// A relative path follows the current directory wherever a file dialog left it; a program
// file's name (by its long or its short form) would be that file where the program lies.
TEST_F(HistoryLogWinTest, RefusedPathsOpenNothing) {
    const std::string settings = "<Velmora/>";
    WriteFileOf(dir_ + L"\\Velmora.xml", settings);
    WriteFileOf(dir_ + L"\\VelmoraUpdate.xml", settings);
    const std::vector<std::wstring> before = Listing(dir_);

    wchar_t previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
    const bool relativeSettings = AppendHistoryLog(L"Velmora.xml", kStamp, kValues);
    const bool relativeNew = AppendHistoryLog(L"gpu.txt", kStamp, kValues);
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(relativeSettings);
    EXPECT_FALSE(relativeNew);

    EXPECT_FALSE(AppendHistoryLog(dir_ + L"\\Velmora.xml", kStamp, kValues));
    EXPECT_FALSE(AppendHistoryLog(dir_ + L"\\VELMORA.XML.", kStamp, kValues));
    wchar_t shortPath[MAX_PATH] = {};
    const std::wstring update = dir_ + L"\\VelmoraUpdate.xml";
    const DWORD n = GetShortPathNameW(update.c_str(), shortPath, MAX_PATH);
    if (n > 0 && n < MAX_PATH && std::wstring(shortPath).find(L'~') != std::wstring::npos) {
        EXPECT_FALSE(AppendHistoryLog(shortPath, kStamp, kValues)) << "short form";
    } else {
        ADD_FAILURE() << "the system gave no short form to test";
    }
    EXPECT_EQ(Listing(dir_), before);
    EXPECT_EQ(ReadAll(dir_ + L"\\Velmora.xml"), settings);
    EXPECT_EQ(ReadAll(update), settings);
}

}  // namespace
}  // namespace velmora
