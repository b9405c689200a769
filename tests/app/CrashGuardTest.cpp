// A process that crashes while it holds the fan at a fixed level must hand the fan back to the
// driver before it ends. Each case runs a child copy of this program on the simulated card's
// dll, lets it take the fan and crash in one way, then reads the card's state the child left.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "app/CrashGuard.h"
#include "app/FanHold.h"
#include "gpu/NvapiLoader.h"
#include "gpu/NvidiaGpu.h"
#include "sim/StateText.h"

// A pure virtual call made from the base's constructor, outside the anonymous namespace so the
// optimiser cannot resolve it to the one derived type it sees.
struct CrashTestHolder;
__attribute__((noipa)) void CallHold(CrashTestHolder* h);
struct CrashTestHolder {
    CrashTestHolder() { CallHold(this); }
    virtual ~CrashTestHolder() = default;
    virtual void Hold() = 0;
};
__attribute__((noipa)) void CallHold(CrashTestHolder* h) {
    h->Hold();
}
struct FixedCrashTestHolder : CrashTestHolder {
    void Hold() override {}
};

namespace {

NvidiaGpu g_gpu;

void ReleaseFan() {
    g_gpu.RestoreCoolerDefault();
}

// Deep enough to exhaust any stack; the array keeps each frame large and the addition after
// the call keeps the recursion from becoming a loop.
volatile int g_deepest = 1 << 30;
__attribute__((noinline)) int Recurse(int depth) {
    if (depth > g_deepest) return 0;
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return Recurse(depth + 1) + frame[0];
}

[[noreturn]] void Crash(const std::string& how) {
    if (how == "access-violation") {
        *static_cast<volatile int*>(nullptr) = 1;
    } else if (how == "terminate") {
        std::terminate();
    } else if (how == "abort") {
        std::abort();
    } else if (how == "purecall") {
        FixedCrashTestHolder h;
    } else if (how == "stack-overflow") {
        Recurse(0);
    } else if (how == "stack-overflow-worker") {
        // A thread the guard was not installed on, so it has no stack kept back.
        HANDLE worker = CreateThread(
            nullptr, 0, [](void*) -> DWORD { return static_cast<DWORD>(Recurse(0)); }, nullptr, 0,
            nullptr);
        if (worker) WaitForSingleObject(worker, INFINITE);
    }
    ExitProcess(0);  // not a crash: the test sees the fan still held
}

// The child: take the fan at a fixed 40 %, then crash.
int RunChild(const std::string& how) {
    // No crash dialog for the test: the process just ends.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    nvapi::NvapiEntries entries;
    if (!LoadNvapiEntries(entries)) return 10;
    g_gpu.Attach(entries);
    if (!g_gpu.Initialize()) return 11;
    velmora::InstallCrashGuard(ReleaseFan);
    if (!g_gpu.SetCoolerLevel(40, 1)) return 12;
    Crash(how);
}

// --- A worker thread crashes while the main thread keeps writing fan levels -----------------
// Laid out as the program does it: every write goes through the hold, and the crash path has a
// card object of its own.
velmora::FanHold* g_hold = nullptr;
NvidiaGpu g_crashGpu;
bool g_refuseWrites = true;
std::atomic<int> g_writes{0};

void ReleaseHeldFans() {
    if (g_refuseWrites) g_hold->RefuseWrites(500);
    g_crashGpu.RestoreCoolerDefaultOf(0);
    // The writer goes on meanwhile: a process does not end the moment its fans are handed
    // back, and this gives the writer every chance to take the fan again.
    Sleep(300);
}

DWORD WINAPI CrashOnceTheWritesRun(void*) {
    while (g_writes.load() < 20) Sleep(1);
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}

int RunWriterChild(bool refuseWrites) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    nvapi::NvapiEntries entries;
    if (!LoadNvapiEntries(entries)) return 10;
    g_gpu.Attach(entries);
    g_crashGpu.Attach(entries);
    if (!g_gpu.Initialize() || !g_crashGpu.Initialize()) return 11;
    velmora::FanHold hold;
    g_hold = &hold;
    g_refuseWrites = refuseWrites;
    velmora::InstallCrashGuard(ReleaseHeldFans);
    HANDLE worker = CreateThread(nullptr, 0, CrashOnceTheWritesRun, nullptr, 0, nullptr);
    if (!worker) return 13;
    CloseHandle(worker);
    // The user-interface thread's curve, as fast as it can go, until the process is ended.
    const DWORD start = GetTickCount();
    for (int level = 40; GetTickCount() - start < 30000; level = level == 40 ? 60 : 40) {
        if (hold.WriteLevel(0, [level] { return g_gpu.SetCoolerLevel(level, 1); })) ++g_writes;
    }
    return 0;  // the worker never crashed
}

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

