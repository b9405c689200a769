#include "tuning/ClockTuning.h"

#include <cmath>

#include "app/FanControl.h"
#include "gpu/NvidiaGpu.h"

namespace velmora {
namespace {

constexpr uint32_t kGraphicsDomain = 0;
constexpr uint32_t kMemoryDomain = 4;
constexpr uint32_t kPowerPolicy = 0;
constexpr uint32_t kThermalPolicy = 1;
constexpr double kUvPerMv = 1000.0;

int32_t Truncate(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

float Millivolts(int32_t microvolts) {
    return static_cast<float>(microvolts / kUvPerMv);
}

void SelectFanMode(FanModeButton mode, ClockControls& c) {
    c.fanMode = mode;
    c.fanSpeed.enabled = mode == FanModeButton::Manual;
}

void ApplyVoltages(TuningCard& card, ClockControls& c, AppliedSettings& applied) {
    VoltageRange range;
    card.ReadVoltageRange(range);
    const double requestedUv = c.voltageMin.value * kUvPerMv;
    const double deltaUv =
        Truncate(requestedUv) > range.absDeltaMinUv ? requestedUv - range.absDeltaMinUv : 0.0;
    const int32_t delta = Truncate(deltaUv);
    if (!card.SetVoltageDelta(delta) && delta != 0) {
        // The card kept the delta it had: show the value it last accepted from this window
        // (its base voltage when nothing was accepted yet).
        c.voltageMin.SetPos(applied.voltageMin);
    } else {
        if (delta == 0) {
            card.ReadVoltageRange(range);
            c.voltageMin.SetPos(Millivolts(range.baseUv));
        }
        applied.voltageMin = c.voltageMin.value;
    }

    if (!c.overVoltageOn) return;
    OverVoltage before;
    const bool haveBefore = card.ReadOverVoltage(before);
    const int32_t over = Truncate(c.overVoltage.value * kUvPerMv);
    if (!card.SetOverVoltage(over) && over != 0) {
        // The card keeps the over-voltage it reported just before the write.
        c.overVoltage.SetPos(haveBefore ? Millivolts(before.deltaCurrentUv) : applied.voltageMax);
    } else {
        applied.voltageMax = c.overVoltage.value;
    }
}

void ApplyFanMode(TuningCard& card, TuningHost& host, ClockControls& c, AppliedSettings& applied) {
    FanControl& fan = host.Fan();
    switch (c.fanMode) {
        case FanModeButton::Automatic: {
            fan.fanControlState = 0;
            host.ClearFanAutoStart();
            host.SetFanManual(false);
            fan.SwitchToDriver();
            CoolerReading cooler;
            card.ReadCooler(cooler);
            c.fanSpeed.SetPos(static_cast<float>(cooler.minLevelPct));
            c.fanSpeed.enabled = false;
            applied.fanMode = 0;
            break;
        }
        case FanModeButton::Manual: {
            const int32_t level = c.fanSpeed.Whole();
            applied.fanMode = 1;
            fan.fanControlState = 0;
            host.ClearFanAutoStart();
            host.SetFanManual(true);
            // The curve stops before the level is written, so the level is what stays.
            if (fan.SwitchToFixedLevel(level)) {
                applied.fanSpeed = level;
            } else {
                c.fanSpeed.SetPos(static_cast<float>(applied.fanSpeed));
            }
            break;
        }
        case FanModeButton::UserDefined:
            applied.fanMode = 2;
            c.fanSpeed.enabled = false;
            fan.fanControlState = 1;
            host.SetFanManual(false);
            break;
    }
}

}  // namespace

// ---- the card through the GPU object ---------------------------------------------------------

int32_t GpuTuningCard::ReadClockOffset(int32_t clockIndex) {
    return gpu_.ReadClockOffset(clockIndex);
}
bool GpuTuningCard::SetClockOffset(uint32_t domainId, int32_t offsetMHz) {
    return gpu_.SetClockOffset(domainId, offsetMHz);
}
bool GpuTuningCard::ReadCooler(CoolerReading& out) {
    return gpu_.ReadCooler(out);
}
bool GpuTuningCard::ReadPower(PowerReading& out) {
    return gpu_.ReadPower(out);
}
bool GpuTuningCard::SetPowerTarget(int32_t percent) {
    return gpu_.SetPowerTarget(kPowerPolicy, percent);
}
bool GpuTuningCard::ReadTemperatureTarget(ThermalLimits& out) {
    return gpu_.ReadTemperatureTarget(out);
}
bool GpuTuningCard::SetTemperatureTarget(float degC, bool priority) {
    return gpu_.SetTemperatureTarget(kThermalPolicy, degC, priority);
}
void GpuTuningCard::SetTemperaturePriority(bool priority) {
    gpu_.SetTemperaturePriority(kThermalPolicy, priority);
}
bool GpuTuningCard::TemperatureForPower(float powerPct, float out[2]) {
    return gpu_.TemperatureForPower(kPowerPolicy, kThermalPolicy, powerPct, out);
}
bool GpuTuningCard::PowerForTemperature(float tempC, float currentPowerPct, float out[2]) {
    return gpu_.PowerForTemperature(kPowerPolicy, kThermalPolicy, tempC, currentPowerPct, out);
}
bool GpuTuningCard::ReadVoltageRange(VoltageRange& out) {
    return gpu_.ReadVoltageRange(out);
}
bool GpuTuningCard::SetVoltageDelta(int32_t deltaUv) {
    return gpu_.SetVoltageDelta(deltaUv);
}
bool GpuTuningCard::ReadOverVoltage(OverVoltage& out) {
    return gpu_.ReadOverVoltage(out);
}
bool GpuTuningCard::SetOverVoltage(int32_t deltaUv) {
    return gpu_.SetOverVoltage(deltaUv);
}
bool GpuTuningCard::ResetToDefaults() {
    return gpu_.ResetToDefaults();
}

// ---- the windows' operations -----------------------------------------------------------------

void ReadLimits(TuningCard& card, TuningHost& host, bool keepFanLevel, ClockControls& c,
                AppliedSettings& applied) {
    c.gpuOffset.SetRange(kGpuOffsetMin, kGpuOffsetMax);
    c.gpuOffset.SetPos(0);
    c.memoryOffset.SetRange(kMemoryOffsetMin, kMemoryOffsetMax);
    c.memoryOffset.SetPos(0);
    applied.gpuClockOffset = card.ReadClockOffset(0);
    applied.memoryClockOffset = card.ReadClockOffset(1);
    c.gpuOffset.SetPos(static_cast<float>(applied.gpuClockOffset));
    c.memoryOffset.SetPos(static_cast<float>(applied.memoryClockOffset));

    // Without a reading the slider keeps its range: a range of 0..0 would offer a stopped fan.
    CoolerReading cooler;
    if (card.ReadCooler(cooler)) {
        c.fanSpeed.SetRange(static_cast<float>(cooler.minLevelPct),
                            static_cast<float>(cooler.maxLevelPct));
        c.fanSpeed.SetPos(
            static_cast<float>(keepFanLevel ? cooler.currentLevelPct : cooler.minLevelPct));
        applied.fanSpeed = cooler.minLevelPct;
    }

    PowerReading power;
    if (card.ReadPower(power)) {
        c.powerTarget.SetRange(static_cast<float>(power.limitMinPct),
                               static_cast<float>(power.limitMaxPct));
        c.powerTarget.SetPos(static_cast<float>(power.limitCurrentPct));
        c.powerTarget.enabled = true;
        applied.powerTarget = power.limitCurrentPct;
    } else {
        c.powerTarget.enabled = false;
        applied.powerTarget = 0;
    }

    ThermalLimits thermal;
    card.ReadTemperatureTarget(thermal);
    c.temperatureTarget.SetRange(static_cast<float>(thermal.minC),
                                 static_cast<float>(thermal.maxC));
    c.temperatureTarget.SetPos(static_cast<float>(thermal.currentTargetC));
    applied.temperatureTarget = thermal.currentTargetC;
    c.prioritize = thermal.priorityFlag != 0;

    switch (host.GetFanMode()) {
        case 1:
            SelectFanMode(FanModeButton::UserDefined, c);
            break;
        case 2:
            SelectFanMode(FanModeButton::Manual, c);
            break;
        default:
            SelectFanMode(FanModeButton::Automatic, c);
            break;
    }
}

void ReadVoltageLimits(TuningCard& card, ClockControls& c, AppliedSettings& applied) {
    VoltageRange range;
    card.ReadVoltageRange(range);
    c.voltageMin.SetRange(Millivolts(range.absDeltaMinUv), Millivolts(range.maxUv));
    c.voltageMin.SetPos(Millivolts(range.baseUv));
    applied.voltageMin = Millivolts(range.baseUv);

    OverVoltage over;
    if (!card.ReadOverVoltage(over)) {
        c.overVoltage.enabled = false;
        return;
    }
    c.overVoltage.SetRange(Millivolts(over.deltaMinUv), Millivolts(over.deltaMaxUv));
    c.overVoltage.SetPos(Millivolts(over.deltaCurrentUv));
    applied.voltageMax = Millivolts(over.deltaCurrentUv);
    if (over.deltaCurrentUv != 0) {
        c.overVoltageOn = true;
        c.overVoltage.enabled = true;
    }
}

void ApplySettings(TuningCard& card, TuningHost& host, ClockControls& c, AppliedSettings& applied) {
    const int32_t gpu = c.gpuOffset.Whole();
    if (card.SetClockOffset(kGraphicsDomain, gpu)) {
        c.gpuOffset.SetPos(static_cast<float>(gpu));
        applied.gpuClockOffset = gpu;
    }
    // The memory offset goes to the card as the user set it (no doubling).
    const int32_t memory = c.memoryOffset.Whole();
    if (card.SetClockOffset(kMemoryDomain, memory)) {
        c.memoryOffset.SetPos(static_cast<float>(memory));
        applied.memoryClockOffset = memory;
    }
    if (c.powerTarget.enabled) {
        const int32_t power = c.powerTarget.Whole();
        if (card.SetPowerTarget(power)) {
            applied.powerTarget = power;
        } else {
            c.powerTarget.SetPos(static_cast<float>(applied.powerTarget));
        }
    }
    const float temperature = c.temperatureTarget.value;
    if (card.SetTemperatureTarget(temperature, c.prioritize)) {
        applied.temperatureTarget = Truncate(temperature);
    }
    if (c.voltageWindowOpen) ApplyVoltages(card, c, applied);
    ApplyFanMode(card, host, c, applied);
    host.ApplyFanControlState();
}

void RestoreDefaults(TuningCard& card, TuningHost& host, ClockControls& c,
                     AppliedSettings& applied) {
    host.SetFanManual(false);
    card.ResetToDefaults();
    card.SetVoltageDelta(0);

    ReadLimits(card, host, false, c, applied);
    c.link = true;

    ThermalLimits thermal;
    card.ReadTemperatureTarget(thermal);
    card.SetTemperatureTarget(static_cast<float>(thermal.defaultC), c.prioritize);
    c.temperatureTarget.SetPos(static_cast<float>(thermal.defaultC));

    card.SetOverVoltage(0);
    if (c.voltageWindowOpen) {
        c.overVoltageOn = false;
        ReadVoltageLimits(card, c, applied);
        c.overVoltage.enabled = false;
    }

    c.prioritize = false;
    card.SetTemperaturePriority(false);

    // The fan is the driver's now (the reset handed it back), whatever the file said about
    // the curve when the limits were read: the buttons say so too.
    host.Fan().SwitchToDriver();
    host.ApplyFanControlState();
    host.ClearFanAutoStart();
    SelectFanMode(FanModeButton::Automatic, c);
}

void RevertToApplied(const AppliedSettings& applied, ClockControls& c) {
    c.gpuOffset.SetPos(static_cast<float>(applied.gpuClockOffset));
    c.memoryOffset.SetPos(static_cast<float>(applied.memoryClockOffset));
    c.fanSpeed.SetPos(static_cast<float>(applied.fanSpeed));
    c.powerTarget.SetPos(static_cast<float>(applied.powerTarget));
    c.temperatureTarget.SetPos(static_cast<float>(applied.temperatureTarget));
    if (c.voltageWindowOpen) {
        c.voltageMin.SetPos(applied.voltageMin);
        c.overVoltage.SetPos(applied.voltageMax);
    }
    // The fan slider's enabled state stays as it is.
    switch (applied.fanMode) {
        case 0:
            c.fanMode = FanModeButton::Automatic;
            break;
        case 1:
            c.fanMode = FanModeButton::Manual;
            break;
        case 2:
            c.fanMode = FanModeButton::UserDefined;
            break;
        default:
            break;
    }
}

void LinkFromPower(TuningCard& card, ClockControls& c) {
    float out[2] = {};
    if (card.TemperatureForPower(c.powerTarget.value, out)) c.temperatureTarget.SetPos(out[1]);
}

void LinkFromTemperature(TuningCard& card, ClockControls& c) {
    float out[2] = {};
    if (card.PowerForTemperature(c.temperatureTarget.value, c.powerTarget.value, out)) {
        c.powerTarget.SetPos(out[0]);
    }
}

void SwitchOverVoltageOff(TuningCard& card, ClockControls& c) {
    card.SetOverVoltage(0);
    OverVoltage unused;
    card.ReadOverVoltage(unused);
    c.overVoltageOn = false;
    c.overVoltage.SetPos(0);
    c.overVoltage.enabled = false;
}

}  // namespace velmora
