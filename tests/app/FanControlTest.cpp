#include "app/FanControl.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

// Cards whose temperature the test sets; each holds its fan as a card would, and refuses
// levels outside its cooler's range as a driver does.
struct FakeCards : FanDevice {
    struct Card {
        bool automatic = true;
        int32_t level = 0;
    };
    Card cards[2];
    int selected = 0;
    bool readOk = true;
    bool rangeOk = true;
    int32_t temperature = 40;
    int32_t minPct = 0;
    int32_t maxPct = 100;
    std::vector<int32_t> levels;  // every level accepted, in order
    int writeAttempts = 0;
    int restores = 0;

    int SelectedGpu() override { return selected; }
    bool ReadTemperature(int32_t& c) override {
        if (readOk) c = temperature;
        return readOk;
    }
    bool ReadLevelRange(int32_t& lo, int32_t& hi) override {
        lo = minPct;
        hi = maxPct;
        return rangeOk;
    }
    bool SetLevel(int32_t p) override {
        ++writeAttempts;
        if (p < minPct || p > maxPct) return false;
        levels.push_back(p);
        cards[selected] = {false, p};
        return true;
    }
    bool RestoreDefault(int gpu) override {
        ++restores;
        cards[gpu].automatic = true;
        return true;
    }
    bool Automatic(int gpu = 0) const { return cards[gpu].automatic; }
};

struct FakeTimer : FanTimer {
    bool running = false;
    int32_t period = 0;
    int starts = 0;
    int64_t now = 1000000;
    void Start(int32_t ms) override {
        running = true;
        period = ms;
        ++starts;
    }
    void Stop() override { running = false; }
    int64_t NowMs() override { return now; }
};

// The marker as the store last held it.
struct FakeStore : FanHoldStore {
    std::vector<uint64_t> stored;
    bool Store(uint64_t mask) override {
        stored.push_back(mask);
        return true;
    }
};

FanConfigValues Curve(std::initializer_list<FanCurvePoint> pts, int32_t steps, int32_t period) {
    FanConfigValues v;
    int i = 0;
    for (const auto& p : pts) {
        v.map.points[i] = p;
        v.map.hasTemperature[i] = v.map.hasFanPercent[i] = true;
        ++i;
    }
    v.map.hasSteps = true;
    v.map.steps = steps;
    v.hasPeriod = true;
    v.periodMs = period;
    return v;
}

const FanConfigValues kLineCurve =
    Curve({{30, 20}, {50, 40}, {70, 80}, {80, 100}, {85, 100}, {90, 100}, {95, 100}, {100, 100}}, 0,
          1000);

class FanControlTest : public testing::Test {
  protected:
    FakeCards card;
    FakeTimer timer;
    FakeStore store;
    FanHold hold{&store};
    FanControl fan{card, timer, hold};

    void SwitchOn(const FanConfigValues& values) {
        fan.fanControlState = 1;
        fan.ApplyFanControlState([&](FanConfigValues& out) {
            out = values;
            return true;
        });
    }
    // Ticks of timer 10 over `ms` of time.
    void RunFor(int64_t ms) {
        for (int64_t t = 0; t < ms; t += fan.TickPeriodMs()) {
            timer.now += fan.TickPeriodMs();
            fan.RunFanCurve();
        }
    }
    void Tick() { RunFor(1); }
};

TEST_F(FanControlTest, SwitchingOnCopiesTheCurveAndRunsItOnTheTimer) {
    SwitchOn(kLineCurve);
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, 1000);
    EXPECT_TRUE(fan.fanTimerRunning);
    EXPECT_EQ(fan.CurveProblem(), FanCurveProblem::None);

    card.temperature = 60;
    Tick();
    card.temperature = 25;
    Tick();
    EXPECT_EQ(card.levels, (std::vector<int32_t>{60, 20}));
}

TEST_F(FanControlTest, ReapplyingWithANewPeriodRestartsTheTimerWithoutReleasingTheFan) {
    SwitchOn(kLineCurve);
    Tick();
    FanConfigValues faster = kLineCurve;
    faster.periodMs = 500;
    SwitchOn(faster);
    EXPECT_EQ(timer.starts, 2);
    EXPECT_EQ(timer.period, 500);
    EXPECT_EQ(card.restores, 0);
}

