#include "FanControl.h"

#include <algorithm>

namespace velmora {

int32_t FanControl::EffectivePeriodMs() const {
    if (fanUpdatePeriodMs <= 0) return kDefaultPeriodMs;
    return std::clamp(fanUpdatePeriodMs, kMinPeriodMs, kMaxPeriodMs);
}

int FanControl::TicksPerWrite() const {
    const int32_t period = EffectivePeriodMs();
    return static_cast<int>((period + kFailSafeCheckMs - 1) / kFailSafeCheckMs);
}

int32_t FanControl::TickPeriodMs() const {
    return EffectivePeriodMs() / TicksPerWrite();
}

void FanControl::MergeConfig(const FanConfigValues& values) {
    const FanMapValues& map = values.map;
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        if (map.hasTemperature[i]) fanCurve[i].temperatureC = map.points[i].temperatureC;
        if (map.hasFanPercent[i]) fanCurve[i].fanPercent = map.points[i].fanPercent;
        havePoint_[i][0] = havePoint_[i][0] || map.hasTemperature[i];
        havePoint_[i][1] = havePoint_[i][1] || map.hasFanPercent[i];
    }
    if (map.hasSteps) fanCurveSteps = map.steps;
    if (values.hasPeriod) fanUpdatePeriodMs = values.periodMs;
}

// A curve with a value never read would run on zeros (0 % above the last point), and one whose
// temperatures go down has segments that no temperature reaches as drawn.
FanCurveProblem FanControl::CheckCurve() const {
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        if (!havePoint_[i][0] || !havePoint_[i][1]) return FanCurveProblem::MissingValues;
    }
    for (int i = 1; i < kFanCurvePointCount; ++i) {
        if (fanCurve[i].temperatureC < fanCurve[i - 1].temperatureC) {
            return FanCurveProblem::OutOfOrder;
        }
    }
    return FanCurveProblem::None;
}

void FanControl::ReadLevelRange() {
    int32_t lo = 0;
    int32_t hi = 0;
    levelMin_ = kLowestLevel;
    levelMax_ = kHighestLevel;
    // A level outside the cooler's range is refused and the fan would stay where it was.
    if (device_.ReadLevelRange(lo, hi) && lo <= hi) {
        levelMin_ = std::clamp(lo, kLowestLevel, kHighestLevel);
        levelMax_ = std::clamp(hi, kLowestLevel, kHighestLevel);
    }
}

void FanControl::StartTimer() {
    if (fanTimerRunning) timer_.Stop();
    timer_.Start(TickPeriodMs());
    fanTimerRunning = true;
    ticksUntilWrite_ = 0;
    lastGoodMs_ = timer_.NowMs();
    lastWriteRefused_ = false;
}

void FanControl::StopTimer() {
    if (!fanTimerRunning) return;
    timer_.Stop();
    fanTimerRunning = false;
}

void FanControl::ApplyFanControlState(const std::function<bool(FanConfigValues&)>& loadConfig) {
    if (fanControlState == 1) {
        FanConfigValues values;
        if (!loadConfig || !loadConfig(values)) return;
        MergeConfig(values);
        curveProblem_ = CheckCurve();
        if (curveProblem_ != FanCurveProblem::None) {
            // The driver keeps (or gets back) the fan rather than a curve that is not whole.
            StopTimer();
            HandBackAll();
            return;
        }
        ReadLevelRange();
        StartTimer();
        return;
    }
    if (fanTimerRunning) {
        StopTimer();
        releasedForFailures_ = false;
        HandBackAll();
    }
}

bool FanControl::WriteLevel(int32_t percent) {
    return hold_.WriteLevel(device_.SelectedGpu(), [&] { return device_.SetLevel(percent); });
}

void FanControl::FailSafeCheck(int64_t now) {
    // No temperature, or a level the card refuses: after a while the driver's own control is
    // safer than whatever level the fan was last given.
    if (releasedForFailures_ || now - lastGoodMs_ < kFailSafeMs) return;
    HandBackAll();
    releasedForFailures_ = true;
}

