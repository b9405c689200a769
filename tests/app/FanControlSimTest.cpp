// The fan control on the simulated card through the real GPU object: what the card ends up
// doing, not which calls were made.
#include <gtest/gtest.h>

#include <memory>

#include "app/FanControl.h"
#include "app/GpuFanDevice.h"
#include "gpu/NvidiaGpu.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"

namespace velmora {
namespace {

struct ManualTimer : FanTimer {
    int64_t now = 0;
    void Start(int32_t) override {}
    void Stop() override {}
    int64_t NowMs() override { return now; }
};

class FanControlOnSimulatedCard : public testing::Test {
  protected:
    void Start(const char* scenario) {
        ASSERT_TRUE(sim.LoadScenarioText(scenario));
        binding = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        fan.fanControlState = 1;
        fan.ApplyFanControlState([](FanConfigValues& v) {
            const FanCurvePoint points[kFanCurvePointCount] = {
                {30, 30}, {40, 40}, {50, 50}, {60, 60}, {70, 70}, {80, 80}, {90, 90}, {95, 100}};
            for (int i = 0; i < kFanCurvePointCount; ++i) {
                v.map.points[i] = points[i];
                v.map.hasTemperature[i] = v.map.hasFanPercent[i] = true;
            }
            v.hasPeriod = true;
            v.periodMs = 1000;
            return true;
        });
    }
    void Tick() {
        sim.Advance(1.0);
        timer.now += 1000;
        fan.RunFanCurve();
    }
    const sim::GpuState& Card(size_t i = 0) { return sim.Gpu(i).state(); }

    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding;
    NvidiaGpu gpu;
    GpuFanDevice device{gpu};
    ManualTimer timer;
    FanHold hold;
    FanControl fan{device, timer, hold};
};

// After a driver restart every handle the program holds is stale, while temperature readings
// (which enumerate afresh) go on: the curve and the hand-back must keep working.
TEST_F(FanControlOnSimulatedCard, TheCurveAndTheHandBackSurviveADriverRestart) {
    Start("temperature = 55\n");
    Tick();
    ASSERT_EQ(Card().coolerPolicy, nvapi::kNvCoolerPolicyManual);
    ASSERT_EQ(Card().coolerSetLevel, 55);

    ASSERT_TRUE(sim.LoadScenarioText("temperature = 65\ndriver_restarts = 1\n"));
    Tick();
    EXPECT_EQ(Card().coolerSetLevel, 65);
    EXPECT_FALSE(fan.ReleasedForFailures());

    ASSERT_TRUE(sim.LoadScenarioText("temperature = 65\ndriver_restarts = 2\n"));
    fan.SaveFanStateOnExit(nullptr);
    EXPECT_EQ(Card().coolerPolicy, nvapi::kNvCoolerPolicyDefault);
}

// The scenario's cooler takes 30..90 %: the curve's 100 % at the top would be refused.
TEST_F(FanControlOnSimulatedCard, ACurveBeyondTheCoolersRangeStillDrivesTheFan) {
    Start("temperature = 97\nfan_range = 30 90\n");
    Tick();
    EXPECT_EQ(Card().coolerPolicy, nvapi::kNvCoolerPolicyManual);
    EXPECT_EQ(Card().coolerSetLevel, 90);
}

}  // namespace
}  // namespace velmora
