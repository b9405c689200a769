// The single-instance lock: what a second start concludes, also when the lock belongs to
// another user's session and cannot be opened.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/InstanceLock.h"

namespace velmora {
namespace {

TEST(InstanceLock, EverySignOfARunningInstanceEndsTheStart) {
    const struct {
        bool handle;
        DWORD error;
        InstanceLockOutcome outcome;
    } cases[] = {
        {true, ERROR_SUCCESS, InstanceLockOutcome::First},
        {true, ERROR_ALREADY_EXISTS, InstanceLockOutcome::AnotherRunning},
        // Another user's session holds it and this one may not open it.
        {false, ERROR_ACCESS_DENIED, InstanceLockOutcome::AnotherRunning},
        // A different kind of object under the name: no lock, but no Velmora either.
        {false, ERROR_INVALID_HANDLE, InstanceLockOutcome::Unavailable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyInstanceLock(c.handle, c.error), c.outcome) << c.error;
    }
}

TEST(InstanceLock, TheSecondTakerSeesTheFirst) {
    EXPECT_EQ(TakeInstanceLock(), InstanceLockOutcome::First);
    EXPECT_EQ(TakeInstanceLock(), InstanceLockOutcome::AnotherRunning);
}

}  // namespace
}  // namespace velmora
