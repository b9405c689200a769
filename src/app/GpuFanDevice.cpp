#include "app/GpuFanDevice.h"

#include "gpu/NvidiaGpu.h"

namespace velmora {

int GpuFanDevice::SelectedGpu() {
    return gpu_.selectedIndex();
}

bool GpuFanDevice::ReadTemperature(int32_t& celsius) {
    GpuTemperature t{};
    if (gpu_.ReadGpuTemperature(t) < 0) return false;
    celsius = t.currentC;
    return true;
}

bool GpuFanDevice::ReadLevelRange(int32_t& minPct, int32_t& maxPct) {
    CoolerReading cooler{};
    if (!gpu_.ReadCooler(cooler)) return false;
    minPct = cooler.minLevelPct;
    maxPct = cooler.maxLevelPct;
    return true;
}

bool GpuFanDevice::SetLevel(int32_t percent) {
    return gpu_.SetCoolerLevel(percent, kCoolerCodeManual);
}

bool GpuFanDevice::RestoreDefault(int gpu) {
    return gpu_.RestoreCoolerDefaultOf(gpu);
}

uint64_t HandBackFans(NvidiaGpu& gpu, uint64_t held) {
    uint64_t remaining = 0;
    for (int index = 0; index < kFanHoldMaxGpus; ++index) {
        const uint64_t bit = uint64_t{1} << index;
        if ((held & bit) && !gpu.RestoreCoolerDefaultOf(index)) remaining |= bit;
    }
    return remaining;
}

}  // namespace velmora
