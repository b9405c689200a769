#include "app/InstanceLock.h"

#include <windows.h>
#include <sddl.h>

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
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kInstanceMutexAccess, SDDL_REVISION_1,
                                                             &descriptor, nullptr)) {
        attributes.lpSecurityDescriptor = descriptor;
    }
    // Only waiting access is asked for, so opening a lock another user made needs no more.
    HANDLE lock =
        CreateMutexExW(&attributes, kInstanceMutex, CREATE_MUTEX_INITIAL_OWNER, SYNCHRONIZE);
    const DWORD error = GetLastError();
    if (descriptor) LocalFree(descriptor);
    const InstanceLockOutcome outcome = ClassifyInstanceLock(lock != nullptr, error);
    // The first instance keeps its handle until the process ends; the system releases it then.
    if (outcome != InstanceLockOutcome::First && lock) CloseHandle(lock);
    return outcome;
}

}  // namespace velmora
