// The fan guard: a small windowless program beside Velmora ("VelmoraFanGuard.exe") that waits
// for Velmora's process to end and, if it ended still holding fans (it was killed), hands them
// back to the driver.
#pragma once

#include <string>

namespace velmora {

inline constexpr wchar_t kFanGuardFileName[] = L"VelmoraFanGuard.exe";

// Starts the guard for this process and the marker file at markerPath; false when it could
// not be started.
bool StartFanGuard(const std::wstring& markerPath);

}  // namespace velmora
