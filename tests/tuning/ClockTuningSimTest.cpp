// The clock and voltage windows' operations on the simulated card through the real GPU object
// and the real fan control: what the card ends up holding and what the sliders then show.
#include "tuning/ClockTuning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/FanControl.h"
#include "app/GpuFanDevice.h"
#include "gpu/NvidiaGpu.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"

namespace velmora {
namespace {

struct ManualTimer : FanTimer {
    bool running = false;
    int64_t now = 0;
    void Start(int32_t) override { running = true; }
    void Stop() override { running = false; }
    int64_t NowMs() override { return now; }
};

// The main window's side: its fan control, and the two flags of "Velmora.xml" in memory.
struct Host : TuningHost {
    explicit Host(FanControl& fan) : fan(fan) {}
    FanControl& Fan() override { return fan; }
    void ApplyFanControlState() override {
        fan.ApplyFanControlState([](FanConfigValues& v) {
            const FanCurvePoint points[kFanCurvePointCount] = {
                {30, 30}, {40, 40}, {50, 50}, {60, 60}, {70, 70}, {80, 80}, {90, 90}, {95, 100}};
            for (int i = 0; i < kFanCurvePointCount; ++i) {
                v.map.points[i] = points[i];
                v.map.hasTemperature[i] = v.map.hasFanPercent[i] = true;
            }
            return true;
        });
    }
    void SetFanManual(bool manual) override { fanManual = manual ? L"1" : L"0"; }
    void ClearFanAutoStart() override { autoSystem = L"0"; }
    int GetFanMode() override {
        return FanModeFromConfig(fan.fanControlState, &enableFan, &fanManual);
    }

    FanControl& fan;
    std::wstring fanManual = L"0";
    std::wstring enableFan = L"0";
    std::wstring autoSystem = L"1";
};

// Records the order of the writes to the card on their way through.
struct RecordingCard : GpuTuningCard {
    using GpuTuningCard::GpuTuningCard;
    std::vector<std::string> writes;
    bool SetClockOffset(uint32_t domain, int32_t mhz) override {
        writes.push_back(domain == 0 ? "gpu offset" : "memory offset");
        return GpuTuningCard::SetClockOffset(domain, mhz);
    }
    bool SetPowerTarget(int32_t pct) override {
        writes.push_back("power");
        return GpuTuningCard::SetPowerTarget(pct);
    }
    bool SetTemperatureTarget(float c, bool priority) override {
        writes.push_back("temperature");
        return GpuTuningCard::SetTemperatureTarget(c, priority);
    }
    bool SetVoltageDelta(int32_t uv) override {
        writes.push_back("voltage delta");
        return GpuTuningCard::SetVoltageDelta(uv);
    }
    bool SetOverVoltage(int32_t uv) override {
        writes.push_back("over-voltage");
        return GpuTuningCard::SetOverVoltage(uv);
    }
};

struct RecordingFanDevice : GpuFanDevice {
    RecordingFanDevice(NvidiaGpu& gpu, std::vector<std::string>& log)
        : GpuFanDevice(gpu), log(log) {}
    bool SetLevel(int32_t p) override {
        log.push_back("fan level");
        return GpuFanDevice::SetLevel(p);
    }
    std::vector<std::string>& log;
};

class ClockWindowOnSimulatedCard : public testing::Test {
  protected:
    void Start(const char* scenario = "temperature = 55\n") {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(scenario, &error)) << error;
        binding = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        sim.Advance(1.0);
    }
    // The window as it opens: limits from the card, then (no "Last" profile) applied at once.
    void Open() {
        ReadLimits(card, host, true, controls, applied);
        ApplySettings(card, host, controls, applied);
    }
    void OpenVoltageWindow() {
        controls.voltageWindowOpen = true;
        controls.overVoltageOn = false;
        controls.overVoltage.enabled = false;
        ReadVoltageLimits(card, controls, applied);
    }
    const sim::GpuState& Card() { return sim.Gpu(0).state(); }
    void Fail(const char* line) {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(std::string("temperature = 55\n") + line, &error))
            << error;
    }

    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding;
    NvidiaGpu gpu;
    RecordingCard card{gpu};
    RecordingFanDevice fanDevice{gpu, card.writes};
    ManualTimer timer;
    FanHold hold;
    FanControl fan{fanDevice, timer, hold};
    Host host{fan};
    ClockControls controls;
    AppliedSettings applied;
};

