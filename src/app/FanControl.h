// The automatic fan control the main window hosts: the fan-control state, the curve copy,
// the timer that runs the curve, the fail-safe, and the exit path that hands the fan back to
// the driver. Windows-free: the card, the timer and the configuration file are reached through
// small interfaces, so the rules are tested natively. Every level the program sets, the
// curve's and a fixed one, goes through here and through FanHold.
#pragma once

#include <cstdint>
#include <functional>

#include "app/FanHold.h"
#include "tuning/FanCurve.h"

namespace velmora {

// What the fan control needs of the card.
class FanDevice {
  public:
    virtual ~FanDevice() = default;
    // The GPU the program works on now.
    virtual int SelectedGpu() = 0;
    // The GPU temperature in whole degrees; false when the reading failed.
    virtual bool ReadTemperature(int32_t& celsius) = 0;
    // The levels the selected GPU's cooler accepts; false when unknown.
    virtual bool ReadLevelRange(int32_t& minPct, int32_t& maxPct) = 0;
    // A fixed level on the selected GPU under the manual policy; false when refused.
    virtual bool SetLevel(int32_t percent) = 0;
    // GPU `gpu`'s fan back to the driver's automatic control.
    virtual bool RestoreDefault(int gpu) = 0;
};

// Timer 10 of the main window, and the clock the fail-safe measures with.
class FanTimer {
  public:
    virtual ~FanTimer() = default;
    virtual void Start(int32_t periodMs) = 0;
    virtual void Stop() = 0;
    // A steady clock in milliseconds.
    virtual int64_t NowMs() = 0;
};

// The "/Velmora/FanDlg" values as found in the file; each has* false when its node or
// attribute is missing, so the running copy keeps its previous value.
struct FanConfigValues {
    FanMapValues map;
    bool hasPeriod = false;
    int32_t periodMs = 0;
};

// What the settings window's OK did to the fan mode (the Fan page's switch).
enum class FanSwitchOutcome {
    // The switch stayed as the page showed it: a fixed level stays fixed, the curve runs on.
    Unchanged,
    // Switched on: the curve drives the fan from now on.
    CurveOn,
    // Switched off: the fan is the driver's again.
    DriverOn,
};

// Why the curve does not drive the fan while the control is on.
enum class FanCurveProblem {
    None,
    // Some of the sixteen point values were never read: a missing "FanMap" or attribute.
    MissingValues,
    // The temperatures go down somewhere along the curve.
    OutOfOrder,
};

class FanControl {
  public:
    // The curve's period is kept within these; the page offers 100 ms steps.
    static constexpr int32_t kMinPeriodMs = 100;
    static constexpr int32_t kMaxPeriodMs = 60000;
    // Used when no period was ever read, or a non-positive one is stored.
    static constexpr int32_t kDefaultPeriodMs = 1000;
    // Without a good tick (a reading, and the level accepted) for this long, the fan goes back
    // to the driver. Long curve periods are checked at least this often in between.
    static constexpr int32_t kFailSafeMs = 3000;
    static constexpr int32_t kFailSafeCheckMs = 1000;
    // The levels a fan can take at all; the cooler's own range narrows them.
    static constexpr int32_t kLowestLevel = 0;
    static constexpr int32_t kHighestLevel = 100;

    FanControl(FanDevice& device, FanTimer& timer, FanHold& hold)
        : device_(device), timer_(timer), hold_(hold) {}

    // -1 not yet known in this run, 0 off, 1 on.
    int32_t fanControlState = -1;
    bool fanAutoStart = false;
    bool fanTimerRunning = false;
    FanCurvePoint fanCurve[kFanCurvePointCount] = {};
    int32_t fanCurveSteps = 0;
    int32_t fanUpdatePeriodMs = 0;

    // Brings timer 10 in line with fanControlState. loadConfig fills the values from the file
    // and returns false when the file cannot be opened (the timer then stays as it is). A
    // curve that is incomplete or out of order does not run: the driver keeps the fan, and
    // CurveProblem() says why.
    void ApplyFanControlState(const std::function<bool(FanConfigValues&)>& loadConfig);

    // One tick of timer 10: read the temperature, evaluate the curve, set the fan.
    void RunFanCurve();

    // A fixed level chosen by the user (the clock window's manual fan mode), on the selected
    // GPU; false when refused.
    bool SetFixedLevel(int32_t percent);

    // The clock window's manual fan mode: the curve stops for good in this state (its fans go
    // back to the driver first), then the fixed level is written, so the level the user chose
    // is what the fan holds afterwards. A refused level leaves the fan with the driver.
    bool SwitchToFixedLevel(int32_t percent);

    // The clock window's automatic fan mode: the curve stops and the selected GPU's fan (and any
    // other this run holds) goes back to the driver, held or not. False when the selected
    // GPU's hand-back was refused.
    bool SwitchToDriver();

    // The settings window's OK, once the Fan page is stored: shownOn is the page's switch as it
    // opened, on as OK finds it. Only a switch the user moved changes the mode; an untouched
    // switch that is off leaves a fixed level (the clock window's manual mode) as it is. On
    // brings the curve in (from a fixed level the fan goes to the driver first, so a curve
    // that cannot start leaves no level behind); moved off, the fans go back to the driver.
    FanSwitchOutcome ApplySettingsSwitch(bool shownOn, bool on,
                                         const std::function<bool(FanConfigValues&)>& loadConfig);

    // Another GPU was chosen: the fans this run holds go back to the driver (the curve then
    // drives the new GPU from its next tick, within that cooler's range).
    void SelectedGpuChanged();

    // On every exit path, first of all: stops the curve for good and hands back every fan this
    // run holds, then storeEnableFan writes "EnableFan" from the auto-start choice (false when
    // the file cannot be opened). Returns storeEnableFan's result.
    bool SaveFanStateOnExit(const std::function<bool(bool autoStart)>& storeEnableFan);

    // Every fan this run holds back to the driver; true when all went back.
    bool HandBackAll();

    FanCurveProblem CurveProblem() const { return curveProblem_; }
    // True while the fail-safe has handed the fan back because ticks failed.
    bool ReleasedForFailures() const { return releasedForFailures_; }
    // The curve's period in force, within kMinPeriodMs..kMaxPeriodMs.
    int32_t EffectivePeriodMs() const;
    // The period timer 10 runs with: the curve's, or a fraction of it short enough for the
    // fail-safe.
    int32_t TickPeriodMs() const;
    // The levels the curve's writes are clamped to (the cooler's range when control started).
    int32_t LevelMin() const { return levelMin_; }
    int32_t LevelMax() const { return levelMax_; }

  private:
    void MergeConfig(const FanConfigValues& values);
    FanCurveProblem CheckCurve() const;
    void ReadLevelRange();
    void StartTimer();
    void StopTimer();
    int TicksPerWrite() const;
    bool WriteLevel(int32_t percent);
    void FailSafeCheck(int64_t now);

    FanDevice& device_;
    FanTimer& timer_;
    FanHold& hold_;
    bool havePoint_[kFanCurvePointCount][2] = {};
    FanCurveProblem curveProblem_ = FanCurveProblem::None;
    int32_t levelMin_ = kLowestLevel;
    int32_t levelMax_ = kHighestLevel;
    int ticksUntilWrite_ = 0;
    int64_t lastGoodMs_ = 0;
    bool lastWriteRefused_ = false;
    bool releasedForFailures_ = false;
    // Set by SaveFanStateOnExit: from then on nothing in this run drives the fan again.
    bool handedBackForExit_ = false;
};

}  // namespace velmora
