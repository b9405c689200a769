#include "app/FanControl.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

// A card whose temperature the test sets; records the fan as a card would hold it.
struct FakeCard : FanDevice {
    bool readOk = true;
    int32_t temperature = 40;
    std::vector<int32_t> levels;  // every level written, in order
    int restores = 0;
    bool automatic = true;

    bool ReadTemperature(int32_t& c) override {
        if (readOk) c = temperature;
        return readOk;
    }
    bool SetLevel(int32_t p) override {
        levels.push_back(p);
        automatic = false;
        return true;
    }
    bool RestoreDefault() override {
        ++restores;
        automatic = true;
        return true;
    }
};

struct FakeTimer : FanTimer {
    bool running = false;
    int32_t period = 0;
    int starts = 0;
    void Start(int32_t ms) override {
        running = true;
        period = ms;
        ++starts;
    }
    void Stop() override { running = false; }
};

FanConfigValues Curve(std::initializer_list<FanCurvePoint> pts, int32_t steps, int32_t period) {
    FanConfigValues v;
    int i = 0;
    for (const auto& p : pts) {
        v.points[i] = p;
        v.hasPoint[i][0] = v.hasPoint[i][1] = true;
        ++i;
    }
    v.hasSteps = true;
    v.steps = steps;
    v.hasPeriod = true;
    v.periodMs = period;
    return v;
}

const FanConfigValues kLineCurve =
    Curve({{30, 20}, {50, 40}, {70, 80}, {80, 100}, {85, 100}, {90, 100}, {95, 100}, {100, 100}}, 0,
          1000);

class FanControlTest : public testing::Test {
protected:
    FakeCard card;
    FakeTimer timer;
    FanControl fan{card, timer};

    void SwitchOn(const FanConfigValues& values) {
        fan.fanControlState = 1;
        fan.ApplyFanControlState([&](FanConfigValues& out) {
            out = values;
            return true;
        });
    }
};

TEST_F(FanControlTest, SwitchingOnCopiesTheCurveAndRunsItOnTheTimer) {
    SwitchOn(kLineCurve);
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, 1000);
    EXPECT_TRUE(fan.fanTimerRunning);

    card.temperature = 60;
    fan.RunFanCurve();
    card.temperature = 25;
    fan.RunFanCurve();
    EXPECT_EQ(card.levels, (std::vector<int32_t>{60, 20}));
}

TEST_F(FanControlTest, ReapplyingWithANewPeriodRestartsTheTimerWithoutReleasingTheFan) {
    SwitchOn(kLineCurve);
    FanConfigValues faster = kLineCurve;
    faster.periodMs = 500;
    SwitchOn(faster);
    EXPECT_EQ(timer.starts, 2);
    EXPECT_EQ(timer.period, 500);
    EXPECT_EQ(card.restores, 0);
}

TEST_F(FanControlTest, SwitchingOffReleasesTheFanOnceOnly) {
    SwitchOn(kLineCurve);
    fan.fanControlState = 0;
    fan.ApplyFanControlState(nullptr);
    fan.ApplyFanControlState(nullptr);
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_EQ(card.restores, 1);
}

TEST_F(FanControlTest, SwitchingOffWhenNeverOnLeavesTheFanAlone) {
    fan.fanControlState = 0;
    fan.ApplyFanControlState(nullptr);
    EXPECT_EQ(card.restores, 0);
}

TEST_F(FanControlTest, UnreadableFileLeavesTimerAndCurveAsTheyWere) {
    SwitchOn(kLineCurve);
    fan.ApplyFanControlState([](FanConfigValues&) { return false; });
    EXPECT_EQ(timer.starts, 1);
    EXPECT_EQ(fan.fanCurve[1].temperatureC, 50);
}

