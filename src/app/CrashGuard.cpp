#include "CrashGuard.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

#include "win32/Handles.h"

namespace velmora {
namespace {

// How long a crashing thread waits for the hand-back before the process goes on ending. The
// hand-back itself waits up to half a second for a fan write in flight, then calls the driver.
constexpr DWORD kReleaseWaitMs = 4000;
// The release thread's stack, committed when it is made: the hand-back goes through the
// driver, and a crash is no time to grow a stack.
constexpr SIZE_T kReleaseStackBytes = 256 * 1024;
// Stack the installing thread keeps back for its handler once it overflows.
constexpr ULONG kOverflowReserveBytes = 64 * 1024;

CrashAction g_action = nullptr;
std::atomic<bool> g_actionStarted{false};
// These live as long as the process and are never closed: a crash during exit needs them too.
HANDLE g_wake = nullptr;  // set by a crashing thread
HANDLE g_done = nullptr;  // set by the release thread once the action has returned
DWORD g_releaseThreadId = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

void RunActionOnce() {
    if (g_action && !g_actionStarted.exchange(true)) g_action();
}

DWORD WINAPI ReleaseThread(void*) {
    WaitForSingleObject(g_wake, INFINITE);
    RunActionOnce();
    SetEvent(g_done);
    return 0;
}

// Everything a crashing thread does: two calls into the system, which fit in what an
// overflowed stack has left, and no lock the crashed code might hold.
void ReleaseFromCrashingThread() {
    if (!g_wake) {
        // No release thread could be made: the last resort is this thread.
        RunActionOnce();
        return;
    }
    // The action itself crashed: there is nobody left to wait for.
    if (GetCurrentThreadId() == g_releaseThreadId) return;
    SetEvent(g_wake);
    WaitForSingleObject(g_done, kReleaseWaitMs);
}

// A stack overflow is met where it is raised, before the search for a handler: that search
// needs more stack than an overflowed thread has left. (Wine then ends only the thread, and the
// process would run on without it, so this handler ends the process itself, with the code
// Windows gives it.) No code of this program recovers from an overflow.
LONG WINAPI OnStackOverflow(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    ReleaseFromCrashingThread();
    TerminateProcess(GetCurrentProcess(), EXCEPTION_STACK_OVERFLOW);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    ReleaseFromCrashingThread();
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void OnTerminate() {
    ReleaseFromCrashingThread();
    // The runtime's own handler says what was thrown, then aborts.
    if (g_previousTerminate) g_previousTerminate();
    std::_Exit(3);
}

void OnAbortSignal(int) {
    ReleaseFromCrashingThread();
    std::_Exit(3);  // what abort() does once SIGABRT is not caught
}

// The release thread, waiting from now on. False when it could not be made.
bool StartReleaseThread() {
    KernelHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!wake.Get() || !done.Get()) return false;
    g_wake = wake.Get();
    g_done = done.Get();
    KernelHandle thread(
        CreateThread(nullptr, kReleaseStackBytes, ReleaseThread, nullptr, 0, &g_releaseThreadId));
    if (!thread.Get()) {
        g_wake = g_done = nullptr;
        return false;
    }
    wake.Release();
    done.Release();
    return true;
}

}  // namespace

void InstallCrashGuard(CrashAction releaseFan) {
    if (g_action) return;  // once per process
    g_action = releaseFan;
    StartReleaseThread();
    ULONG reserve = kOverflowReserveBytes;
    SetThreadStackGuarantee(&reserve);
    AddVectoredExceptionHandler(1, OnStackOverflow);
    g_previousFilter = SetUnhandledExceptionFilter(OnUnhandledException);
    g_previousTerminate = std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbortSignal);
}

}  // namespace velmora
