// NvidiaGpu against the simulated card: scenarios end to end, asserting on the card's state.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gpu/NvidiaGpu.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"

using namespace nvapi;
using velmora::sim::ScopedBinding;
using velmora::sim::Simulator;

namespace {

class OnSimulatedCard : public testing::Test {
  protected:
    // Loads the scenario, binds the simulator as the driver and starts NvidiaGpu on it.
    bool Start(const char* scenario) {
        std::string error;
        EXPECT_TRUE(sim.LoadScenarioText(scenario, &error)) << error;
        binding = std::make_unique<ScopedBinding>(sim);
        gpu.Attach(ResolveNvapiEntries(&velmora::sim::QueryInterface));
        return gpu.Initialize();
    }
    const velmora::sim::GpuState& Card(size_t i = 0) { return sim.Gpu(i).state(); }

    Simulator sim;
    std::unique_ptr<ScopedBinding> binding;
    NvidiaGpu gpu;
};

TEST_F(OnSimulatedCard, NoDriver) {
    EXPECT_FALSE(Start("driver = none\n"));
    GpuTemperature t;
    EXPECT_LT(gpu.ReadGpuTemperature(t), 0);
    ClockReading c;
    EXPECT_FALSE(gpu.ReadClocks(c, 0));
    PowerReading p;
    EXPECT_FALSE(gpu.ReadPower(p));
    CoolerReading f;
    EXPECT_FALSE(gpu.ReadCooler(f));
    EXPECT_FALSE(gpu.SetCoolerLevel(60, 1));
    EXPECT_FALSE(gpu.ResetToDefaults());
}

TEST_F(OnSimulatedCard, TwoGpusReadingsFollowTheSelection) {
    ASSERT_TRUE(Start("gpus = 2\n[gpu 0]\ntemperature = 41\n[gpu 1]\ntemperature = 72\n"));
    sim.Advance(1.0);
    ASSERT_EQ(gpu.gpuCount(), 2u);
    GpuTemperature t;
    EXPECT_EQ(gpu.ReadGpuTemperature(t), 41);
    ASSERT_TRUE(gpu.SetCoolerLevel(70, 1));
    EXPECT_EQ(Card(0).coolerSetLevel, 70);
    EXPECT_EQ(Card(1).coolerPolicy, kNvCoolerPolicyDefault);

    ASSERT_TRUE(gpu.SelectGpu(1));
    EXPECT_EQ(gpu.ReadGpuTemperature(t), 72);
    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainGraphics, 50));
    EXPECT_EQ(Card(1).gpuOffsetKHz, 50000);
    EXPECT_EQ(Card(0).gpuOffsetKHz, 0);
}

TEST_F(OnSimulatedCard, OlderDriverFallbacks) {
    ASSERT_TRUE(Start("driver_generation = old\nload = 100\n"));
    sim.Advance(5.0);
    VoltageReading v;
    ASSERT_TRUE(gpu.ReadVoltage(v));
    EXPECT_EQ(v.baseUv, 850000);
    EXPECT_GT(v.maxUv, v.baseUv);
    EXPECT_GT(v.currentUv, 0);
    // Base clocks asked for, current clocks given by the version-1 record.
    ClockReading c;
    ASSERT_TRUE(gpu.ReadClocks(c, 1));
    EXPECT_EQ(c.graphicsMHz, static_cast<int32_t>(sim.Gpu(0).GpuClockKHz() / 1000));
    CoolerReading f;
    ASSERT_TRUE(gpu.ReadCooler(f));
    EXPECT_EQ(f.minLevelPct, 30);
    EXPECT_EQ(f.maxLevelPct, 100);
    std::vector<std::wstring> rows;
    gpu.GetInfoStrings(rows);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[2], L"6144MB");
    EXPECT_EQ(rows[7], L"Intel   8086");
}

TEST_F(OnSimulatedCard, PowerWithoutMatchingChannel) {
    ASSERT_TRUE(Start("power_policy_channel = 1\n"));
    PowerReading p;
    p.powerNowPct = -1;
    ASSERT_TRUE(gpu.ReadPower(p));
    EXPECT_EQ(p.powerNowPct, -1);
    EXPECT_EQ(p.limitMaxPct, 120);
}

