// What the clock settings window and its voltage window do with the card: read the limits,
// apply the values in their fixed order, go back to the card's defaults, undo unapplied edits,
// link the power and temperature targets, read and switch off the over-voltage. Windows-free:
// the windows copy their controls into ClockControls, call these and copy the result back.
#pragma once

#include <cstdint>

#include "gpu/GpuReadings.h"
#include "tuning/ClockProfile.h"

class NvidiaGpu;

namespace velmora {

class FanControl;

// The operations of the card the two windows use (the GPU object's, in everyday units).
class TuningCard {
  public:
    virtual ~TuningCard() = default;
    // clockIndex 0 GPU, 1 memory; 0 on failure.
    virtual int32_t ReadClockOffset(int32_t clockIndex) = 0;
    // domainId 0 graphics, 4 memory.
    virtual bool SetClockOffset(uint32_t domainId, int32_t offsetMHz) = 0;
    virtual bool ReadCooler(CoolerReading& out) = 0;
    virtual bool ReadPower(PowerReading& out) = 0;
    virtual bool SetPowerTarget(int32_t percent) = 0;
    virtual bool ReadTemperatureTarget(ThermalLimits& out) = 0;
    virtual bool SetTemperatureTarget(float degC, bool priority) = 0;
    virtual void SetTemperaturePriority(bool priority) = 0;
    virtual bool TemperatureForPower(float powerPct, float out[2]) = 0;
    virtual bool PowerForTemperature(float tempC, float currentPowerPct, float out[2]) = 0;
    virtual bool ReadVoltageRange(VoltageRange& out) = 0;
    virtual bool SetVoltageDelta(int32_t deltaUv) = 0;
    virtual bool ReadOverVoltage(OverVoltage& out) = 0;
    virtual bool SetOverVoltage(int32_t deltaUv) = 0;
    // Offsets 0, default power target, the fan to the driver.
    virtual bool ResetToDefaults() = 0;
};

// The card through the GPU object: power policy 0, thermal policy 1.
class GpuTuningCard : public TuningCard {
  public:
    explicit GpuTuningCard(NvidiaGpu& gpu) : gpu_(gpu) {}
    int32_t ReadClockOffset(int32_t clockIndex) override;
    bool SetClockOffset(uint32_t domainId, int32_t offsetMHz) override;
    bool ReadCooler(CoolerReading& out) override;
    bool ReadPower(PowerReading& out) override;
    bool SetPowerTarget(int32_t percent) override;
    bool ReadTemperatureTarget(ThermalLimits& out) override;
    bool SetTemperatureTarget(float degC, bool priority) override;
    void SetTemperaturePriority(bool priority) override;
    bool TemperatureForPower(float powerPct, float out[2]) override;
    bool PowerForTemperature(float tempC, float currentPowerPct, float out[2]) override;
    bool ReadVoltageRange(VoltageRange& out) override;
    bool SetVoltageDelta(int32_t deltaUv) override;
    bool ReadOverVoltage(OverVoltage& out) override;
    bool SetOverVoltage(int32_t deltaUv) override;
    bool ResetToDefaults() override;

  private:
    NvidiaGpu& gpu_;
};

// What the windows need of the program around them: the main window's fan control and the
// "Velmora.xml" flags the fan modes touch.
class TuningHost {
  public:
    virtual ~TuningHost() = default;
    // The main window's fan control: fanControlState and every fan level.
    virtual FanControl& Fan() = 0;
    // The main window's ApplyFanControlState (reads the curve from the file for state 1).
    virtual void ApplyFanControlState() = 0;
    // "/Velmora/ClockSetDlg/FanManual".
    virtual void SetFanManual(bool manual) = 0;
    // "/Velmora/FanDlg/AutoSystem" to "0".
    virtual void ClearFanAutoStart() = 0;
    // 0 automatic, 1 user-defined, 2 manual (FanModeFromConfig over the file).
    virtual int GetFanMode() = 0;
};

// The fixed ranges of the offset sliders, MHz.
inline constexpr float kGpuOffsetMin = -200, kGpuOffsetMax = 1200;
inline constexpr float kMemoryOffsetMin = -1000, kMemoryOffsetMax = 1000;
// The voltage sliders move in steps of 12.5 mV.
inline constexpr float kVoltageStepMv = 12.5f;

// The clock window's limits and current values from the card. keepFanLevel: the fan slider
// shows the current level (else the cooler's minimum).
void ReadLimits(TuningCard& card, TuningHost& host, bool keepFanLevel, ClockControls& controls,
                AppliedSettings& applied);

// The voltage window's sliders from the card.
void ReadVoltageLimits(TuningCard& card, ClockControls& controls, AppliedSettings& applied);

// Writes the controls' values to the card in the fixed order (clock offsets, power target,
// temperature target, voltages while the voltage window is open, fan mode), remembering each
// accepted value; refused ones move their slider back where the card still is.
void ApplySettings(TuningCard& card, TuningHost& host, ClockControls& controls,
                   AppliedSettings& applied);

// The default button: the card back to its defaults, the controls to the card's values.
void RestoreDefaults(TuningCard& card, TuningHost& host, ClockControls& controls,
                     AppliedSettings& applied);

// The cancel button: the values last applied back into the controls; the card is not touched.
void RevertToApplied(const AppliedSettings& applied, ClockControls& controls);

// With link set: the temperature slider follows the power slider, or the power slider the
// temperature slider. A refused conversion leaves the other slider where it was.
void LinkFromPower(TuningCard& card, ClockControls& controls);
void LinkFromTemperature(TuningCard& card, ClockControls& controls);

// The voltage window's over-voltage-off button: 0 written at once, the slider to 0 and locked.
void SwitchOverVoltageOff(TuningCard& card, ClockControls& controls);

}  // namespace velmora
