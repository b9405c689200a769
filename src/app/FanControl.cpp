#include "FanControl.h"

namespace velmora {

int32_t FanControl::EffectivePeriodMs() const {
    if (fanUpdatePeriodMs <= 0) return kDefaultPeriodMs;
    return fanUpdatePeriodMs < kMinPeriodMs ? kMinPeriodMs : fanUpdatePeriodMs;
}

void FanControl::ApplyConfig(const FanConfigValues& values) {
    for (int i = 0; i < 8; ++i) {
        if (values.hasPoint[i][0]) fanCurve[i].temperatureC = values.points[i].temperatureC;
        if (values.hasPoint[i][1]) fanCurve[i].fanPercent = values.points[i].fanPercent;
    }
    if (values.hasSteps) fanCurveSteps = values.steps;
    if (values.hasPeriod) fanUpdatePeriodMs = values.periodMs;
}

void FanControl::ApplyFanControlState(const std::function<bool(FanConfigValues&)>& loadConfig) {
    if (fanControlState == 1) {
        FanConfigValues values;
        if (!loadConfig || !loadConfig(values)) return;
        ApplyConfig(values);
        if (fanTimerRunning) timer_.Stop();
        timer_.Start(EffectivePeriodMs());
        fanTimerRunning = true;
        return;
    }
    if (fanTimerRunning) {
        timer_.Stop();
        fanTimerRunning = false;
        failedReads_ = 0;
        releasedForFailedReads_ = false;
        device_.RestoreDefault();
    }
}

void FanControl::RunFanCurve() {
    // A tick already queued when the exit began must not take the fan back from the driver.
    if (handedBackForExit_) return;
    int32_t temperature = 0;
    if (!device_.ReadTemperature(temperature)) {
        // No temperature, no level: and after a few such ticks the driver's own control is
        // safer than whatever level the fan was last given.
        if (++failedReads_ >= kFailedReadsBeforeRelease && !releasedForFailedReads_) {
            device_.RestoreDefault();
            releasedForFailedReads_ = true;
        }
        return;
    }
    failedReads_ = 0;
    releasedForFailedReads_ = false;

    const FanCurveLevels levels = EvaluateFanCurve(fanCurve, fanCurveSteps != 0, temperature);
    for (int i = 0; i < levels.count; ++i) device_.SetLevel(levels.levels[i]);
}

bool FanControl::SaveFanStateOnExit(const std::function<bool(bool)>& storeEnableFan) {
    const bool stored = storeEnableFan && storeEnableFan(fanAutoStart);
    // Whatever held the fan in this run (the curve, or a fixed level from the clock window),
    // nothing will drive it once the program is gone: the driver takes it back. The curve stops
    // first, so no tick between now and the end of the process (an ending session gives no
    // time limit) sets a level again.
    if (fanTimerRunning) {
        timer_.Stop();
        fanTimerRunning = false;
    }
    handedBackForExit_ = true;
    device_.RestoreDefault();
    return stored;
}

}  // namespace velmora
