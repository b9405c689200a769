// velmora-probe, native build: the same report on the in-process simulated card, with the
// scenario file named by VELMORA_SIM_SCENARIO (the built-in one when unset).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Probe.h"
#include "sim/SimHost.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"

int main() {
    velmora::sim::Simulator sim;
    if (const char* path = std::getenv("VELMORA_SIM_SCENARIO")) {
        std::string text;
        std::string error;
        if (!velmora::sim::ReadFileText(velmora::sim::HostPath(path, false), text) ||
            !sim.LoadScenarioText(text, &error)) {
            std::fprintf(stderr, "velmora-probe: cannot use scenario %s %s\n", path, error.c_str());
            return 2;
        }
    }
    velmora::sim::ScopedBinding binding(sim);
    NvidiaGpu gpu(nvapi::ResolveNvapiEntries(&velmora::sim::QueryInterface));
    const bool started = gpu.Initialize();
    return RunProbe(gpu, started);
}
