// Last-chance handling of a crash: whatever held the fan (the curve or a fixed level), the
// cooler goes back to the driver's automatic control before the process ends.
#pragma once

namespace velmora {

using CrashAction = void (*)();

// Installs handlers for unhandled exceptions, std::terminate, abort, pure virtual calls and
// invalid CRT parameters. The action runs at most once, then the process ends as it would have.
void InstallCrashGuard(CrashAction releaseFan);

}  // namespace velmora
