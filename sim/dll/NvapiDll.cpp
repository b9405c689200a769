// The simulated card as a driver dll: one Simulator on real time, its scenario from the file
// named by VELMORA_SIM_SCENARIO (re-read when it changes; the built-in scenario without it)
// and its state written to the file named by VELMORA_SIM_STATE.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "../SimHost.h"
#include "../SimInterface.h"

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer)) return {};
    return std::wstring(buffer, n);
}

// A Unix path "/x/y" is wine's "Z:\x\y".
std::filesystem::path WindowsPath(std::wstring p) {
    if (!p.empty() && p[0] == L'/') {
        for (wchar_t& c : p) c = c == L'/' ? L'\\' : c;
        p = L"Z:" + p;
    }
    return std::filesystem::path(p);
}

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct DllSimulator {
    velmora::sim::Simulator sim;
    std::unique_ptr<velmora::sim::SimHost> host;

    DllSimulator() {
        std::wstring scenario = EnvironmentValue(L"VELMORA_SIM_SCENARIO");
        std::wstring state = EnvironmentValue(L"VELMORA_SIM_STATE");
        host = std::make_unique<velmora::sim::SimHost>(
            sim, scenario.empty() ? std::filesystem::path() : WindowsPath(scenario),
            state.empty() ? std::filesystem::path() : WindowsPath(state), &SteadySeconds);
        velmora::sim::Bind(&sim, host.get());
        host->WriteState();
    }
};

}  // namespace

extern "C" __declspec(dllexport) void* nvapi_QueryInterface(uint32_t interfaceId) {
    // Built on first use (thread-safe static); the program never unloads the driver.
    static DllSimulator simulator;
    (void)simulator;
    return velmora::sim::QueryInterface(interfaceId);
}
