// velmora-probe: what the installed NVIDIA driver answers, for bug reports.
#include "Probe.h"
#include "gpu/NvapiLoader.h"

int main() {
    nvapi::NvapiEntries entries;
    LoadNvapiEntries(entries);
    NvidiaGpu gpu(entries);
    const bool started = gpu.Initialize();
    return RunProbe(gpu, started);
}