struct ChildResult {
    DWORD exitCode = 0;
    std::string policy;
    std::string level;
};

ChildResult RunCrashingChild(const std::string& how) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring state = std::wstring(temp) + L"velmora-crash-" + Widen(how) + L"-" +
                               std::to_wstring(GetCurrentProcessId()) + L".state";
    DeleteFileW(state.c_str());
    SetEnvironmentVariableW(L"VELMORA_SIM_STATE", state.c_str());
    SetEnvironmentVariableW(L"VELMORA_SIM_SCENARIO", nullptr);

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --crash-child " + Widen(how);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ChildResult result;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start the child: " << GetLastError();
        return result;
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        ADD_FAILURE() << "the child did not end";
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    auto keys = velmora::sim::ReadStateFile(std::filesystem::path(state));
    result.policy = keys["gpu0.cooler_policy"];
    result.level = keys["gpu0.cooler_set_level"];
    DeleteFileW(state.c_str());
    SetEnvironmentVariableW(L"VELMORA_SIM_STATE", nullptr);
    return result;
}

int PolicyOf(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 0));
}

class CrashWhileHoldingTheFan : public testing::TestWithParam<const char*> {};

TEST_P(CrashWhileHoldingTheFan, HandsTheFanBackToTheDriver) {
    const ChildResult r = RunCrashingChild(GetParam());
    EXPECT_NE(r.exitCode, 0u) << "the child ended normally: it did not crash";
    ASSERT_FALSE(r.policy.empty()) << "the child left no card state";
    EXPECT_EQ(PolicyOf(r.policy), 0x20) << "fan left in policy " << r.policy;
}

INSTANTIATE_TEST_SUITE_P(EveryKindOfCrash, CrashWhileHoldingTheFan,
                         testing::Values("access-violation", "terminate", "abort", "purecall",
                                         "stack-overflow", "stack-overflow-worker",
                                         "worker-while-writing"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

// The fixture itself: a child that does not crash leaves the fan held, so the cases above do
// prove the guard and not some other restore.
TEST(CrashGuardFixture, AChildThatDoesNotCrashLeavesTheFanHeld) {
    const ChildResult r = RunCrashingChild("none");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(PolicyOf(r.policy), 0x1);
    EXPECT_EQ(r.level, "40");
}

// Without the hold refusing writes, the main thread's loop does take the fan back after the
// hand-back: the worker case above is a real race, won by the refusal.
TEST(CrashGuardFixture, AWriterThatIsNotRefusedTakesTheFanBack) {
    const ChildResult r = RunCrashingChild("worker-while-writing-unrefused");
    EXPECT_NE(r.exitCode, 0u);
    EXPECT_EQ(PolicyOf(r.policy), 0x1) << "the writer never wrote after the hand-back";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--crash-child") == 0) {
        if (std::strcmp(argv[2], "worker-while-writing") == 0) return RunWriterChild(true);
        if (std::strcmp(argv[2], "worker-while-writing-unrefused") == 0) {
            return RunWriterChild(false);
        }
        return RunChild(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