TEST_F(FanControlTest, SwitchingOffReleasesTheFanOnceOnly) {
    SwitchOn(kLineCurve);
    Tick();
    fan.fanControlState = 0;
    fan.ApplyFanControlState(nullptr);
    fan.ApplyFanControlState(nullptr);
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_EQ(card.restores, 1);
    EXPECT_TRUE(card.Automatic());
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
    partial.map.hasFanPercent[2] = true;
    partial.map.points[2].fanPercent = 90;
    SwitchOn(partial);
    EXPECT_EQ(fan.fanCurve[2].temperatureC, 70);
    EXPECT_EQ(fan.fanCurve[2].fanPercent, 90);
    EXPECT_EQ(fan.fanUpdatePeriodMs, 1000);
    EXPECT_TRUE(timer.running);
}

// Without all sixteen values the curve would run on zeros: 0 % above its last point.
TEST_F(FanControlTest, AnIncompleteCurveNeverRunsAndTheDriverKeepsTheFan) {
    FanConfigValues noMap;
    noMap.hasPeriod = true;
    noMap.periodMs = 1000;
    FanConfigValues oneMissing = kLineCurve;
    oneMissing.map.hasFanPercent[7] = false;
    FanConfigValues lastTemperatureMissing = kLineCurve;
    lastTemperatureMissing.map.hasTemperature[7] = false;
    for (const FanConfigValues* values : {&noMap, &oneMissing, &lastTemperatureMissing}) {
        FakeCards c;
        FakeTimer t;
        FanHold h;
        FanControl f{c, t, h};
        c.temperature = 95;
        f.fanControlState = 1;
        f.ApplyFanControlState([&](FanConfigValues& out) {
            out = *values;
            return true;
        });
        EXPECT_FALSE(t.running);
        EXPECT_FALSE(f.fanTimerRunning);
        EXPECT_EQ(f.CurveProblem(), FanCurveProblem::MissingValues);
        f.RunFanCurve();  // a stray tick
        EXPECT_TRUE(c.levels.empty());
        EXPECT_TRUE(c.Automatic());
    }
}

TEST_F(FanControlTest, ACurveThatBecomesInvalidStopsAndHandsTheFanBack) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    ASSERT_FALSE(card.Automatic());

    FanConfigValues outOfOrder = kLineCurve;
    outOfOrder.map.points[4].temperatureC = 60;  // below the 80 of the point before
    SwitchOn(outOfOrder);
    EXPECT_EQ(fan.CurveProblem(), FanCurveProblem::OutOfOrder);
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(card.Automatic());

    SwitchOn(kLineCurve);  // mended on the page: runs again
    EXPECT_EQ(fan.CurveProblem(), FanCurveProblem::None);
    EXPECT_TRUE(timer.running);
}

// A card whose cooler accepts 30..90 % refuses anything else and would keep its last level.
TEST_F(FanControlTest, LevelsAreClampedToTheCoolersRangeReadWhenControlStarts) {
    card.minPct = 30;
    card.maxPct = 90;
    FanConfigValues edited = kLineCurve;
    edited.map.points[7].fanPercent = 110;  // edited by hand
    SwitchOn(edited);
    EXPECT_EQ(fan.LevelMin(), 30);
    EXPECT_EQ(fan.LevelMax(), 90);
    const struct {
        int32_t temperature, level;
    } cases[] = {{20, 30}, {60, 60}, {80, 90}, {101, 90}};
    for (const auto& c : cases) {
        card.temperature = c.temperature;
        Tick();
        EXPECT_EQ(card.cards[0].level, c.level) << c.temperature;
    }
    EXPECT_EQ(card.writeAttempts, static_cast<int>(card.levels.size())) << "nothing refused";
}

TEST_F(FanControlTest, AnUnknownRangeStillKeepsLevelsWithinZeroToHundred) {
    card.rangeOk = false;
    FanConfigValues edited = kLineCurve;
    edited.map.points[7].fanPercent = 250;
    SwitchOn(edited);
    card.temperature = 120;
    Tick();
    EXPECT_EQ(card.levels, (std::vector<int32_t>{100}));
}

TEST_F(FanControlTest, PeriodsAreKeptWithinTheirBounds) {
    const struct {
        int32_t stored, used, tick;
    } cases[] = {{0, 1000, 1000},   {-5, 1000, 1000},     {1, 100, 100},
                 {99, 100, 100},    {100, 100, 100},      {1500, 1500, 750},
                 {2500, 2500, 833}, {60000, 60000, 1000}, {9999999, 60000, 1000}};
    for (const auto& c : cases) {
        fan.fanUpdatePeriodMs = c.stored;
        EXPECT_EQ(fan.EffectivePeriodMs(), c.used) << c.stored;
        EXPECT_EQ(fan.TickPeriodMs(), c.tick) << c.stored;
    }
}