TEST_F(ClockWindowOnSimulatedCard, AnotherGpuChosenGivesTheSlidersThatCardsLimits) {
    Start("gpus = 2\ntemperature = 55\n[gpu 0]\npower_limits = 50 100 120\nfan_range = 30 100\n"
          "[gpu 1]\npower_limits = 60 100 110\nfan_range = 40 90\n");
    ReadLimits(card, host, true, controls, applied);
    EXPECT_EQ(controls.powerTarget.maximum, 120);
    EXPECT_EQ(controls.fanSpeed.minimum, 30);
    ASSERT_TRUE(gpu.SelectGpu(1));
    ReadLimits(card, host, true, controls, applied);
    EXPECT_EQ(controls.powerTarget.minimum, 60);
    EXPECT_EQ(controls.powerTarget.maximum, 110);
    EXPECT_EQ(controls.fanSpeed.minimum, 40);
    EXPECT_EQ(controls.fanSpeed.maximum, 90);
}

TEST_F(ClockWindowOnSimulatedCard, OpeningWithoutALastProfileWritesTheCardsOwnValuesBack) {
    Start();
    const uint32_t powerBefore = Card().powerTargetPcm;
    const int32_t thermalBefore = Card().thermalTargetRaw;
    Open();
    EXPECT_EQ(Card().gpuOffsetKHz, 0);
    EXPECT_EQ(Card().memoryOffsetKHz, 0);
    EXPECT_EQ(Card().powerTargetPcm, powerBefore);
    EXPECT_EQ(Card().thermalTargetRaw, thermalBefore);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyAuto);
    EXPECT_EQ(applied.powerTarget, 100);
    EXPECT_EQ(applied.temperatureTarget, 83);
    EXPECT_EQ(controls.fanMode, FanModeButton::Automatic);
    EXPECT_FALSE(controls.fanSpeed.enabled);
}

TEST_F(ClockWindowOnSimulatedCard, ApplyWritesEveryValueInItsFixedOrder) {
    Start();
    Open();
    OpenVoltageWindow();
    card.writes.clear();
    controls.gpuOffset.SetPos(100);
    controls.memoryOffset.SetPos(500);
    controls.powerTarget.SetPos(110);
    controls.temperatureTarget.SetPos(85.9f);
    controls.prioritize = true;
    controls.voltageMin.SetPos(900);
    controls.overVoltageOn = true;
    controls.overVoltage.enabled = true;
    controls.overVoltage.SetPos(25);
    controls.fanMode = FanModeButton::Manual;
    controls.fanSpeed.SetPos(70);
    ApplySettings(card, host, controls, applied);

    EXPECT_EQ(card.writes,
              (std::vector<std::string>{"gpu offset", "memory offset", "power", "temperature",
                                        "voltage delta", "over-voltage", "fan level"}));
    EXPECT_EQ(Card().gpuOffsetKHz, 100000);
    EXPECT_EQ(Card().memoryOffsetKHz, 500000);  // sent unchanged, not doubled
    EXPECT_EQ(Card().powerTargetPcm, 110000u);
    EXPECT_EQ(Card().thermalTargetRaw, static_cast<int32_t>(85.9f * 256));
    EXPECT_TRUE(Card().thermalPriority);
    EXPECT_EQ(Card().voltageDeltaUv, 50000);  // 900 mV over the 850 mV base
    EXPECT_EQ(Card().overVoltageUv, 25000);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyManual);
    EXPECT_EQ(Card().coolerSetLevel, 70);
    EXPECT_EQ(host.fanManual, L"1");
    EXPECT_EQ(host.autoSystem, L"0");

    EXPECT_EQ(applied.gpuClockOffset, 100);
    EXPECT_EQ(applied.memoryClockOffset, 500);
    EXPECT_EQ(applied.powerTarget, 110);
    EXPECT_EQ(applied.temperatureTarget, 85);
    EXPECT_EQ(applied.voltageMin, 900);
    EXPECT_EQ(applied.voltageMax, 25);
    EXPECT_EQ(applied.fanMode, 1);
    EXPECT_EQ(applied.fanSpeed, 70);
}

