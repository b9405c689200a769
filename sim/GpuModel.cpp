#include "GpuModel.h"

#include <algorithm>
#include <cmath>

#include "LoadProfile.h"

namespace velmora::sim {
namespace {

constexpr double kMaxStepS = 0.25;        // integration step; the thermal step is exact anyway
constexpr double kMaxCatchUpS = 900.0;    // after a long pause the state has settled long ago
constexpr double kEnterP0LoadPct = 15.0;  // load that wakes the card into its 3D state
constexpr double kLeaveP0LoadPct = 8.0;
constexpr double kLeaveP0AfterS = 3.0;
constexpr double kIdlePowerPct = 8.0;   // board power with nothing to do
constexpr double kCorePowerPct = 82.0;  // core power at full load, boost clock, top voltage
constexpr double kMemoryPowerPct = 8.0;
// Thermal resistance in degC per percent of power, divided by the fan's cooling factor.
constexpr double kThermalResistance = 0.36;
constexpr double kFanCoolingFloor = 0.35;  // cooling of a stopped fan, relative to 100 %
constexpr double kAutoFanStartC = 50.0;    // the driver's own curve: minimum level below this
constexpr double kAutoFanFullC = 90.0;
constexpr double kAutoFanRisePctPerS = 4.0;
constexpr double kAutoFanFallPctPerS = 2.0;
constexpr double kTachTimeConstantS = 1.5;
constexpr double kThrottleRecoverPerS = 0.25;
// Below 0 the limits take the clock under the base clock, down to this share of the way to idle.
constexpr double kThrottleFloor = -1.0;
constexpr double kBelowBaseShare = 0.6;
constexpr double kBoostMHzPerOverVoltMv = 0.8;
constexpr double kMemoryIdleUseMB = 320.0;
constexpr double kMemoryGameShare = 0.5;  // share of the memory a game fills
constexpr double kMemoryActivityTimeConstantS = 8.0;

constexpr uint32_t kDevice0FC8 = 0x0FC8;
constexpr uint32_t kDevice1402 = 0x1402;

double Approach(double value, double target, double dt, double tau) {
    return value + (target - value) * (1.0 - std::exp(-dt / tau));
}

}  // namespace

GpuModel::GpuModel(const GpuSpec& gpuSpec) : spec_(gpuSpec) {
    state_.powerTargetPcm = static_cast<uint32_t>(gpuSpec.powerDefaultPct) * 1000;
    state_.thermalTargetRaw = DefaultThermalRaw();
    state_.coolerSetLevel = gpuSpec.fanMinPct;
    state_.coolerLevelPct = gpuSpec.fanMinPct;
    state_.tachRpm = gpuSpec.fanMaxRpm * gpuSpec.fanMinPct / 100.0;
    state_.temperatureC =
        gpuSpec.ambientC + kIdlePowerPct * kThermalResistance /
                            (kFanCoolingFloor + (1 - kFanCoolingFloor) * gpuSpec.fanMinPct / 100.0);
    Step(0.0, 0.0);
}

void GpuModel::SetSpec(const GpuSpec& gpuSpec) {
    spec_ = gpuSpec;
    GpuState& s = state_;
    s.gpuOffsetKHz =
        std::clamp(s.gpuOffsetKHz, gpuSpec.gpuOffsetMinMHz * 1000, gpuSpec.gpuOffsetMaxMHz * 1000);
    s.memoryOffsetKHz = std::clamp(s.memoryOffsetKHz, gpuSpec.memoryOffsetMinMHz * 1000,
                                   gpuSpec.memoryOffsetMaxMHz * 1000);
    s.voltageDeltaUv = std::clamp(s.voltageDeltaUv, -gpuSpec.baseVoltageUv, gpuSpec.voltageDeltaMaxUv);
    s.overVoltageUv = std::clamp(s.overVoltageUv, 0, gpuSpec.overVoltageMaxUv);
    s.powerTargetPcm =
        std::clamp<uint32_t>(s.powerTargetPcm, gpuSpec.powerMinPct * 1000u, gpuSpec.powerMaxPct * 1000u);
    s.thermalTargetRaw =
        std::clamp(s.thermalTargetRaw, gpuSpec.thermalMinC * 256, gpuSpec.thermalMaxC * 256);
    s.coolerSetLevel = std::clamp(s.coolerSetLevel, gpuSpec.fanMinPct, gpuSpec.fanMaxPct);
    // A pinned temperature holds from the moment the scenario says so.
    if (gpuSpec.forcedTemperatureC) s.temperatureC = *gpuSpec.forcedTemperatureC;
    // Memory in use never exceeds a (possibly smaller) new memory size.
    UpdateMemoryUse();
}

void GpuModel::Advance(double t, double dt) {
    if (!(dt > 0.0)) return;
    if (dt > kMaxCatchUpS) {
        t += dt - kMaxCatchUpS;
        dt = kMaxCatchUpS;
    }
    while (dt > 0.0) {
        double h = std::min(dt, kMaxStepS);
        Step(t, h);
        t += h;
        dt -= h;
    }
}

double GpuModel::AutoFanTarget() const {
    double x = (state_.temperatureC - kAutoFanStartC) / (kAutoFanFullC - kAutoFanStartC);
    double level = spec_.fanMinPct + std::clamp(x, 0.0, 1.0) * (spec_.fanMaxPct - spec_.fanMinPct);
    return std::clamp(level, double(spec_.fanMinPct), double(spec_.fanMaxPct));
}

void GpuModel::Step(double t, double dt) {
    GpuState& s = state_;
    const GpuSpec& g = spec_;
    double now = t + dt;
    Utilisation u = LoadAt(g.load, g.fixedLoadPct, g.seed, now);
    s.loadPct = u.gpuPct;
    s.memoryLoadPct = u.memoryPct;

    // P-state: wake at once under load, fall back to idle after a quiet while.
    if (s.loadPct >= kEnterP0LoadPct) {
        s.pstate = 0;
        s.idleSinceS = 0.0;
    } else if (s.pstate == 0) {
        s.idleSinceS = s.loadPct < kLeaveP0LoadPct ? s.idleSinceS + dt : 0.0;
        if (s.idleSinceS >= kLeaveP0AfterS) s.pstate = 8;
    }

    // Power and thermal limits pull the boost back; the thermal target with priority set
    // lets the power target go up to the policy's maximum.
    double powerLimit = (s.thermalPriority ? g.powerMaxPct * 1000.0 : s.powerTargetPcm) / 1000.0;
    double powerExcess = (s.powerPct - powerLimit) / std::max(1.0, powerLimit);
    double thermalExcess = s.temperatureC - s.thermalTargetRaw / 256.0;
    if (powerExcess > 0.0 || thermalExcess > 0.0) {
        s.throttle -= dt * (3.0 * std::max(0.0, powerExcess) + 0.08 * std::max(0.0, thermalExcess));
    } else {
        s.throttle += dt * kThrottleRecoverPerS;
    }
    s.throttle = std::clamp(s.throttle, kThrottleFloor, 1.0);

    // Clocks and the voltage the clock needs.
    double topVoltage = g.topVoltageUv + s.overVoltageUv;
    if (s.pstate == 0) {
        double headroom =
            g.boostClockMHz - g.baseClockMHz + s.overVoltageUv / 1000.0 * kBoostMHzPerOverVoltMv;
        double demand = 0.6 + 0.4 * std::min(1.0, s.loadPct / 70.0);
        double curveClock =
            s.throttle < 0.0
                ? g.baseClockMHz + s.throttle * kBelowBaseShare * (g.baseClockMHz - g.idleClockMHz)
                : g.baseClockMHz + headroom * s.throttle * demand;
        s.gpuClockMHz = std::max<double>(g.idleClockMHz, curveClock + s.gpuOffsetKHz / 1000.0);
        s.memoryClockMHz =
            std::max<double>(g.idleMemoryClockMHz, g.memoryClockMHz + s.memoryOffsetKHz / 1000.0);
        double frac = headroom > 0 ? std::max(0.0, curveClock - g.baseClockMHz) / headroom : 1.0;
        double v = g.baseVoltageUv + frac * (topVoltage - g.baseVoltageUv);
        s.voltageUv = std::max(v, double(g.baseVoltageUv + s.voltageDeltaUv));
    } else {
        s.gpuClockMHz = g.idleClockMHz;
        s.memoryClockMHz = g.idleMemoryClockMHz;
        s.voltageUv = g.idleVoltageUv;
    }

    // Power: a fixed idle part, the core's dynamic power (clock times voltage squared) and
    // the memory's.
    double vRatio = s.voltageUv / g.topVoltageUv;
    s.powerPct =
        kIdlePowerPct +
        kCorePowerPct * (s.loadPct / 100.0) * (s.gpuClockMHz / g.boostClockMHz) * vRatio * vRatio +
        kMemoryPowerPct * (s.memoryLoadPct / 100.0) * (s.memoryClockMHz / g.memoryClockMHz);

    // Fan: the driver's curve under the automatic policies, the set level under manual.
    if (s.coolerPolicy == kCoolerPolicyManual) {
        s.coolerLevelPct = s.coolerSetLevel;
    } else {
        double target = AutoFanTarget();
        double rate = target > s.coolerLevelPct ? kAutoFanRisePctPerS : kAutoFanFallPctPerS;
        double stepPct = std::clamp(target - s.coolerLevelPct, -rate * dt, rate * dt);
        s.coolerLevelPct =
            std::clamp(s.coolerLevelPct + stepPct, double(g.fanMinPct), double(g.fanMaxPct));
    }
    s.tachRpm = Approach(s.tachRpm, g.fanMaxRpm * s.coolerLevelPct / 100.0, dt, kTachTimeConstantS);

    // First-order thermal model towards the temperature this power and fan would settle at.
    if (g.forcedTemperatureC) {
        s.temperatureC = *g.forcedTemperatureC;
    } else {
        double cooling = kFanCoolingFloor + (1.0 - kFanCoolingFloor) * s.coolerLevelPct / 100.0;
        double settle = g.ambientC + s.powerPct * kThermalResistance / cooling;
        s.temperatureC = Approach(s.temperatureC, settle, dt, g.thermalTimeConstantS);
    }

    // Memory in use follows the load slowly, as a game loads and drops its data.
    s.memoryActivity =
        dt > 0 ? Approach(s.memoryActivity, s.loadPct / 100.0, dt, kMemoryActivityTimeConstantS)
               : s.loadPct / 100.0;
    UpdateMemoryUse();
}

void GpuModel::UpdateMemoryUse() {
    double usedMB = kMemoryIdleUseMB + spec_.memoryMB * kMemoryGameShare * state_.memoryActivity;
    state_.memoryUsedKB = std::min(usedMB, double(spec_.memoryMB)) * 1024.0;
}

int32_t GpuModel::CheckClockOffset(uint32_t domainId, int32_t deltaKHz) const {
    if (domainId == 0) {
        return deltaKHz >= spec_.gpuOffsetMinMHz * 1000 && deltaKHz <= spec_.gpuOffsetMaxMHz * 1000
                   ? kOk
                   : kInvalidArgument;
    }
    if (domainId == 4) {
        return deltaKHz >= spec_.memoryOffsetMinMHz * 1000 &&
                       deltaKHz <= spec_.memoryOffsetMaxMHz * 1000
                   ? kOk
                   : kInvalidArgument;
    }
    return kInvalidArgument;
}

int32_t GpuModel::CheckVoltageDelta(int32_t deltaUv) const {
    return deltaUv >= -spec_.baseVoltageUv && deltaUv <= spec_.voltageDeltaMaxUv ? kOk
                                                                                 : kInvalidArgument;
}

int32_t GpuModel::CheckOverVoltage(int32_t deltaUv) const {
    return deltaUv >= 0 && deltaUv <= spec_.overVoltageMaxUv ? kOk : kInvalidArgument;
}

int32_t GpuModel::SetClockOffset(uint32_t domainId, int32_t deltaKHz) {
    int32_t st = CheckClockOffset(domainId, deltaKHz);
    if (st != kOk) return st;
    (domainId == 0 ? state_.gpuOffsetKHz : state_.memoryOffsetKHz) = deltaKHz;
    return kOk;
}

int32_t GpuModel::SetVoltageDelta(int32_t deltaUv) {
    int32_t st = CheckVoltageDelta(deltaUv);
    if (st == kOk) state_.voltageDeltaUv = deltaUv;
    return st;
}

int32_t GpuModel::SetOverVoltage(int32_t deltaUv) {
    int32_t st = CheckOverVoltage(deltaUv);
    if (st == kOk) state_.overVoltageUv = deltaUv;
    return st;
}

int32_t GpuModel::SetPowerTarget(uint32_t pcm) {
    if (pcm < spec_.powerMinPct * 1000u || pcm > spec_.powerMaxPct * 1000u) return kInvalidArgument;
    state_.powerTargetPcm = pcm;
    return kOk;
}

int32_t GpuModel::SetThermalTarget(int32_t raw, bool priority) {
    if (raw < spec_.thermalMinC * 256 || raw > spec_.thermalMaxC * 256) return kInvalidArgument;
    state_.thermalTargetRaw = raw;
    state_.thermalPriority = priority;
    return kOk;
}

int32_t GpuModel::SetCooler(int32_t level, uint32_t policy) {
    bool automatic = policy == kCoolerPolicyAuto || policy == 2 || policy == 4 || policy == 8;
    if (policy != kCoolerPolicyManual && !automatic) return kInvalidArgument;
    // A manual level must lie in the cooler's range; the automatic policies only keep it.
    if (policy == kCoolerPolicyManual && (level < spec_.fanMinPct || level > spec_.fanMaxPct)) {
        return kInvalidArgument;
    }
    if (level < 0 || level > 100) return kInvalidArgument;
    state_.coolerPolicy = policy;
    state_.coolerSetLevel = level;
    if (policy == kCoolerPolicyManual) state_.coolerLevelPct = level;
    return kOk;
}

uint32_t GpuModel::GpuClockKHz() const {
    return static_cast<uint32_t>(std::lround(state_.gpuClockMHz * 1000.0));
}

uint32_t GpuModel::MemoryClockKHz() const {
    return static_cast<uint32_t>(std::lround(state_.memoryClockMHz * 1000.0));
}

uint32_t GpuModel::BaseGpuClockKHz() const {
    int64_t khz = int64_t(spec_.baseClockMHz) * 1000;
    if (spec_.deviceId == kDevice0FC8) khz += state_.gpuOffsetKHz;
    return static_cast<uint32_t>(std::max<int64_t>(khz, 0));
}

uint32_t GpuModel::BaseMemoryClockKHz() const {
    int64_t khz = int64_t(spec_.memoryClockMHz) * 1000;
    if (spec_.deviceId == kDevice0FC8 || spec_.deviceId == kDevice1402)
        khz += state_.memoryOffsetKHz;
    return static_cast<uint32_t>(std::max<int64_t>(khz, 0));
}

uint32_t GpuModel::BoostGpuClockKHz() const {
    return static_cast<uint32_t>(
        std::max<int64_t>(int64_t(spec_.boostClockMHz) * 1000 + state_.gpuOffsetKHz, 0));
}

int32_t GpuModel::TemperatureC() const {
    return static_cast<int32_t>(std::lround(state_.temperatureC));
}

uint32_t GpuModel::CoolerLevel() const {
    return static_cast<uint32_t>(std::lround(state_.coolerLevelPct));
}

uint32_t GpuModel::TachRpm() const {
    return static_cast<uint32_t>(std::lround(state_.tachRpm));
}

uint32_t GpuModel::PowerPcm() const {
    return static_cast<uint32_t>(std::lround(state_.powerPct * 1000.0));
}

uint32_t GpuModel::VoltageUv() const {
    return static_cast<uint32_t>(std::lround(state_.voltageUv));
}

uint32_t GpuModel::MemoryUsedKB() const {
    return static_cast<uint32_t>(std::lround(state_.memoryUsedKB));
}

}  // namespace velmora::sim