void FanControl::RunFanCurve() {
    // A tick already queued when the exit began must not take the fan back from the driver.
    if (handedBackForExit_ || !fanTimerRunning) return;
    const int64_t now = timer_.NowMs();
    const bool writeTick = --ticksUntilWrite_ <= 0;
    if (writeTick) ticksUntilWrite_ = TicksPerWrite();

    int32_t temperature = 0;
    if (!device_.ReadTemperature(temperature)) {
        FailSafeCheck(now);
        return;
    }
    if (writeTick) {
        const FanCurveLevels levels = EvaluateFanCurve(fanCurve, fanCurveSteps != 0, temperature);
        bool accepted = true;
        for (int i = 0; i < levels.count; ++i) {
            accepted = WriteLevel(std::clamp(levels.levels[i], levelMin_, levelMax_)) && accepted;
        }
        lastWriteRefused_ = !accepted;
    }
    if (lastWriteRefused_) {
        FailSafeCheck(now);
        return;
    }
    lastGoodMs_ = now;
    releasedForFailures_ = false;
}

bool FanControl::SetFixedLevel(int32_t percent) {
    if (handedBackForExit_ || percent < kLowestLevel || percent > kHighestLevel) return false;
    return WriteLevel(percent);
}

bool FanControl::SwitchToFixedLevel(int32_t percent) {
    // Stopping the curve after the write would hand this very level back to the driver.
    fanControlState = 0;
    ApplyFanControlState(nullptr);
    return SetFixedLevel(percent);
}

bool FanControl::SwitchToDriver() {
    fanControlState = 0;
    StopTimer();
    releasedForFailures_ = false;
    const int gpu = device_.SelectedGpu();
    const bool selectedHeld = hold_.Holds(gpu);
    HandBackAll();
    if (selectedHeld) return !hold_.Holds(gpu);
    // Another tool may have fixed this fan; the user asked for the driver's control anyway.
    return device_.RestoreDefault(gpu);
}

FanSwitchOutcome FanControl::ApplySettingsSwitch(
    bool shownOn, bool on, const std::function<bool(FanConfigValues&)>& loadConfig) {
    if (on) {
        if (!shownOn) {
            // A fixed level is not the curve's to keep: it goes, whether the curve starts or not.
            StopTimer();
            releasedForFailures_ = false;
            HandBackAll();
        }
        fanControlState = 1;
        ApplyFanControlState(loadConfig);
        return shownOn ? FanSwitchOutcome::Unchanged : FanSwitchOutcome::CurveOn;
    }
    if (shownOn) {
        SwitchToDriver();
        return FanSwitchOutcome::DriverOn;
    }
    // Off as it was: decided now, and nothing on the card changes.
    fanControlState = 0;
    return FanSwitchOutcome::Unchanged;
}

void FanControl::SelectedGpuChanged() {
    HandBackAll();
    if (fanTimerRunning) {
        ReadLevelRange();
        ticksUntilWrite_ = 0;
    }
}

bool FanControl::HandBackAll() {
    bool all = true;
    const uint64_t held = hold_.HeldMask();
    for (int gpu = 0; gpu < kFanHoldMaxGpus; ++gpu) {
        if (!((held >> gpu) & 1u)) continue;
        // A GPU whose hand-back failed stays recorded, so the guard or the next start retries.
        if (device_.RestoreDefault(gpu)) {
            hold_.Released(gpu);
        } else {
            all = false;
        }
    }
    return all;
}

bool FanControl::SaveFanStateOnExit(const std::function<bool(bool)>& storeEnableFan) {
    // The fan first: the file access below may stall (a slow disk, COM), and nothing will
    // drive the fan once the program is gone. The curve stops for good, so no tick between now
    // and the end of the process (an ending session gives no time limit) sets a level again.
    StopTimer();
    handedBackForExit_ = true;
    HandBackAll();
    return storeEnableFan && storeEnableFan(fanAutoStart);
}

}  // namespace velmora
