#include "app/InstanceLock.h"

#include <windows.h>
#include <sddl.h>

#include "win32/Handles.h"

namespace velmora {
namespace {

constexpr wchar_t kInstanceMutex[] = L"Global\\Velmora";
// Full access for the system, waiting access for everyone: any user's Velmora can open the
// lock and so learns that one runs, instead of being refused and starting a second copy.
constexpr wchar_t kInstanceMutexAccess[] = L"D:(A;;0x001F0001;;;SY)(A;;0x00100000;;;WD)";

}  // namespace

InstanceLockOutcome ClassifyInstanceLock(bool gotHandle, uint32_t lastError) {
    if (gotHandle) {
        return lastError == ERROR_ALREADY_EXISTS ? InstanceLockOutcome::AnotherRunning
                                                 : InstanceLockOutcome::First;
    }
    return lastError == ERROR_ACCESS_DENIED ? InstanceLockOutcome::AnotherRunning
                                            : InstanceLockOutcome::Unavailable;
}

InstanceLockOutcome TakeInstanceLock() {
    LocalMemory<void> descriptor;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kInstanceMutexAccess, SDDL_REVISION_1,
                                                             descriptor.Out(), nullptr)) {
        attributes.lpSecurityDescriptor = descriptor.Get();
    }
    // Only waiting access is asked for, so opening a lock another user made needs no more.
    KernelHandle lock(
        CreateMutexExW(&attributes, kInstanceMutex, CREATE_MUTEX_INITIAL_OWNER, SYNCHRONIZE));
    const InstanceLockOutcome outcome = ClassifyInstanceLock(lock.Get() != nullptr, GetLastError());
    // The first instance keeps its handle until the process ends; the system releases it then.
    if (outcome == InstanceLockOutcome::First) lock.Release();
    return outcome;
}

}  // namespace velmora
