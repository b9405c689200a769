// The simulated card as a driver dll: one Simulator on real time, its scenario from the file
// named by VELMORA_SIM_SCENARIO (re-read when it changes; the built-in scenario without it)
// and its state written to the file named by VELMORA_SIM_STATE.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "../SimHost.h"
#include "../SimInterface.h"
#include "../StateText.h"

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

// A card's fan setting outlives the program that made it, as on a real card: the state file an
// earlier process left gives each card's cooler policy and level, so the next process (the
// program's next start, its fan guard, another tool) finds the fan as it was left.
void TakeOverCoolers(velmora::sim::Simulator& sim, const std::filesystem::path& stateFile) {
    auto keys = velmora::sim::ReadStateFile(stateFile);
    for (size_t i = 0; i < sim.GpuCount(); ++i) {
        const std::string prefix = "gpu" + std::to_string(i) + ".";
        const auto policy = keys.find(prefix + "cooler_policy");
        const auto level = keys.find(prefix + "cooler_set_level");
        if (policy == keys.end() || level == keys.end()) continue;
        sim.Gpu(i).SetCooler(
            static_cast<int32_t>(std::strtol(level->second.c_str(), nullptr, 10)),
            static_cast<uint32_t>(std::strtoul(policy->second.c_str(), nullptr, 0)));
    }
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
        // After the scenario: its fan range is what the levels are checked against.
        if (!state.empty()) TakeOverCoolers(sim, WindowsPath(state));
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
