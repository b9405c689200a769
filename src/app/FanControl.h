// The automatic fan control the main window hosts: the fan-control state, the curve copy,
// the timer that runs the curve, and the exit path that hands the fan back to the driver.
// Windows-free: the card, the timer and the configuration file are reached through small
// interfaces, so the rules (including the fail-safe) are tested natively.
#pragma once

#include <cstdint>
#include <functional>

#include "tuning/FanCurve.h"

namespace velmora {

// What the fan control needs of the card.
class FanDevice {
public:
    virtual ~FanDevice() = default;
    // The GPU temperature in whole degrees; false when the reading failed.
    virtual bool ReadTemperature(int32_t& celsius) = 0;
    // A fixed level under the manual policy; the result is not acted upon.
    virtual bool SetLevel(int32_t percent) = 0;
    // Back to the driver's automatic control.
    virtual bool RestoreDefault() = 0;
};

// Timer 10 of the main window.
class FanTimer {
public:
    virtual ~FanTimer() = default;
    virtual void Start(int32_t periodMs) = 0;
    virtual void Stop() = 0;
};

// The "/Velmora/FanDlg" values as found in the file; each has* false when its node or
// attribute is missing, so the running copy keeps its previous value.
struct FanConfigValues {
    bool hasPoint[8][2] = {};
    FanCurvePoint points[8] = {};
    bool hasSteps = false;
    int32_t steps = 0;
    bool hasPeriod = false;
    int32_t periodMs = 0;
};

class FanControl {
public:
    // Ticks in a row without a temperature before the fan goes back to the driver.
    static constexpr int kFailedReadsBeforeRelease = 3;
    // The page allows periods down to this; a smaller stored value would hammer the driver.
    static constexpr int32_t kMinPeriodMs = 100;
    // Used when no period was ever read, or a non-positive one is stored.
    static constexpr int32_t kDefaultPeriodMs = 1000;

    FanControl(FanDevice& device, FanTimer& timer) : device_(device), timer_(timer) {}

    // -1 not yet known in this run, 0 off, 1 on.
    int32_t fanControlState = -1;
    bool fanAutoStart = false;
    bool fanTimerRunning = false;
    FanCurvePoint fanCurve[8] = {};
    int32_t fanCurveSteps = 0;
    int32_t fanUpdatePeriodMs = 0;

    // Brings timer 10 in line with fanControlState. loadConfig fills the values from the file
    // and returns false when the file cannot be opened (the timer then stays as it is).
    void ApplyFanControlState(const std::function<bool(FanConfigValues&)>& loadConfig);

    // One tick: read the temperature, evaluate the curve, set the fan.
    void RunFanCurve();

    // On every exit path. storeEnableFan writes "EnableFan" from the auto-start choice and
    // returns false when the file cannot be opened. The fan is handed back to the driver in
    // every case: also when the file is missing, and also after a fixed level.
    bool SaveFanStateOnExit(const std::function<bool(bool autoStart)>& storeEnableFan);

    // True while the fail-safe has handed the fan back because readings failed.
    bool ReleasedForFailedReadings() const { return releasedForFailedReads_; }

    // The period timer 10 actually runs with.
    int32_t EffectivePeriodMs() const;

private:
    void ApplyConfig(const FanConfigValues& values);

    FanDevice& device_;
    FanTimer& timer_;
    int failedReads_ = 0;
    bool releasedForFailedReads_ = false;
    // Set by SaveFanStateOnExit: from then on nothing in this run drives the fan again.
    bool handedBackForExit_ = false;
};

}  // namespace velmora