// A long period still writes once a period, but the fail-safe acts within seconds.
TEST_F(FanControlTest, ALongPeriodWritesOncePerPeriodAndTheFailSafeStillActsInSeconds) {
    SwitchOn(Curve(
        {{30, 40}, {50, 40}, {70, 80}, {80, 100}, {85, 100}, {90, 100}, {95, 100}, {100, 100}}, 0,
        9999999));
    card.temperature = 40;
    RunFor(120000);
    EXPECT_EQ(card.levels.size(), 2u);

    card.readOk = false;
    RunFor(FanControl::kFailSafeMs);
    EXPECT_TRUE(card.Automatic());
    EXPECT_TRUE(fan.ReleasedForFailures());
}

TEST_F(FanControlTest, FailedReadingsSetNothingThenHandTheFanBackUntilReadingsReturn) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    ASSERT_EQ(card.levels.size(), 1u);

    card.readOk = false;
    RunFor(FanControl::kFailSafeMs - fan.TickPeriodMs());
    EXPECT_EQ(card.levels.size(), 1u);
    EXPECT_EQ(card.restores, 0);
    EXPECT_FALSE(card.Automatic());

    Tick();
    EXPECT_EQ(card.restores, 1);
    EXPECT_TRUE(card.Automatic());
    RunFor(5000);
    EXPECT_EQ(card.restores, 1) << "released once, not on every failing tick";
    EXPECT_TRUE(fan.ReleasedForFailures());

    card.readOk = true;
    card.temperature = 25;
    Tick();
    EXPECT_EQ(card.levels.back(), 20);
    EXPECT_FALSE(card.Automatic());
    EXPECT_FALSE(fan.ReleasedForFailures());
}

TEST_F(FanControlTest, FailSafeTimeDoesNotDependOnThePeriod) {
    for (int32_t period : {100, 1000, 2500}) {
        FakeCards c;
        FakeTimer t;
        FanHold h;
        FanControl f{c, t, h};
        f.fanControlState = 1;
        FanConfigValues v = kLineCurve;
        v.periodMs = period;
        f.ApplyFanControlState([&](FanConfigValues& out) {
            out = v;
            return true;
        });
        c.temperature = 60;
        t.now += f.TickPeriodMs();
        f.RunFanCurve();
        c.readOk = false;
        int64_t failingFor = 0;
        while (!c.Automatic() && failingFor < 60000) {
            t.now += f.TickPeriodMs();
            failingFor += f.TickPeriodMs();
            f.RunFanCurve();
        }
        EXPECT_GE(failingFor, FanControl::kFailSafeMs - f.TickPeriodMs()) << period;
        EXPECT_LE(failingFor, FanControl::kFailSafeMs + FanControl::kFailSafeCheckMs) << period;
    }
}

// A level the driver refuses leaves the fan where it was while the card heats: treated like a
// missing reading.
TEST_F(FanControlTest, RefusedWritesHandTheFanBackLikeFailedReadings) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    ASSERT_FALSE(card.Automatic());
    card.maxPct = 50;  // the card now refuses what the curve asks for (its range changed)
    card.temperature = 75;
    RunFor(FanControl::kFailSafeMs + 1000);
    EXPECT_TRUE(card.Automatic());
    EXPECT_TRUE(fan.ReleasedForFailures());
}

TEST_F(FanControlTest, AnOccasionalFailedReadingDoesNotReleaseTheFan) {
    SwitchOn(kLineCurve);
    for (int i = 0; i < 10; ++i) {
        card.readOk = (i % 2 == 0);
        Tick();
    }
    EXPECT_EQ(card.restores, 0);
}

TEST_F(FanControlTest, ExitHandsBackTheFansTakenThenStoresTheAutoStartChoice) {
    struct {
        int32_t state;
        bool autoStart;
        bool fileOpens;
    } cases[] = {{-1, false, true}, {1, true, true}, {0, false, true}, {1, false, false}};
    for (const auto& c : cases) {
        FakeCards dev;
        FakeTimer t;
        FanHold h;
        FanControl f{dev, t, h};
        f.fanControlState = c.state;
        f.fanAutoStart = c.autoStart;
        ASSERT_TRUE(f.SetFixedLevel(35));  // e.g. the clock window's manual level
        bool automaticWhenStored = false;
        bool stored = false;
        const bool ok = f.SaveFanStateOnExit([&](bool autoStart) {
            stored = autoStart;
            automaticWhenStored = dev.Automatic();
            return c.fileOpens;
        });
        EXPECT_EQ(ok, c.fileOpens);
        EXPECT_EQ(stored, c.autoStart);
        EXPECT_TRUE(automaticWhenStored) << "the fan goes back before the file is touched";
        EXPECT_TRUE(dev.Automatic()) << "state " << c.state << " file " << c.fileOpens;
        EXPECT_EQ(h.HeldMask(), 0u);
    }
}