// The fault this guards against: the level was written while the curve ran, then stopping the
// curve handed the fan back to the driver, and only a second apply held the user's level.
TEST_F(ClockWindowOnSimulatedCard, ManualModeHoldsItsLevelAtTheFirstApplyWhileTheCurveRan) {
    Start();
    Open();
    controls.fanMode = FanModeButton::UserDefined;
    ApplySettings(card, host, controls, applied);
    ASSERT_TRUE(fan.fanTimerRunning);
    fan.RunFanCurve();
    ASSERT_EQ(Card().coolerPolicy, sim::kCoolerPolicyManual);
    ASSERT_EQ(Card().coolerSetLevel, 55);

    controls.fanMode = FanModeButton::Manual;
    controls.fanSpeed.enabled = true;
    controls.fanSpeed.SetPos(80);
    ApplySettings(card, host, controls, applied);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(fan.fanControlState, 0);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyManual);
    EXPECT_EQ(Card().coolerSetLevel, 80);
    EXPECT_EQ(applied.fanSpeed, 80);
    // The level is held as every fixed level is: the exit hands it back.
    EXPECT_TRUE(hold.Holds(0));
    fan.SaveFanStateOnExit(nullptr);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyAuto);
}

TEST_F(ClockWindowOnSimulatedCard, AutomaticModeGivesTheFanBackAndShowsTheMinimum) {
    Start();
    Open();
    controls.fanMode = FanModeButton::Manual;
    controls.fanSpeed.SetPos(75);
    ApplySettings(card, host, controls, applied);
    ASSERT_EQ(Card().coolerPolicy, sim::kCoolerPolicyManual);

    controls.fanMode = FanModeButton::Automatic;
    ApplySettings(card, host, controls, applied);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyAuto);
    EXPECT_FALSE(hold.Holds(0));
    EXPECT_EQ(controls.fanSpeed.value, 30);
    EXPECT_FALSE(controls.fanSpeed.enabled);
    EXPECT_EQ(host.fanManual, L"0");
    EXPECT_EQ(applied.fanMode, 0);
}

TEST_F(ClockWindowOnSimulatedCard, RefusedWritesLeaveTheCardAndShowWhatItHolds) {
    Start();
    Open();
    OpenVoltageWindow();
    ASSERT_TRUE(gpu.SetOverVoltage(25000));
    controls.overVoltageOn = true;
    controls.overVoltage.enabled = true;
    controls.overVoltage.SetPos(25);
    ApplySettings(card, host, controls, applied);  // accepted: 25 mV
    ASSERT_EQ(applied.voltageMax, 25);

    Fail("fail PowerPoliciesSetStatus\nfail SetPstates20\nfail ClientThermalPoliciesSetStatus\n");
    controls.gpuOffset.SetPos(300);
    controls.powerTarget.SetPos(115);
    controls.temperatureTarget.SetPos(90);
    controls.voltageMin.SetPos(950);
    controls.overVoltage.SetPos(75);
    ApplySettings(card, host, controls, applied);

    EXPECT_EQ(Card().gpuOffsetKHz, 0);
    EXPECT_EQ(Card().powerTargetPcm, 100000u);
    EXPECT_EQ(Card().voltageDeltaUv, 0);
    EXPECT_EQ(Card().overVoltageUv, 25000);
    // Clock offsets and the temperature keep the user's value; the others show the card's.
    EXPECT_EQ(controls.gpuOffset.value, 300);
    EXPECT_EQ(applied.gpuClockOffset, 0);
    EXPECT_EQ(controls.temperatureTarget.value, 90);
    EXPECT_EQ(applied.temperatureTarget, 83);
    EXPECT_EQ(controls.powerTarget.value, 100);
    EXPECT_EQ(controls.voltageMin.value, 850);
    EXPECT_EQ(controls.overVoltage.value, 25);
    EXPECT_EQ(applied.voltageMin, 850);
    EXPECT_EQ(applied.voltageMax, 25);
}

