// The fan guard's command line: what StartFanGuard writes comes back whole through the system's
// own splitting, and a guard started with anything else does nothing.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FanGuardLauncher.h"

namespace {

using velmora::FanGuardArguments;

// Splits a command line as the guard does, program name included.
std::vector<std::wstring> Split(const std::wstring& commandLine) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &argc);
    std::vector<std::wstring> words(argv, argv + (argv ? argc : 0));
    if (argv) LocalFree(argv);
    return words;
}

bool Parse(const std::vector<std::wstring>& words, FanGuardArguments& args) {
    std::vector<const wchar_t*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    return velmora::ParseFanGuardArguments(static_cast<int>(argv.size()), argv.data(), args);
}

TEST(FanGuardArguments, ComeBackWholeThroughTheSystemsSplitting) {
    const wchar_t* markers[] = {
        LR"(C:\Program Files\Velmora\Velmora.fanhold)",
        LR"(Z:\tmp\velmora-e2e-x\Velmora Fan\Velmora.fanhold)",
        LR"(\\server\share\a  b\Velmora.fanhold)",
    };
    for (const wchar_t* marker : markers) {
        // With and without the held fans' section.
        for (const uint64_t section : {uint64_t{0}, uint64_t{0x2A8}}) {
            FanGuardArguments sent;
            sent.processHandle = 0x1F4;
            sent.heldSection = section;
            sent.markerPath = marker;
            const std::wstring line = LR"("C:\Program Files\Velmora\VelmoraFanGuard.exe" )" +
                                      velmora::FormatFanGuardArguments(sent);
            std::vector<std::wstring> words = Split(line);
            ASSERT_FALSE(words.empty());
            words.erase(words.begin());
            FanGuardArguments got;
            ASSERT_TRUE(Parse(words, got)) << line;
            EXPECT_EQ(got.processHandle, sent.processHandle);
            EXPECT_EQ(got.heldSection, sent.heldSection);
            EXPECT_EQ(got.markerPath, sent.markerPath);
        }
    }
}

TEST(FanGuardArguments, AnythingElseIsRefused) {
    const std::vector<std::vector<std::wstring>> refused = {
        {},
        {L"--process", L"500"},
        {L"--marker", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"0", L"--marker", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"12ab", L"--marker", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"", L"--marker", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"500", L"--marker", L""},
        {L"--process", L"500", L"--marker"},
        {L"--process", L"500", L"--marker", L"C:\\x\\Velmora.fanhold", L"--extra", L"1"},
        {L"500", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"500", L"--held", L"0", L"--marker", L"C:\\x\\Velmora.fanhold"},
        {L"--process", L"500", L"--held", L"x", L"--marker", L"C:\\x\\Velmora.fanhold"},
    };
    for (const auto& words : refused) {
        FanGuardArguments args;
        args.processHandle = 7;
        EXPECT_FALSE(Parse(words, args)) << words.size() << " words";
        EXPECT_EQ(args.processHandle, 7u) << "refused arguments were taken";
    }
}

}  // namespace
