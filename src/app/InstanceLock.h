// The machine-wide single-instance lock "Global\Velmora".
#pragma once

#include <cstdint>

namespace velmora {

enum class InstanceLockOutcome {
    First,           // this process holds the lock
    AnotherRunning,  // another Velmora runs, in this session or another user's
    Unavailable,     // no lock could be made for another reason; run without one
};

// What CreateMutex's result means: a handle with "already exists" is a running instance, and
// so is "access denied" without a handle (another user's session made the lock and this one
// may not open it).
InstanceLockOutcome ClassifyInstanceLock(bool gotHandle, uint32_t lastError);

// Creates and holds the lock until the process ends, with access for every user's process.
InstanceLockOutcome TakeInstanceLock();

}  // namespace velmora
