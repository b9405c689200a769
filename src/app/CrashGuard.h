// Last-chance handling of a crash: whatever held the fan (the curve or a fixed level), the
// cooler goes back to the driver's automatic control before the process ends.
#pragma once

namespace velmora {

using CrashAction = void (*)();

// Installs handlers for unhandled exceptions (access violations, stack overflows, pure virtual
// calls), std::terminate and abort, on every thread. The action does not run on the crashing
// thread, whose stack may be exhausted or whose locks may be held: it runs on a release thread
// made here, which the handlers wake and wait for (a few seconds at most) before the process
// ends as it would have. The action runs at most once. Call once, early, from the thread most
// likely to overflow its stack (the user-interface thread): that thread keeps enough stack in
// reserve for the handler. Should the release thread not start, the handlers run the action
// themselves, as a last resort.
void InstallCrashGuard(CrashAction releaseFan);

}  // namespace velmora