// A fan another tool or the user fixed is not ours to hand back.
TEST_F(FanControlTest, ExitWithoutHavingTakenAFanLeavesItAlone) {
    fan.fanControlState = -1;
    card.cards[0] = {false, 55};
    fan.SaveFanStateOnExit([](bool) { return true; });
    EXPECT_EQ(card.restores, 0);
    EXPECT_FALSE(card.Automatic());
    EXPECT_TRUE(store.stored.empty());
}

TEST_F(FanControlTest, AfterTheExitNoTickOrFixedLevelTakesTheFanAgain) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    ASSERT_FALSE(card.Automatic());
    fan.SaveFanStateOnExit([](bool) { return true; });
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(card.Automatic());
    const size_t written = card.levels.size();
    fan.RunFanCurve();  // a tick that was already queued
    EXPECT_FALSE(fan.SetFixedLevel(60));
    EXPECT_EQ(card.levels.size(), written);
    EXPECT_TRUE(card.Automatic());
}

// The marker outside the process follows what is held: written when a fan is first taken (not
// on every tick), emptied when it goes back.
TEST_F(FanControlTest, TheMarkerRecordsExactlyTheGpusWhoseFansAreHeld) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    RunFor(5000);
    EXPECT_EQ(store.stored, (std::vector<uint64_t>{1}));

    // Another GPU chosen: the first one's fan goes back at once, the curve takes the new one.
    card.selected = 1;
    fan.SelectedGpuChanged();
    EXPECT_TRUE(card.Automatic(0));
    Tick();
    EXPECT_FALSE(card.Automatic(1));
    EXPECT_EQ(store.stored, (std::vector<uint64_t>{1, 0, 2}));

    card.selected = 0;  // selected at exit, but not held: only GPU 1 goes back
    fan.SaveFanStateOnExit([](bool) { return true; });
    EXPECT_TRUE(card.Automatic(1));
    EXPECT_EQ(card.restores, 2);
    EXPECT_EQ(store.stored.back(), 0u);
}

// After a crash the crash path owns the fan: a tick on a surviving thread must not take it.
// The clock window's manual mode while the curve runs: the curve stops first, so the level
// written afterwards is the one that stays.
TEST_F(FanControlTest, AFixedLevelReplacesTheRunningCurveAndStays) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    ASSERT_FALSE(card.Automatic());

    EXPECT_TRUE(fan.SwitchToFixedLevel(75));
    EXPECT_EQ(fan.fanControlState, 0);
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_FALSE(card.Automatic());
    EXPECT_EQ(card.cards[0].level, 75);
    EXPECT_TRUE(hold.Holds(0));
    // Bringing the timer in line afterwards (as the clock window's apply does) keeps it.
    fan.ApplyFanControlState(nullptr);
    EXPECT_FALSE(card.Automatic());
    EXPECT_EQ(card.cards[0].level, 75);
}

TEST_F(FanControlTest, ARefusedFixedLevelLeavesTheFanWithTheDriver) {
    SwitchOn(kLineCurve);
    Tick();
    card.minPct = 30;
    EXPECT_FALSE(fan.SwitchToFixedLevel(10));
    EXPECT_TRUE(card.Automatic());
    EXPECT_FALSE(timer.running);
}

TEST_F(FanControlTest, TheDriversModeTakesTheFanBackHeldOrNot) {
    // Fixed by another tool: not held by this run, handed back all the same.
    card.cards[0] = {false, 40};
    EXPECT_TRUE(fan.SwitchToDriver());
    EXPECT_TRUE(card.Automatic());

    SwitchOn(kLineCurve);
    Tick();
    ASSERT_TRUE(hold.Holds(0));
    EXPECT_TRUE(fan.SwitchToDriver());
    EXPECT_EQ(fan.fanControlState, 0);
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(card.Automatic());
    EXPECT_FALSE(hold.Holds(0));
}

