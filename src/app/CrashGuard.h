// Last-chance handling of a crash: whatever held the fan (the curve or a fixed level), the
// cooler goes back to the driver's automatic control before the process ends.
#pragma once

namespace velmora {

using CrashAction = void (*)();

// Installs handlers for unhandled exceptions (pure virtual calls end in one too),
// std::terminate and abort. The action runs at most once, then the process ends as it would
// have. (The system msvcrt.dll reports invalid parameters as error codes, not as crashes.)
void InstallCrashGuard(CrashAction releaseFan);

}  // namespace velmora
