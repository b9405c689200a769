// One simulated card: its parameters (GpuSpec) and the state that follows from load, the
// settings the program made and time. Units are the driver's where it stores them (kHz,
// microvolts, per-cent-mille, 1/256 degC) and everyday ones for the physics.
#pragma once

#include <cstdint>

#include "Scenario.h"

namespace velmora::sim {

// Driver status values the model answers.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kInvalidArgument = -5;

inline constexpr uint32_t kCoolerPolicyManual = 0x1;
inline constexpr uint32_t kCoolerPolicyAuto = 0x20;

struct GpuState {
    // Settings, as the driver stores them.
    int32_t gpuOffsetKHz = 0;
    int32_t memoryOffsetKHz = 0;
    int32_t voltageDeltaUv = 0;
    int32_t overVoltageUv = 0;
    uint32_t powerTargetPcm = 0;
    int32_t thermalTargetRaw = 0;  // 1/256 degC
    bool thermalPriority = false;
    uint32_t coolerPolicy = kCoolerPolicyAuto;
    int32_t coolerSetLevel = 0;  // the level last set, whatever the policy
    int resetPrepareCount = 0;

    // Physics.
    double loadPct = 0.0;
    double memoryLoadPct = 0.0;
    int pstate = 8;
    double idleSinceS = 0.0;  // time spent below the P-state 0 exit load
    double throttle = 1.0;    // 0..1 of the boost headroom the limits allow
    double gpuClockMHz = 0.0;
    double memoryClockMHz = 0.0;
    double voltageUv = 0.0;
    double powerPct = 0.0;
    double temperatureC = 0.0;
    double coolerLevelPct = 0.0;
    double tachRpm = 0.0;
    double memoryActivity = 0.0;  // smoothed load driving memory use
    double memoryUsedKB = 0.0;
};

class GpuModel {
  public:
    explicit GpuModel(const GpuSpec& gpuSpec);

    // A reloaded scenario: keep the state, bring settings back inside the new ranges.
    void SetSpec(const GpuSpec& gpuSpec);
    const GpuSpec& gpuSpec() const { return spec_; }
    const GpuState& state() const { return state_; }

    // Moves the model from time t to t + dt (any dt >= 0; large steps are split).
    void Advance(double t, double dt);

    // Settings: kOk when stored, kInvalidArgument when outside the card's range.
    int32_t CheckClockOffset(uint32_t domainId, int32_t deltaKHz) const;
    int32_t CheckVoltageDelta(int32_t deltaUv) const;
    int32_t CheckOverVoltage(int32_t deltaUv) const;
    int32_t SetClockOffset(uint32_t domainId, int32_t deltaKHz);
    int32_t SetVoltageDelta(int32_t deltaUv);
    int32_t SetOverVoltage(int32_t deltaUv);
    int32_t SetPowerTarget(uint32_t pcm);
    int32_t SetThermalTarget(int32_t raw, bool priority);
    int32_t SetCooler(int32_t level, uint32_t policy);
    void PrepareReset() { ++state_.resetPrepareCount; }

    // Readings derived from the state.
    uint32_t GpuClockKHz() const;
    uint32_t MemoryClockKHz() const;
    uint32_t ProcessorClockKHz() const { return GpuClockKHz(); }
    // Base clocks; cards 0x0FC8 (both) and 0x1402 (memory) report them with the offset.
    uint32_t BaseGpuClockKHz() const;
    uint32_t BaseMemoryClockKHz() const;
    uint32_t BoostGpuClockKHz() const;
    int32_t TemperatureC() const;
    uint32_t CoolerLevel() const;
    uint32_t TachRpm() const;
    uint32_t PowerPcm() const;
    uint32_t VoltageUv() const;
    uint32_t MemoryUsedKB() const;
    int32_t DefaultThermalRaw() const { return spec_.thermalDefaultC * 256; }

  private:
    void Step(double t, double dt);
    double AutoFanTarget() const;
    void UpdateMemoryUse();

    GpuSpec spec_;
    GpuState state_;
};

}  // namespace velmora::sim