TEST_F(FanControlTest, MissingValuesKeepThePreviousOnes) {
    SwitchOn(kLineCurve);
    FanConfigValues partial;  // no FanMap, no UpdateTime
    partial.hasPoint[2][1] = true;
    partial.points[2].fanPercent = 90;
    fan.ApplyFanControlState([&](FanConfigValues& out) {
        out = partial;
        return true;
    });
    EXPECT_EQ(fan.fanCurve[2].temperatureC, 70);
    EXPECT_EQ(fan.fanCurve[2].fanPercent, 90);
    EXPECT_EQ(fan.fanUpdatePeriodMs, 1000);
}

TEST_F(FanControlTest, PeriodsOutsideThePagesRangeAreBounded) {
    const struct {
        int32_t stored, used;
    } cases[] = {{0, 1000}, {-5, 1000}, {1, 100}, {99, 100}, {100, 100}, {2500, 2500}};
    for (const auto& c : cases) {
        fan.fanUpdatePeriodMs = c.stored;
        EXPECT_EQ(fan.EffectivePeriodMs(), c.used) << c.stored;
    }
}

TEST_F(FanControlTest, FailedReadingsSetNothingThenHandTheFanBackUntilReadingsReturn) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    fan.RunFanCurve();
    ASSERT_EQ(card.levels.size(), 1u);

    card.readOk = false;
    for (int i = 1; i < FanControl::kFailedReadsBeforeRelease; ++i) fan.RunFanCurve();
    EXPECT_EQ(card.levels.size(), 1u);
    EXPECT_EQ(card.restores, 0);
    EXPECT_FALSE(card.automatic);

    fan.RunFanCurve();  // the third failure in a row
    EXPECT_EQ(card.restores, 1);
    EXPECT_TRUE(card.automatic);
    for (int i = 0; i < 5; ++i) fan.RunFanCurve();
    EXPECT_EQ(card.restores, 1) << "released once, not on every failing tick";
    EXPECT_TRUE(fan.ReleasedForFailedReadings());

    card.readOk = true;
    card.temperature = 25;
    fan.RunFanCurve();
    EXPECT_EQ(card.levels.back(), 20);
    EXPECT_FALSE(card.automatic);
    EXPECT_FALSE(fan.ReleasedForFailedReadings());
}

TEST_F(FanControlTest, AnOccasionalFailedReadingDoesNotReleaseTheFan) {
    SwitchOn(kLineCurve);
    for (int i = 0; i < 10; ++i) {
        card.readOk = (i % 2 == 0);
        fan.RunFanCurve();
    }
    EXPECT_EQ(card.restores, 0);
}

TEST_F(FanControlTest, ExitStoresTheAutoStartChoiceAndHandsTheFanBack) {
    struct {
        int32_t state;
        bool autoStart;
        bool fileOpens;
    } cases[] = {{-1, false, true}, {1, true, true}, {0, false, true}, {1, false, false}};
    for (const auto& c : cases) {
        FakeCard dev;
        FakeTimer t;
        FanControl f{dev, t};
        f.fanControlState = c.state;
        f.fanAutoStart = c.autoStart;
        dev.SetLevel(35);  // e.g. a fixed level from the clock window, or the curve's last
        bool stored = false;
        const bool ok = f.SaveFanStateOnExit([&](bool autoStart) {
            stored = autoStart;
            return c.fileOpens;
        });
        EXPECT_EQ(ok, c.fileOpens);
        EXPECT_EQ(stored, c.autoStart);
        EXPECT_TRUE(dev.automatic) << "state " << c.state << " file " << c.fileOpens;
    }
}

TEST_F(FanControlTest, AfterTheExitNoTickTakesTheFanAgain) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    fan.RunFanCurve();
    ASSERT_FALSE(card.automatic);
    fan.SaveFanStateOnExit([](bool) { return true; });
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(card.automatic);
    const size_t written = card.levels.size();
    fan.RunFanCurve();  // a tick that was already queued
    EXPECT_EQ(card.levels.size(), written);
    EXPECT_TRUE(card.automatic);
}

}  // namespace
}  // namespace velmora