TEST_F(ClockWindowOnSimulatedCard, ARefusedManualLevelLeavesTheFanWithTheDriver) {
    Start();
    Open();
    controls.fanMode = FanModeButton::UserDefined;
    ApplySettings(card, host, controls, applied);
    fan.RunFanCurve();
    ASSERT_EQ(Card().coolerPolicy, sim::kCoolerPolicyManual);

    Fail("fail SetCoolerLevels\n");
    controls.fanMode = FanModeButton::Manual;
    controls.fanSpeed.SetPos(90);
    ApplySettings(card, host, controls, applied);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_EQ(controls.fanSpeed.value, static_cast<float>(applied.fanSpeed));
    EXPECT_NE(applied.fanSpeed, 90);
}

TEST_F(ClockWindowOnSimulatedCard, DefaultPutsTheCardBackAndSelectsTheDriversFan) {
    Start();
    Open();
    OpenVoltageWindow();
    controls.gpuOffset.SetPos(150);
    controls.memoryOffset.SetPos(-200);
    controls.powerTarget.SetPos(60);
    controls.temperatureTarget.SetPos(70);
    controls.prioritize = true;
    controls.voltageMin.SetPos(925);
    controls.overVoltageOn = true;
    controls.overVoltage.enabled = true;
    controls.overVoltage.SetPos(50);
    controls.fanMode = FanModeButton::UserDefined;
    controls.link = false;
    ApplySettings(card, host, controls, applied);
    ASSERT_TRUE(fan.fanTimerRunning);
    fan.RunFanCurve();

    RestoreDefaults(card, host, controls, applied);
    EXPECT_EQ(Card().gpuOffsetKHz, 0);
    EXPECT_EQ(Card().memoryOffsetKHz, 0);
    EXPECT_EQ(Card().powerTargetPcm, 100000u);
    EXPECT_EQ(Card().thermalTargetRaw, 83 * 256);
    EXPECT_FALSE(Card().thermalPriority);
    EXPECT_EQ(Card().voltageDeltaUv, 0);
    EXPECT_EQ(Card().overVoltageUv, 0);
    EXPECT_EQ(Card().coolerPolicy, sim::kCoolerPolicyAuto);
    EXPECT_FALSE(fan.fanTimerRunning);
    EXPECT_FALSE(hold.Holds(0));

    EXPECT_EQ(controls.gpuOffset.value, 0);
    EXPECT_EQ(controls.temperatureTarget.value, 83);
    EXPECT_TRUE(controls.link);
    EXPECT_FALSE(controls.prioritize);
    EXPECT_FALSE(controls.overVoltageOn);
    EXPECT_FALSE(controls.overVoltage.enabled);
    EXPECT_EQ(controls.fanMode, FanModeButton::Automatic);
    EXPECT_FALSE(controls.fanSpeed.enabled);
    EXPECT_EQ(host.fanManual, L"0");
    EXPECT_EQ(host.autoSystem, L"0");
}

