#include "monitoring/MonitorSlots.h"

#include <algorithm>

#include "config/ConfigValues.h"
#include "gpu/NvidiaGpu.h"

namespace velmora {
namespace {

constexpr const wchar_t* kTitles[kMonitorSensorCount] = {
    L"GPU Clock,MHz",   L"Memory Clock,MHz", L"GPU Temperature,C", L"GPU Usage,%",
    L"Memory Usage,MB", L"GPU Voltage,mV",   L"Fan Speed,%",       L"Fan Tachometer,RPM",
    L"Power Target,%",  L"Shader Clock,MHz",
};

}  // namespace

const wchar_t* SensorTitle(int sensor) {
    return sensor >= 0 && sensor < kMonitorSensorCount ? kTitles[sensor] : L"";
}

MonitorSlots SlotsFromSection(const SensorElements& elements) {
    MonitorSlots slots{};
    int filled = 0;
    for (int k = 0; k < kMonitorSensorCount; ++k) {
        const SensorElement& e = elements[static_cast<size_t>(k)];
        if (!e.exists) continue;
        if (filled == kMonitorSlotCount) break;
        if (!e.hasText || ParseConfigInt(e.text) == 0) continue;
        // A graph needs both bounds; one without "Min" leaves its slot as it was.
        if (!e.hasMin) continue;
        MonitorSlot& s = slots[static_cast<size_t>(filled)];
        if (e.hasMax) {
            s.scaleMax = ParseConfigInt(e.maxText);
            s.title = kTitles[k];
            s.sensor = k;
        }
        s.scaleMin = ParseConfigInt(e.minText);
        ++filled;
    }
    return slots;
}

void ApplySettingsToSlots(const MonitoringSettings& settings, MonitorSlots& slots,
                          std::array<bool, kMonitorSlotCount>& changedSensor) {
    changedSensor.fill(false);
    size_t next = 0;
    for (int k = 0; k < kMonitorSensorCount && next < slots.size(); ++k) {
        const MonitoringSettings::Sensor& sensor = settings.sensors[static_cast<size_t>(k)];
        if (!sensor.selected) continue;
        MonitorSlot& s = slots[next];
        s.scaleMin = ParseConfigInt(sensor.minText);
        s.scaleMax = ParseConfigInt(sensor.maxText);
        s.title = kTitles[k];
        if (s.sensor != k) {
            s.sensor = k;
            changedSensor[next] = true;
        }
        ++next;
    }
}

int32_t SamplingPeriodMs(int32_t configuredMs) {
    if (configuredMs <= 0) return kDefaultSamplingPeriodMs;
    return std::clamp(configuredMs, kMinSamplingPeriodMs, kMaxSamplingPeriodMs);
}

int32_t ReadSensor(NvidiaGpu& gpu, int sensor) {
    // Every record starts zeroed and a failed reading gives 0, never what a record held before.
    switch (sensor) {
        case kSensorGpuClock:
        case kSensorMemoryClock:
        case kSensorShaderClock: {
            ClockReading clocks{};
            if (!gpu.ReadClocks(clocks, 0)) return 0;
            return sensor == kSensorGpuClock      ? clocks.graphicsMHz
                   : sensor == kSensorMemoryClock ? clocks.memoryMHz
                                                  : clocks.processorMHz;
        }
        case kSensorGpuTemperature: {
            GpuTemperature t{};
            // The result is the temperature, or a negative failure code.
            return gpu.ReadGpuTemperature(t) < 0 ? 0 : t.currentC;
        }
        case kSensorGpuUsage: {
            int32_t usage[2] = {0, 0};
            return gpu.ReadUtilization(usage) ? usage[0] : 0;
        }
        case kSensorMemoryUsage: {
            MemoryUsage memory{};
            return gpu.ReadMemoryUsage(memory) ? memory.usedKB / 1024 : 0;
        }
        case kSensorGpuVoltage: {
            VoltageReading voltage{};
            return gpu.ReadVoltage(voltage) ? voltage.currentUv / 1000 : 0;
        }
        case kSensorFanSpeed:
        case kSensorFanTachometer: {
            CoolerReading cooler{};
            if (!gpu.ReadCooler(cooler)) return 0;
            return sensor == kSensorFanSpeed ? cooler.currentLevelPct : cooler.tachRpm;
        }
        case kSensorPowerTarget: {
            PowerReading power{};
            return gpu.ReadPower(power) ? power.powerNowPct : 0;
        }
        default:
            return 0;
    }
}

void ReadSample(NvidiaGpu& gpu, const MonitorSlots& slots,
                std::array<int32_t, kMonitorSlotCount>& slotValues,
                int32_t (&table)[kMonitorSensorCount]) {
    std::fill(std::begin(table), std::end(table), 0);
    for (size_t s = 0; s < slots.size(); ++s) {
        const int sensor = slots[s].sensor;
        slotValues[s] = ReadSensor(gpu, sensor);
        if (sensor >= 0 && sensor < kMonitorSensorCount) table[sensor] = slotValues[s];
    }
}

}  // namespace velmora
