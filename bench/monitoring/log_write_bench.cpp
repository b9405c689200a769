// Cost of one sample's history log write as the monitoring window makes it (open, size, restart
// if due, header if empty, one write, close) on a real file: a new file, a small one, one of
// 50 MiB (the size the log lives at most of its life) and the restart of one of 51 MiB.
//   log_write_bench [runs, default 300] [folder, default the temporary folder]
#include <windows.h>

#include "../BenchReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "monitoring/HistoryLogWin.h"

using namespace velmora;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;
const int32_t kValues[kLogSensorCount] = {1531, 3505, 65, 97, 2048, 1050, 45, 1800, 87, 1620};

LogStamp Stamp(int i) {
    return {2016, 12, 31, 23, (i / 60) % 60, i % 60};
}

double TimeOneSample(const std::wstring& path, int i) {
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = AppendHistoryLog(path, Stamp(i), kValues);
    const auto t1 = std::chrono::steady_clock::now();
    if (!ok) std::fprintf(stderr, "log_write_bench: a sample was not written\n");
    return std::chrono::duration<double, std::micro>(t1 - t0).count();
}

// A log of `size` bytes of real lines under its header (written, not a hole), so the restart
// frees real data; on the disk before it is timed, as a log that grew for a day and a half
// would be.
bool WriteLogOfSize(const std::wstring& path, uint64_t size) {
    const std::u16string stamp = FormatLogStamp(Stamp(0));
    const std::u16string line = LogDataLine(stamp, kValues);
    std::string header;
    for (const char16_t c : LogHeaderLines(stamp)) {
        header += static_cast<char>(c & 0xFF);
        header += static_cast<char>(c >> 8);
    }
    std::string chunk;
    while (chunk.size() < kMiB) {
        for (const char16_t c : line) {
            chunk += static_cast<char>(c & 0xFF);
            chunk += static_cast<char>(c >> 8);
        }
    }
    chunk.resize(kMiB);
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || size < header.size()) return false;
    DWORD put = 0;
    if (!WriteFile(file.Get(), header.data(), static_cast<DWORD>(header.size()), &put, nullptr) ||
        put != header.size()) {
        return false;
    }
    for (uint64_t left = size - header.size(); left > 0;) {
        const DWORD n = static_cast<DWORD>(std::min<uint64_t>(left, chunk.size()));
        DWORD wrote = 0;
        if (!WriteFile(file.Get(), chunk.data(), n, &wrote, nullptr) || wrote != n) return false;
        left -= n;
    }
    return FlushFileBuffers(file.Get()) && file.Close();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(10, _wtoi(argv[1])) : 300;
    std::wstring folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = temp;
    }
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    const std::wstring path =
        folder + L"velmora-log-bench-" + std::to_wstring(GetCurrentProcessId()) + L".log";

    std::vector<double> us;
    for (int i = 0; i < runs; ++i) {
        DeleteFileW(path.c_str());
        us.push_back(TimeOneSample(path, i));
    }
    Report("new file (create + header)", us);

    us.clear();
    DeleteFileW(path.c_str());
    TimeOneSample(path, 0);
    for (int i = 0; i < runs; ++i) us.push_back(TimeOneSample(path, i));
    Report("small file (append)", us);

    // Each line adds about 400 bytes: the runs stay between 50 and 51 MiB.
    if (!WriteLogOfSize(path, 50 * kMiB + 6)) {
        std::fwprintf(stderr, L"log_write_bench: cannot write %ls\n", path.c_str());
        DeleteFileW(path.c_str());
        return 1;
    }
    us.clear();
    for (int i = 0; i < runs; ++i) us.push_back(TimeOneSample(path, i));
    Report("50 MiB file (append)", us);

    // Where one append's time goes, step by step through the same file object.
    std::printf("-- one append at 50 MiB, step by step\n");
    std::vector<double> steps[4];
    const std::u16string stamp = FormatLogStamp(Stamp(0));
    std::string bytes;
    for (const char16_t c : LogDataLine(stamp, kValues)) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    for (int i = 0; i < runs; ++i) {
        HistoryLogFile file(path);
        uint64_t size = 0;
        const auto t0 = std::chrono::steady_clock::now();
        const bool opened = file.Open();
        const auto t1 = std::chrono::steady_clock::now();
        const bool measured = opened && file.Size(size);
        const auto t2 = std::chrono::steady_clock::now();
        const bool appended = measured && file.Append(bytes);
        const auto t3 = std::chrono::steady_clock::now();
        const bool closed = opened && file.Close();
        const auto t4 = std::chrono::steady_clock::now();
        if (!appended || !closed) std::fprintf(stderr, "log_write_bench: a step failed\n");
        const std::chrono::steady_clock::time_point at[] = {t0, t1, t2, t3, t4};
        for (int k = 0; k < 4; ++k)
            steps[k].push_back(
                std::chrono::duration<double, std::micro>(at[k + 1] - at[k]).count());
    }
    const char* names[4] = {"  open (and attributes)", "  size", "  seek to end + write",
                            "  close"};
    for (int k = 0; k < 4; ++k) Report(names[k], steps[k]);

    // Every restart needs 51 MiB written before it; a tenth of the runs is enough for a median.
    us.clear();
    const int restarts = std::max(10, runs / 10);
    for (int i = 0; i < restarts; ++i) {
        if (!WriteLogOfSize(path, 51 * kMiB)) break;
        us.push_back(TimeOneSample(path, i));
    }
    if (!us.empty()) Report("51 MiB file (restart)", us);

    DeleteFileW(path.c_str());
    return 0;
}
