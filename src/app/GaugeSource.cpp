#include "GaugeSource.h"

#include "gpu/NvidiaGpu.h"

namespace velmora {
namespace {

constexpr GaugeSourceInfo kSources[kGaugeSourceCount] = {
    {L"GPU Clock,MHz", 2500}, {L"Memory Clock,MHz", 6500},
    {L"Fan Speed,%", 100},    {L"GPU load,%", 100},
    {L"TDP(%)", 100},         {L" GPU Voltage,mV", 2500},
};

}  // namespace

const GaugeSourceInfo* GaugeSourceFor(int source) {
    if (source < 0 || source >= kGaugeSourceCount) return nullptr;
    return &kSources[source];
}

float ReadGaugeValue(NvidiaGpu& gpu, int source) {
    // Every record starts zeroed, so a failed reading shows 0 rather than stale data.
    switch (source) {
        case 0:
        case 1: {
            ClockReading clocks{};
            if (!gpu.ReadClocks(clocks, 0)) return 0;
            return static_cast<float>(source == 0 ? clocks.graphicsMHz : clocks.memoryMHz);
        }
        case 2: {
            CoolerReading cooler{};
            if (!gpu.ReadCooler(cooler)) return 0;
            return static_cast<float>(cooler.currentLevelPct);
        }
        case 3: {
            int32_t usage[2] = {0, 0};
            if (!gpu.ReadUtilization(usage)) return 0;
            return static_cast<float>(usage[0]);
        }
        case 4: {
            PowerReading power{};
            if (!gpu.ReadPower(power)) return 0;
            return static_cast<float>(power.powerNowPct);
        }
        case 5: {
            VoltageReading voltage{};
            if (!gpu.ReadVoltage(voltage)) return 0;
            return static_cast<float>(voltage.currentUv / 1000);
        }
        default:
            return 0;
    }
}

}  // namespace velmora