TEST_F(ClockWindowOnSimulatedCard, CancelPutsTheAppliedValuesBackWithoutTouchingTheCard) {
    Start();
    Open();
    controls.gpuOffset.SetPos(50);
    ApplySettings(card, host, controls, applied);
    const int before = Card().gpuOffsetKHz;
    card.writes.clear();
    controls.gpuOffset.SetPos(150);
    controls.powerTarget.SetPos(70);
    controls.fanMode = FanModeButton::Manual;
    RevertToApplied(applied, controls);
    EXPECT_EQ(controls.gpuOffset.value, 50);
    EXPECT_EQ(controls.powerTarget.value, 100);
    EXPECT_EQ(controls.fanMode, FanModeButton::Automatic);
    EXPECT_TRUE(card.writes.empty());
    EXPECT_EQ(Card().gpuOffsetKHz, before);
}

TEST_F(ClockWindowOnSimulatedCard, LinkedTargetsFollowEachOther) {
    Start();  // power 50 / 100 / 120 %, thermal 60 / 83 / 92 degC
    Open();
    controls.powerTarget.SetPos(100);
    controls.temperatureTarget.SetPos(70);
    LinkFromPower(card, controls);
    EXPECT_FLOAT_EQ(controls.temperatureTarget.value, 83);
    controls.powerTarget.SetPos(120);
    LinkFromPower(card, controls);
    EXPECT_FLOAT_EQ(controls.temperatureTarget.value, 92);

    controls.powerTarget.SetPos(80);  // below the default: the lower side of the line
    controls.temperatureTarget.SetPos(60);
    LinkFromTemperature(card, controls);
    EXPECT_FLOAT_EQ(controls.powerTarget.value, 50);

    Fail("fail PowerPoliciesGetInfo\n");
    controls.temperatureTarget.SetPos(75);
    LinkFromPower(card, controls);
    LinkFromTemperature(card, controls);
    EXPECT_FLOAT_EQ(controls.temperatureTarget.value, 75);
    EXPECT_FLOAT_EQ(controls.powerTarget.value, 50);
}

TEST_F(ClockWindowOnSimulatedCard, VoltageWindowShowsTheCardsOverVoltageAndOffWritesZero) {
    Start();
    Open();
    ASSERT_TRUE(gpu.SetOverVoltage(25000));
    OpenVoltageWindow();
    EXPECT_TRUE(controls.overVoltageOn);
    EXPECT_TRUE(controls.overVoltage.enabled);
    EXPECT_FLOAT_EQ(controls.overVoltage.value, 25.0f);
    EXPECT_FLOAT_EQ(controls.voltageMin.minimum, 850);
    EXPECT_FLOAT_EQ(controls.voltageMin.maximum, 1000);
    EXPECT_FLOAT_EQ(controls.voltageMin.value, 850);
    EXPECT_FLOAT_EQ(controls.overVoltage.maximum, 100);

    SwitchOverVoltageOff(card, controls);
    EXPECT_EQ(Card().overVoltageUv, 0);
    EXPECT_FALSE(controls.overVoltageOn);
    EXPECT_FALSE(controls.overVoltage.enabled);
    EXPECT_EQ(controls.overVoltage.value, 0);
}

TEST_F(ClockWindowOnSimulatedCard, WithOverVoltageOffOnlyTheMinimumVoltageIsApplied) {
    Start();
    Open();
    OpenVoltageWindow();
    card.writes.clear();
    controls.voltageMin.SetPos(850);  // the base: delta 0, and the slider shows the base again
    controls.overVoltage.SetPos(50);  // ignored while off
    ApplySettings(card, host, controls, applied);
    EXPECT_EQ(Card().voltageDeltaUv, 0);
    EXPECT_EQ(Card().overVoltageUv, 0);
    EXPECT_EQ(std::count(card.writes.begin(), card.writes.end(), "over-voltage"), 0);
    EXPECT_FLOAT_EQ(controls.voltageMin.value, 850);
}

}  // namespace
}  // namespace velmora