TEST_F(OnSimulatedCard, ReadingsInEverydayUnits) {
    ASSERT_TRUE(Start("load = 100\ntemperature = 66\n"));
    sim.Advance(10.0);
    GpuTemperature t;
    EXPECT_EQ(gpu.ReadGpuTemperature(t), 66);
    ClockReading c;
    ASSERT_TRUE(gpu.ReadClocks(c, 0));
    EXPECT_EQ(c.graphicsMHz, static_cast<int32_t>(sim.Gpu(0).GpuClockKHz() / 1000));
    EXPECT_EQ(c.memoryMHz, static_cast<int32_t>(sim.Gpu(0).MemoryClockKHz() / 1000));
    PowerReading p;
    ASSERT_TRUE(gpu.ReadPower(p));
    EXPECT_EQ(p.powerNowPct, static_cast<int32_t>(sim.Gpu(0).PowerPcm() / 1000));
    EXPECT_EQ(p.limitDefaultPct, 100);
    CoolerReading f;
    ASSERT_TRUE(gpu.ReadCooler(f));
    EXPECT_EQ(f.currentLevelPct, static_cast<int32_t>(sim.Gpu(0).CoolerLevel()));
    EXPECT_EQ(f.tachRpm, static_cast<int32_t>(sim.Gpu(0).TachRpm()));
    ThermalLimits l;
    ASSERT_TRUE(gpu.ReadTemperatureTarget(l));
    EXPECT_EQ(l.minC, 60);
    EXPECT_EQ(l.defaultC, 83);
    EXPECT_EQ(l.maxC, 92);
}

TEST_F(OnSimulatedCard, ScriptedSessionLeavesTheCardAsEachStepIntends) {
    ASSERT_TRUE(Start("load = 60\n"));

    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainGraphics, 100));
    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainMemory, 500));
    EXPECT_EQ(Card().gpuOffsetKHz, 100000);
    EXPECT_EQ(Card().memoryOffsetKHz, 500000);
    EXPECT_EQ(gpu.ReadClockOffset(0), 100);
    EXPECT_EQ(gpu.ReadClockOffset(1), 500);
    EXPECT_FALSE(gpu.SetClockOffset(kNvClockDomainGraphics, 5000)) << "outside the card's range";
    EXPECT_EQ(Card().gpuOffsetKHz, 100000);

    ASSERT_TRUE(gpu.SetPowerTarget(0, 110));
    EXPECT_EQ(Card().powerTargetPcm, 110000u);
    EXPECT_FALSE(gpu.SetPowerTarget(0, -5));
    EXPECT_FALSE(gpu.SetPowerTarget(0, 121));
    EXPECT_EQ(Card().powerTargetPcm, 110000u);

    ASSERT_TRUE(gpu.SetTemperatureTarget(1, 83.9f, true));
    EXPECT_EQ(Card().thermalTargetRaw, 21478);
    EXPECT_TRUE(Card().thermalPriority);
    gpu.SetTemperaturePriority(1, false);
    EXPECT_FALSE(Card().thermalPriority);
    EXPECT_EQ(Card().thermalTargetRaw, 21478);

    ASSERT_TRUE(gpu.SetCoolerLevel(60, 1));
    EXPECT_EQ(Card().coolerPolicy, kNvCoolerPolicyManual);
    EXPECT_EQ(Card().coolerSetLevel, 60);
    sim.Advance(5.0);
    CoolerReading f;
    ASSERT_TRUE(gpu.ReadCooler(f));
    EXPECT_EQ(f.currentLevelPct, 60);

    const uint8_t colours[] = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};
    ASSERT_TRUE(gpu.WriteLedPacket(colours, 6, 1, 50, 8));
    EXPECT_EQ(sim.Led(0).validPackets, 1u);
    EXPECT_EQ(sim.Led(0).effect, 1);
    EXPECT_EQ(sim.Led(0).speed, 8);
    EXPECT_EQ(sim.Led(0).colours, std::vector<uint8_t>(colours, colours + 6));

    ASSERT_TRUE(gpu.ResetToDefaults());
    EXPECT_EQ(Card().gpuOffsetKHz, 0);
    EXPECT_EQ(Card().memoryOffsetKHz, 0);
    EXPECT_EQ(Card().powerTargetPcm, 100000u);
    EXPECT_EQ(Card().coolerPolicy, kNvCoolerPolicyDefault);
    EXPECT_EQ(Card().resetPrepareCount, 1);
    EXPECT_EQ(Card().thermalTargetRaw, 21478) << "the temperature target is not reset";
    EXPECT_EQ(sim.Led(0).effect, 1) << "nor the lighting";
}

TEST_F(OnSimulatedCard, CoolerDefaultsFromTheDriver) {
    ASSERT_TRUE(Start("fan_range = 35 100\n"));
    ASSERT_TRUE(gpu.SetCoolerLevel(80, 1));
    ASSERT_TRUE(gpu.SetCoolerLevel(-1, 1));
    EXPECT_EQ(Card().coolerSetLevel, 35);
    ASSERT_TRUE(gpu.SetCoolerLevel(80, 1));
    ASSERT_TRUE(gpu.RestoreCoolerDefault());
    EXPECT_EQ(Card().coolerPolicy, kNvCoolerPolicyDefault);
}