// The settings window's OK and the Fan page's switch, from each mode the fan can be in: only a
// switch the user moved changes what the card does, and an untouched one leaves a fixed level.
TEST_F(FanControlTest, TheSettingsSwitchChangesTheModeOnlyWhenMoved) {
    enum class Mode { Driver, Fixed, Curve };
    struct Case {
        const char* name;
        Mode before;
        bool on;  // the switch at OK; as shown when it opened: before == Curve
        bool fileReadable;
        FanSwitchOutcome outcome;
        Mode after;
    };
    const Case cases[] = {
        {"fixed level, untouched", Mode::Fixed, false, true, FanSwitchOutcome::Unchanged,
         Mode::Fixed},
        {"driver, untouched", Mode::Driver, false, true, FanSwitchOutcome::Unchanged, Mode::Driver},
        {"curve, untouched", Mode::Curve, true, true, FanSwitchOutcome::Unchanged, Mode::Curve},
        {"curve switched off", Mode::Curve, false, true, FanSwitchOutcome::DriverOn, Mode::Driver},
        {"fixed level, curve switched on", Mode::Fixed, true, true, FanSwitchOutcome::CurveOn,
         Mode::Curve},
        // The curve cannot start without the file: the fixed level goes all the same.
        {"fixed level, curve on, no file", Mode::Fixed, true, false, FanSwitchOutcome::CurveOn,
         Mode::Driver},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeCards card;
        FakeTimer timer;
        FanHold hold;
        FanControl fan{card, timer, hold};
        card.temperature = 60;
        if (c.before == Mode::Curve) {
            fan.fanControlState = 1;
            fan.ApplyFanControlState([](FanConfigValues& out) {
                out = kLineCurve;
                return true;
            });
            timer.now += fan.TickPeriodMs();
            fan.RunFanCurve();
        } else if (c.before == Mode::Fixed) {
            ASSERT_TRUE(fan.SwitchToFixedLevel(75));
        }

        const bool shownOn = c.before == Mode::Curve;
        EXPECT_EQ(fan.ApplySettingsSwitch(shownOn, c.on,
                                          [&](FanConfigValues& out) {
                                              out = kLineCurve;
                                              return c.fileReadable;
                                          }),
                  c.outcome);
        EXPECT_EQ(fan.fanControlState, c.on ? 1 : 0);
        timer.now += fan.TickPeriodMs();
        fan.RunFanCurve();
        switch (c.after) {
            case Mode::Driver:
                EXPECT_TRUE(card.Automatic());
                EXPECT_FALSE(timer.running);
                EXPECT_FALSE(hold.Holds(0));
                break;
            case Mode::Fixed:
                EXPECT_FALSE(card.Automatic());
                EXPECT_EQ(card.cards[0].level, 75);
                EXPECT_TRUE(hold.Holds(0));
                EXPECT_FALSE(timer.running);
                break;
            case Mode::Curve:
                EXPECT_TRUE(timer.running);
                EXPECT_FALSE(card.Automatic());
                EXPECT_EQ(card.cards[0].level, 60);  // the line curve at 60 C
                break;
        }
    }
}

TEST_F(FanControlTest, OnceWritesAreRefusedNothingSetsALevel) {
    SwitchOn(kLineCurve);
    card.temperature = 60;
    Tick();
    hold.RefuseWrites(0);
    card.temperature = 90;
    RunFor(3000);
    EXPECT_FALSE(fan.SetFixedLevel(70));
    EXPECT_EQ(card.levels, (std::vector<int32_t>{60}));
}

TEST(FanHoldMarker, TextRoundTripsAndDamagedTextYieldsOnlyValidIndexes) {
    EXPECT_EQ(FormatHeldGpus(0), "\n");
    EXPECT_EQ(FormatHeldGpus(0b101), "0 2\n");
    EXPECT_EQ(ParseHeldGpus(FormatHeldGpus(0x8000000000000001ull)), 0x8000000000000001ull);
    const struct {
        const char* text;
        uint64_t mask;
    } cases[] = {{"", 0},           {"0\n", 1},          {" 1\r\n3\t", 0b1010},
                 {"64 99 -1", 0},   {"x1 2y 3", 0b1000}, {"007 00", 0},
                 {"63", 1ull << 63}};
    for (const auto& c : cases) EXPECT_EQ(ParseHeldGpus(c.text), c.mask) << c.text;
}

}  // namespace
}  // namespace velmora
