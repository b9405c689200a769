// The fan guard: a small windowless program beside Velmora ("VelmoraFanGuard.exe") that waits
// for Velmora's process to end and, if it ended still holding fans (it was killed), hands them
// back to the driver.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

inline constexpr wchar_t kFanGuardFileName[] = L"VelmoraFanGuard.exe";

// Starts the guard for this process and the marker file at markerPath; false when it could
// not be started (no guard beside the program, among others).
bool StartFanGuard(const std::wstring& markerPath);

// The guard's arguments: the handle value of Velmora's process, valid in the guard (it is
// inherited), and the marker file.
struct FanGuardArguments {
    uint64_t processHandle = 0;
    std::wstring markerPath;
};

// `--process <handle> --marker "<path>"`, as StartFanGuard passes them.
std::wstring FormatFanGuardArguments(const FanGuardArguments& args);
// The guard's side: from the argument words (program name excluded). False unless both are
// there and well formed.
bool ParseFanGuardArguments(int argc, const wchar_t* const* argv, FanGuardArguments& args);

}  // namespace velmora
