// The fan guard: a small windowless program beside Velmora ("VelmoraFanGuard.exe") that waits
// for Velmora's process to end and, if it ended still holding fans (it was killed), hands them
// back to the driver.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

inline constexpr wchar_t kFanGuardFileName[] = L"VelmoraFanGuard.exe";

// Starts the guard for this process and the marker file at markerPath; heldSection (may be
// null) is the section this run keeps its held fans in, which the guard inherits read-only.
// False when it could not be started (no guard beside the program, among others).
bool StartFanGuard(const std::wstring& markerPath, void* heldSection);

// The guard's arguments: the handle values of Velmora's process and of the held fans' section
// (0: none), valid in the guard (it inherits them), and the marker file.
struct FanGuardArguments {
    uint64_t processHandle = 0;
    uint64_t heldSection = 0;
    std::wstring markerPath;
};

// `--process <handle> [--held <section>] --marker "<path>"`, as StartFanGuard passes them.
std::wstring FormatFanGuardArguments(const FanGuardArguments& args);
// The guard's side: from the argument words (program name excluded). False unless both are
// there and well formed.
bool ParseFanGuardArguments(int argc, const wchar_t* const* argv, FanGuardArguments& args);

}  // namespace velmora
