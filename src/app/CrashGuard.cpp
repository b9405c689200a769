#include "CrashGuard.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace velmora {
namespace {

CrashAction g_releaseFan = nullptr;
std::atomic<bool> g_ran{false};

void RunOnce() {
    if (g_releaseFan && !g_ran.exchange(true)) g_releaseFan();
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS*) {
    RunOnce();
    return EXCEPTION_CONTINUE_SEARCH;
}

void OnTerminate() {
    RunOnce();
    std::_Exit(3);
}

void OnAbortSignal(int) {
    RunOnce();
    std::_Exit(3);
}

}  // namespace

void InstallCrashGuard(CrashAction releaseFan) {
    g_releaseFan = releaseFan;
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbortSignal);
}

}  // namespace velmora