TEST_F(OnSimulatedCard, CoolerFailureShownOnce) {
    ASSERT_TRUE(Start("fail GetCoolerSettings -5\n"));
    int shown = 0;
    gpu.SetUserMessageSink([&](const std::wstring& text, const std::wstring& caption, unsigned) {
        ++shown;
        EXPECT_EQ(text, L"程序参数错误.");
        EXPECT_EQ(caption, L"NVAPI信息");
    });
    CoolerReading f;
    for (int second = 0; second < 10; ++second) {
        EXPECT_FALSE(gpu.ReadCooler(f));
    }
    EXPECT_EQ(shown, 1);
}

TEST_F(OnSimulatedCard, InformationSheet) {
    ASSERT_TRUE(Start("load = idle\n"));
    std::vector<std::wstring> rows;
    gpu.GetInfoStrings(rows);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0], L"GeForce GTX 1060 6GB");
    EXPECT_EQ(rows[2], L"6144MB");
    EXPECT_EQ(rows[3], L"GDDR5");
    EXPECT_EQ(rows[6], L"411.42");
    EXPECT_EQ(rows[7], L"Intel   8086");
    EXPECT_EQ(rows[9], L"192Bit");
    EXPECT_EQ(rows[13], L"86.06.3C.00.1A");
}

class OffsetsPutBack : public OnSimulatedCard, public testing::WithParamInterface<uint32_t> {};

TEST_P(OffsetsPutBack, AfterTheInformationSheet) {
    const std::string scenario = "device_id = " + std::to_string(GetParam()) + "\n";
    ASSERT_TRUE(Start(scenario.c_str()));
    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainGraphics, 120));
    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainMemory, 300));
    std::vector<std::wstring> rows;
    gpu.GetInfoStrings(rows);
    EXPECT_EQ(Card().gpuOffsetKHz, 120000);
    EXPECT_EQ(Card().memoryOffsetKHz, 300000);
    // The base rows show the card's base clocks, offsets out.
    EXPECT_EQ(rows[5], L"1506MHz");
    EXPECT_EQ(rows[4], L"1626MHz");
    EXPECT_EQ(rows[12], L"4004MHz");
    EXPECT_EQ(rows[11], L"4304MHz");
    std::vector<std::wstring> clocks;
    gpu.GetClockStrings(clocks);
    ASSERT_EQ(clocks.size(), 3u);
    EXPECT_EQ(clocks[0], L"1626MHz");
    EXPECT_EQ(clocks[1], L"4304MHz");
}

INSTANTIATE_TEST_SUITE_P(Devices, OffsetsPutBack, testing::Values(0x0FC8u, 0x1402u));

TEST_F(OnSimulatedCard, NoLedController) {
    ASSERT_TRUE(Start("led = 0\n"));
    const uint8_t green[] = {0x00, 0xFF, 0x00};
    EXPECT_FALSE(gpu.WriteLedPacket(green, 3, 1, 50, 4));
}

}  // namespace

// A driver restart makes every handle stale while fresh enumerations work: fan writes and the
// hand-back must go on working, for whichever GPU they concern.
TEST_F(OnSimulatedCard, FanWritesAndHandBackSurviveADriverRestart) {
    ASSERT_TRUE(Start("gpus = 2\n"));
    ASSERT_TRUE(gpu.SetCoolerLevel(70, 1));
    ASSERT_TRUE(gpu.SelectGpu(1));
    ASSERT_TRUE(gpu.SetCoolerLevel(80, 1));

    ASSERT_TRUE(sim.LoadScenarioText("gpus = 2\ndriver_restarts = 1\n"));
    EXPECT_TRUE(gpu.SetCoolerLevel(60, 1));
    EXPECT_EQ(Card(1).coolerSetLevel, 60);

    ASSERT_TRUE(sim.LoadScenarioText("gpus = 2\ndriver_restarts = 2\n"));
    // GPU 1 stays selected; the fan that was taken on GPU 0 is the one handed back.
    EXPECT_TRUE(gpu.RestoreCoolerDefaultOf(0));
    EXPECT_EQ(Card(0).coolerPolicy, kNvCoolerPolicyDefault);
    EXPECT_EQ(Card(1).coolerPolicy, kNvCoolerPolicyManual);
    EXPECT_EQ(gpu.selectedIndex(), 1);
    EXPECT_FALSE(gpu.RestoreCoolerDefaultOf(2));
}
