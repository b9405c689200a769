// The readings and limits NvidiaGpu hands to the windows, in everyday units (MHz, degC,
// percent, microvolts, RPM, KB). All fields are 32-bit signed; a failed reading leaves the
// record as the caller passed it unless the operation says otherwise.
#pragma once

#include <cstdint>

struct GpuTemperature {
    int32_t currentC = 0;
    int32_t defaultMinC = 0;
    int32_t defaultMaxC = 0;
};

struct ClockReading {
    int32_t graphicsMHz = 0;
    int32_t memoryMHz = 0;
    int32_t processorMHz = 0;
};

struct VoltageReading {
    int32_t baseUv = 0;
    int32_t minUv = 0;
    int32_t maxUv = 0;
    int32_t currentUv = 0;
};

struct MemoryUsage {
    int32_t usedKB = 0;
    int32_t freeKB = 0;
    int32_t availableKB = 0;
};

struct PowerReading {
    int32_t limitMinPct = 0;
    int32_t limitMaxPct = 0;
    int32_t limitDefaultPct = 0;
    int32_t limitCurrentPct = 0;
    int32_t powerNowPct = 0;
};

struct CoolerReading {
    int32_t minLevelPct = 0;
    int32_t maxLevelPct = 0;
    int32_t currentLevelPct = 0;
    int32_t tachRpm = 0;
};

struct ThermalLimits {
    int32_t minC = 0;
    int32_t defaultC = 0;
    int32_t maxC = 0;
    int32_t currentTargetC = 0;
    int32_t priorityFlag = 0;
};

struct OverVoltage {
    int32_t deltaMinUv = 0;
    int32_t deltaMaxUv = 0;
    int32_t deltaCurrentUv = 0;
};

struct VoltageRange {
    int32_t minUv = 0;
    int32_t maxUv = 0;
    int32_t baseUv = 0;
    int32_t absDeltaMinUv = 0;
    int32_t currentUv = 0;
};
