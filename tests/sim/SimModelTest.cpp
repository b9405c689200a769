#include <cmath>

#include "SimFixture.h"

namespace velmora::sim::testing {
namespace {
using namespace nvapi;

int32_t ReadTemperature(const NvapiEntries& nv, NvPhysicalGpu gpu) {
    NvThermalSettingsV2 t{};
    t.version = kNvThermalSettingsVer2;
    t.count = 3;
    EXPECT_EQ(nv.gpuGetThermalSettings(gpu, 0, &t), kNvStatusOk);
    EXPECT_EQ(t.sensor[0].target, kNvThermalTargetGpu);
    return t.sensor[0].currentC;
}

NvClockFrequencies ReadClocks(const NvapiEntries& nv, NvPhysicalGpu gpu, uint32_t type) {
    NvClockFrequencies c{};
    c.version = kNvClockFrequenciesVer3;
    c.clockTypeWord = type;
    EXPECT_EQ(nv.gpuGetAllClockFrequencies(gpu, &c), kNvStatusOk);
    return c;
}

using SimModel = SimTest;

TEST_F(SimModel, TemperatureRisesUnderLoadAndFallsWithMoreFan) {
    Start("load = idle\nambient = 25\nthermal_time_constant = 10\n");
    ASSERT_EQ(SetCooler(30, kNvCoolerPolicyManual), kNvStatusOk);
    sim.Advance(120);
    int32_t idle = ReadTemperature(nv, gpu);
    EXPECT_GE(idle, 25);
    EXPECT_LE(idle, 40);

    ASSERT_TRUE(sim.LoadScenarioText("load = 100\nambient = 25\nthermal_time_constant = 10\n"));
    sim.Advance(1);
    int32_t early = ReadTemperature(nv, gpu);
    sim.Advance(120);
    int32_t loaded = ReadTemperature(nv, gpu);
    EXPECT_GT(early, idle);    // the first-order response starts at once
    EXPECT_GT(loaded, early);  // and settles well above idle
    EXPECT_GE(loaded, idle + 25);

    ASSERT_EQ(SetCooler(100, kNvCoolerPolicyManual), kNvStatusOk);
    sim.Advance(120);
    int32_t cooled = ReadTemperature(nv, gpu);
    EXPECT_LE(cooled, loaded - 8);
    EXPECT_GT(cooled, idle);
}

TEST_F(SimModel, LongerTimeConstantRespondsMoreSlowly) {
    Simulator other;
    ASSERT_TRUE(other.LoadScenarioText("load = 100\nthermal_time_constant = 60\n"));
    Start("load = 100\nthermal_time_constant = 5\n");
    sim.Advance(10);
    other.Advance(10);
    EXPECT_GT(State().temperatureC, other.Gpu(0).state().temperatureC + 5);
}

TEST_F(SimModel, ManualLevelHoldsWhileAutomaticFollowsTemperature) {
    Start("temperature = 85\nfan_max_rpm = 3000\n");
    ASSERT_EQ(SetCooler(60, kNvCoolerPolicyManual), kNvStatusOk);
    sim.Advance(60);
    EXPECT_EQ(sim.Gpu(0).CoolerLevel(), 60u);
    EXPECT_EQ(State().coolerPolicy, kNvCoolerPolicyManual);
    EXPECT_NEAR(sim.Gpu(0).TachRpm(), 1800u, 20u);

    ASSERT_EQ(SetCooler(30, kNvCoolerPolicyDefault), kNvStatusOk);
    sim.Advance(60);
    // The driver's own curve at 85 C is far above the manual 60 %.
    EXPECT_GE(sim.Gpu(0).CoolerLevel(), 85u);
    EXPECT_EQ(State().coolerPolicy, kNvCoolerPolicyDefault);

    ASSERT_TRUE(sim.LoadScenarioText("temperature = 35\n"));
    sim.Advance(60);
    EXPECT_EQ(sim.Gpu(0).CoolerLevel(), 30u);  // back at the minimum when cool

    NvCoolerSettingsV4 c{};
    c.version = kNvCoolerSettingsVer4;
    ASSERT_EQ(nv.gpuGetCoolerSettings(gpu, kNvCoolerTargetAll, &c), kNvStatusOk);
    EXPECT_EQ(c.count, 1u);
    EXPECT_EQ(c.cooler[0].currentLevel, 30u);
    EXPECT_EQ(c.cooler[0].currentPolicy, kNvCoolerPolicyDefault);
    EXPECT_EQ(c.cooler[0].defaultPolicy, kNvCoolerPolicyDefault);
    EXPECT_EQ(c.cooler[0].defaultMinLevel, 30u);
}

TEST_F(SimModel, OffsetsMoveClocksAndThePstateDeltas) {
    Start("load = 50\nmemory_clock = 4004\n");
    sim.Advance(5);
    NvClockFrequencies before = ReadClocks(nv, gpu, kNvClockTypeCurrent);
    ASSERT_EQ(SetOffsetKHz(kNvClockDomainGraphics, 100000), kNvStatusOk);
    ASSERT_EQ(SetOffsetKHz(kNvClockDomainMemory, 500000), kNvStatusOk);
    sim.Advance(1);
    NvClockFrequencies after = ReadClocks(nv, gpu, kNvClockTypeCurrent);
    EXPECT_NEAR(double(after.domain[kNvClockDomainGraphics].frequencyKHz) -
                    before.domain[kNvClockDomainGraphics].frequencyKHz,
                100000.0, 1000.0);
    EXPECT_EQ(after.domain[kNvClockDomainMemory].frequencyKHz, 4504000u);

    NvPstates20V2 p{};
    p.version = kNvPstates20Ver3;
    ASSERT_EQ(nv.gpuGetPstates20(gpu, &p), kNvStatusOk);
    EXPECT_EQ(p.pstates[0].pstateId, 0u);
    EXPECT_EQ(p.pstates[0].clocks[0].freqDeltaKHz.value, 100000);
    EXPECT_EQ(p.pstates[0].clocks[1].freqDeltaKHz.value, 500000);
    EXPECT_EQ(p.pstates[0].clocks[1].data.single.freqKHz, 4504000u);

    // Base clocks stay put on most cards.
    NvClockFrequencies base = ReadClocks(nv, gpu, kNvClockTypeBase);
    EXPECT_EQ(base.domain[kNvClockDomainMemory].frequencyKHz, 4004000u);
}

TEST_F(SimModel, SomeCardsReportBaseClocksWithTheirOffsets) {
    struct Case {
        const char* device;
        int32_t gpuShiftKHz;
        int32_t memoryShiftKHz;
    } cases[] = {{"0x0FC8", 50000, 200000}, {"0x1402", 0, 200000}, {"0x1C03", 0, 0}};
    for (const Case& c : cases) {
        Simulator local;
        ScopedBinding bind(local);
        std::string text =
            std::string("device_id = ") + c.device + "\nbase_clock = 1000\nmemory_clock = 3000\n";
        ASSERT_TRUE(local.LoadScenarioText(text));
        ASSERT_EQ(local.Initialize(), kNvStatusOk);
        NvPhysicalGpu h = local.GpuHandle(0);
        ASSERT_EQ(local.Gpu(0).SetClockOffset(0, 50000), kNvStatusOk);
        ASSERT_EQ(local.Gpu(0).SetClockOffset(4, 200000), kNvStatusOk);
        NvClockFrequencies base = ReadClocks(nv, h, kNvClockTypeBase);
        EXPECT_EQ(base.domain[kNvClockDomainGraphics].frequencyKHz, 1000000u + c.gpuShiftKHz)
            << c.device;
        EXPECT_EQ(base.domain[kNvClockDomainMemory].frequencyKHz, 3000000u + c.memoryShiftKHz)
            << c.device;
    }
}

TEST_F(SimModel, PowerAboveTheTargetThrottlesTheClock) {
    Start("load = 100\npower_limits = 50 100 120\n");
    sim.Advance(30);
    double atDefault = State().gpuClockMHz;
    NvPowerPoliciesStatus s{};
    s.version = kNvPowerPoliciesStatusVer1;
    s.count = 1;
    s.entries[0].policyId = 0;
    s.entries[0].powerPcm = 50000;
    ASSERT_EQ(nv.gpuPowerPoliciesSetStatus(gpu, &s), kNvStatusOk);
    sim.Advance(30);
    EXPECT_LT(State().gpuClockMHz, atDefault - 100);
    EXPECT_LT(State().powerPct, 56.0);
}

TEST_F(SimModel, GameProfileLooksLikeACard) {
    Start();
    double minClock = 1e9, maxClock = 0, minTemp = 1e9, maxTemp = 0, minFan = 1e9, maxFan = 0;
    double maxClockStep = 0, lastClock = -1;
    for (int i = 0; i < 600; ++i) {
        sim.Advance(1);
        const GpuState& s = State();
        minClock = std::min(minClock, s.gpuClockMHz);
        maxClock = std::max(maxClock, s.gpuClockMHz);
        minTemp = std::min(minTemp, s.temperatureC);
        maxTemp = std::max(maxTemp, s.temperatureC);
        minFan = std::min(minFan, s.coolerLevelPct);
        maxFan = std::max(maxFan, s.coolerLevelPct);
        EXPECT_GE(s.memoryClockMHz, 400);
        EXPECT_LE(s.memoryClockMHz, 4100);
        if (lastClock >= 0 && s.pstate == 0)
            maxClockStep = std::max(maxClockStep, std::abs(s.gpuClockMHz - lastClock));
        lastClock = s.pstate == 0 ? s.gpuClockMHz : -1;
    }
    EXPECT_GE(minClock, 300);
    EXPECT_LE(maxClock, 2000);
    EXPECT_GT(maxClock, 1500);  // plays at boost
    EXPECT_LT(minClock, 400);   // and idles in between
    EXPECT_GE(minTemp, 25);
    EXPECT_LE(maxTemp, 85);
    EXPECT_GT(maxTemp - minTemp, 15);
    EXPECT_GE(minFan, 30);
    EXPECT_LE(maxFan, 100);
    EXPECT_GT(maxFan, minFan);
    EXPECT_LT(maxClockStep, 250);  // moves, but not in jumps
}

TEST_F(SimModel, ReloadWithLessMemoryNeverReportsMoreUsedThanThereIs) {
    Start("load = 100\nmemory_mb = 8192\n");
    sim.Advance(60);
    ASSERT_GT(sim.Gpu(0).MemoryUsedKB(), 1024u * 1024);
    ASSERT_TRUE(sim.LoadScenarioText("load = 100\nmemory_mb = 1024\n"));
    EXPECT_LE(sim.Gpu(0).MemoryUsedKB(), 1024u * 1024);
}

}  // namespace
}  // namespace velmora::sim::testing
