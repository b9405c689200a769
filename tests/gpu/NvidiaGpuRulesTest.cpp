// Single rules of NvidiaGpu against a canned driver: version retries, refusals, unit
// conversions and the records it builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeNvapi.h"
#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

class NvidiaGpuRules : public testing::Test {
  protected:
    void SetUp() override {
        fake.SetUpTypicalCard();
        gpu.Attach(fake.Entries());
    }
    void Start() { ASSERT_TRUE(gpu.Initialize()); }

    FakeNvapi fake;
    NvidiaGpu gpu;
};

// ---- start-up ----

TEST_F(NvidiaGpuRules, NoDriverFailsStartAndEveryReading) {
    fake.initializeStatus = kNvStatusLibraryNotFound;
    fake.Fail("EnumPhysicalGPUs", kNvStatusLibraryNotFound);
    fake.Fail("GPU_GetAllClockFrequencies", kNvStatusLibraryNotFound);
    fake.Fail("GPU_GetDynamicPstatesInfoEx", kNvStatusLibraryNotFound);
    EXPECT_FALSE(gpu.Initialize());
    EXPECT_EQ(fake.unloadCalls, 1);
    EXPECT_EQ(gpu.gpuCount(), 0u);
    GpuTemperature t{-100, -100, -100};
    EXPECT_LT(gpu.ReadGpuTemperature(t), 0);
    EXPECT_EQ(t.currentC, -100) << "a failed reading leaves the record";
    ClockReading c;
    EXPECT_FALSE(gpu.ReadClocks(c, 0));
    int32_t use[2] = {0, 0};
    EXPECT_FALSE(gpu.ReadUtilization(use));
}

TEST(NvidiaGpuStart, EmptyEntryTableIsLibraryNotFound) {
    NvidiaGpu gpu{NvapiEntries{}};
    EXPECT_FALSE(gpu.Initialize());
    VoltageReading v;
    EXPECT_FALSE(gpu.ReadVoltage(v));
    CoolerReading c;
    EXPECT_FALSE(gpu.ReadCooler(c));
    EXPECT_FALSE(gpu.SetCoolerLevel(50, 1));
    std::vector<std::wstring> rows;
    gpu.GetInfoStrings(rows);
    EXPECT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0], L"Unknown");
}

TEST_F(NvidiaGpuRules, InitializeErrorUnloadsAndOtherStatusesGoOn) {
    fake.initializeStatus = kNvStatusError;
    EXPECT_FALSE(gpu.Initialize());
    EXPECT_EQ(fake.unloadCalls, 1);

    // Any other status, a failing one included, still enumerates.
    fake.initializeStatus = kNvStatusInvalidArgument;
    fake.gpuCount = 2;
    fake.displays = 3;
    EXPECT_TRUE(gpu.Initialize());
    EXPECT_EQ(fake.unloadCalls, 1);
    EXPECT_EQ(gpu.gpuCount(), 2u);
    EXPECT_EQ(gpu.displayCount(), 3u);
    EXPECT_EQ(gpu.outputId(), 0x100u);
}

TEST_F(NvidiaGpuRules, SelectionFollowsTheInformationWindowOnly) {
    fake.gpuCount = 2;
    Start();
    ClockReading c;
    ASSERT_TRUE(gpu.ReadClocks(c, 0));
    int32_t use[2];
    ASSERT_TRUE(gpu.ReadUtilization(use));
    for (NvPhysicalGpu h : fake.handlesSeen) {
        EXPECT_EQ(h, FakeNvapi::Handle(0));
    }
    EXPECT_FALSE(gpu.SelectGpu(2));
    EXPECT_FALSE(gpu.SelectGpu(-1));
    ASSERT_TRUE(gpu.SelectGpu(1));
    fake.handlesSeen.clear();
    GpuTemperature t;
    gpu.ReadGpuTemperature(t);
    gpu.ReadClocks(c, 0);
    ASSERT_EQ(fake.handlesSeen.size(), 2u);
    EXPECT_EQ(fake.handlesSeen[0], FakeNvapi::Handle(1));
    EXPECT_EQ(fake.handlesSeen[1], FakeNvapi::Handle(1));
}

TEST_F(NvidiaGpuRules, LazyCheckEnumeratesWhenStartFailed) {
    fake.initializeStatus = kNvStatusError;
    EXPECT_FALSE(gpu.Initialize());
    // The driver has come up since: the lazy check finds the GPU.
    int32_t use[2] = {0, 0};
    EXPECT_TRUE(gpu.ReadUtilization(use));
    EXPECT_EQ(gpu.gpuCount(), 1u);
    EXPECT_EQ(use[0], 87);
}

// ---- temperature ----

TEST_F(NvidiaGpuRules, TemperatureTakesTheFirstGpuTargetSensor) {
    Start();
    fake.thermal.count = 3;
    fake.thermal.sensor[0] = {1, 0, 100, 40, 2};  // memory
    fake.thermal.sensor[1] = {1, 5, 97, 66, kNvThermalTargetGpu};
    fake.thermal.sensor[2] = {1, 0, 120, 70, kNvThermalTargetGpu};
    GpuTemperature t;
    EXPECT_EQ(gpu.ReadGpuTemperature(t), 66);
    EXPECT_EQ(t.currentC, 66);
    EXPECT_EQ(t.defaultMinC, 5);
    EXPECT_EQ(t.defaultMaxC, 97);
}

TEST_F(NvidiaGpuRules, TemperatureFailuresAreNegativeAndLeaveTheRecord) {
    Start();
    fake.thermal.sensor[0].target = 2;  // no GPU core sensor at all
    GpuTemperature t{-7, -7, -7};
    EXPECT_LT(gpu.ReadGpuTemperature(t), 0);
    EXPECT_EQ(t.currentC, -7);

    fake.Fail("GPU_GetThermalSettings", kNvStatusHandleInvalidated);
    EXPECT_EQ(gpu.ReadGpuTemperature(t), kNvStatusHandleInvalidated);

    fake.Fail("EnumPhysicalGPUs", kNvStatusError);
    testing::internal::CaptureStdout();
    EXPECT_EQ(gpu.ReadGpuTemperature(t), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NVAPI Error: NVAPI_ERROR\n");
    EXPECT_EQ(t.currentC, -7);
}

// ---- clocks, utilisation, voltage, memory ----

TEST_F(NvidiaGpuRules, ClocksInMHzAndVersionOneRetry) {
    Start();
    ClockReading c;
    ASSERT_TRUE(gpu.ReadClocks(c, 0));
    EXPECT_EQ(c.graphicsMHz, 1759);
    EXPECT_EQ(c.memoryMHz, 4004);
    EXPECT_EQ(c.processorMHz, 3519);

    // Version 3 refused: version 1 answers with current clocks although base was asked for.
    fake.Fail("GPU_GetAllClockFrequencies", kNvStatusError, kNvClockFrequenciesVer3);
    fake.clockReadVersions.clear();
    ASSERT_TRUE(gpu.ReadClocks(c, 1));
    EXPECT_EQ(c.graphicsMHz, 1759);
    EXPECT_EQ(fake.clockReadVersions,
              (std::vector<uint32_t>{kNvClockFrequenciesVer3, kNvClockFrequenciesVer1}));

    fake.Fail("GPU_GetAllClockFrequencies", kNvStatusError, kNvClockFrequenciesVer1);
    ClockReading untouched{1, 2, 3};
    EXPECT_FALSE(gpu.ReadClocks(untouched, 0));
    EXPECT_EQ(untouched.graphicsMHz, 1);
}

TEST_F(NvidiaGpuRules, UtilizationTakesOnlyPresentDomains) {
    Start();
    fake.utilization.utilization[kNvUtilizationFrameBuffer].flags = 0;
    int32_t use[2] = {-1, -1};
    EXPECT_TRUE(gpu.ReadUtilization(use));
    EXPECT_EQ(use[0], 87);
    EXPECT_EQ(use[1], -1);
    fake.utilization.utilization[kNvUtilizationGpu].flags = 0;
    EXPECT_FALSE(gpu.ReadUtilization(use));
}

TEST_F(NvidiaGpuRules, VoltageFromPstateZeroAndDomainsStatus) {
    Start();
    VoltageReading v;
    ASSERT_TRUE(gpu.ReadVoltage(v));
    EXPECT_EQ(v.baseUv, 850000);
    EXPECT_EQ(v.minUv, 800000);
    EXPECT_EQ(v.maxUv, 1000000);
    EXPECT_EQ(v.currentUv, 1043000);
}

TEST_F(NvidiaGpuRules, VoltageWithTheOlderPstatesVersion) {
    Start();
    fake.Fail("GPU_GetPstates20", kNvStatusIncompatibleVersion, kNvPstates20Ver3);
    VoltageReading v;
    ASSERT_TRUE(gpu.ReadVoltage(v));
    EXPECT_EQ(fake.pstateReadVersions, (std::vector<uint32_t>{kNvPstates20Ver3, kNvPstates20Ver1}));
    EXPECT_EQ(v.baseUv, 850000);
    EXPECT_EQ(v.maxUv, 1000000);
    EXPECT_EQ(v.currentUv, 1043000);

    // Any other refusal is no retry.
    fake.failures.clear();
    fake.Fail("GPU_GetPstates20", kNvStatusError, kNvPstates20Ver3);
    fake.pstateReadVersions.clear();
    EXPECT_FALSE(gpu.ReadVoltage(v));
    EXPECT_EQ(fake.pstateReadVersions.size(), 1u);
}

TEST_F(NvidiaGpuRules, VoltageKeepsCurrentWhenDomainsStatusFails) {
    Start();
    fake.Fail("GPU_GetVoltageDomainsStatus", kNvStatusError);
    VoltageReading v;
    v.currentUv = 123;
    ASSERT_TRUE(gpu.ReadVoltage(v));
    EXPECT_EQ(v.currentUv, 123);
    EXPECT_EQ(v.baseUv, 850000);
}

TEST_F(NvidiaGpuRules, MemoryUsageInKB) {
    Start();
    MemoryUsage m;
    ASSERT_TRUE(gpu.ReadMemoryUsage(m));
    EXPECT_EQ(m.usedKB, 1024 * 1024);
    EXPECT_EQ(m.freeKB, 5 * 1024 * 1024);
    EXPECT_EQ(m.availableKB, 6 * 1024 * 1024 - 1000);
}

// ---- power reading ----

TEST_F(NvidiaGpuRules, PowerReadingMatchesTheTopologyChannel) {
    Start();
    PowerReading p;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(gpu.ReadPower(p));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Power topology info:\nPower topology status:\nPower policy info:\n");
    EXPECT_EQ(p.limitMinPct, 50);
    EXPECT_EQ(p.limitDefaultPct, 100);
    EXPECT_EQ(p.limitMaxPct, 120);
    EXPECT_EQ(p.limitCurrentPct, 110);
    EXPECT_EQ(p.powerNowPct, 73);
}

TEST_F(NvidiaGpuRules, PowerWithoutMatchingChannelKeepsPowerNow) {
    Start();
    fake.powerInfo.entries[0].channel = 3;
    PowerReading p;
    p.powerNowPct = -42;
    ASSERT_TRUE(gpu.ReadPower(p));
    EXPECT_EQ(p.powerNowPct, -42);
    EXPECT_EQ(p.limitCurrentPct, 110);
}

TEST_F(NvidiaGpuRules, PowerReadingRefusals) {
    Start();
    PowerReading p;
    fake.powerInfo.supported = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.ReadPower(p));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("  ... not available!\n"),
              std::string::npos);
    fake.Fail("GPU_PowerPoliciesGetInfo", -5);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.ReadPower(p));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("API call failed with error -5\n"),
              std::string::npos);
    fake.topologyInfo.supported = 0;
    EXPECT_FALSE(gpu.ReadPower(p));
}

// ---- P-state clocks and offsets ----

TEST_F(NvidiaGpuRules, PstateClocksAndDeltaRange) {
    Start();
    int32_t values[2] = {0, 0};
    testing::internal::CaptureStdout();
    gpu.ReadPstateClocks(values, false);
    const std::string out = testing::internal::GetCapturedStdout();
    // Range clock: delta + base graphics clock; single clock: 4004.5 MHz rounded.
    EXPECT_EQ(values[0], 1506);
    EXPECT_EQ(values[1], 4005);
    EXPECT_EQ(out.rfind("API call succeeded\n\n" + std::string(54, '-') + "\n", 0), 0u);
    EXPECT_NE(out.find("ps20Info.pstates[0].clocks[1].data.single.freq_kHz     = 4004500\n"),
              std::string::npos);

    gpu.ReadPstateClocks(values, true);
    EXPECT_EQ(values[0], 1200);
    EXPECT_EQ(values[1], 1001) << "entries after the first are rounded";

    // Without base clocks the range's maximum frequency stands in.
    fake.Fail("GPU_GetAllClockFrequencies", kNvStatusError);
    gpu.ReadPstateClocks(values, false);
    EXPECT_EQ(values[0], 1911);
}

TEST_F(NvidiaGpuRules, OffsetWriteRecordsAndReadBack) {
    Start();
    ASSERT_TRUE(gpu.SetClockOffset(kNvClockDomainMemory, 500));
    ASSERT_EQ(fake.pstateWrites.size(), 1u);
    const NvPstates20V2& w = fake.pstateWrites[0];
    EXPECT_EQ(w.version, kNvPstates20Ver1);
    EXPECT_EQ(w.numPstates, 1u);
    EXPECT_EQ(w.numClocks, 1u);
    EXPECT_EQ(w.numBaseVoltages, 0u);
    EXPECT_EQ(w.pstates[0].clocks[0].domainId, kNvClockDomainMemory);
    EXPECT_EQ(w.pstates[0].clocks[0].freqDeltaKHz.value, 500000);
    EXPECT_EQ(gpu.ReadClockOffset(1), 500);
    EXPECT_EQ(gpu.ReadClockOffset(0), 0);
    EXPECT_EQ(gpu.ReadClockOffset(8), 0) << "outside the entry table";

    fake.Fail("GPU_SetPstates20", kNvStatusInvalidArgument);
    EXPECT_FALSE(gpu.SetClockOffset(kNvClockDomainGraphics, 100));
}

TEST_F(NvidiaGpuRules, VoltageDeltaAndOverVoltageRecords) {
    Start();
    ASSERT_TRUE(gpu.SetVoltageDelta(-25000));
    const NvPstates20V2& d = fake.pstateWrites.back();
    EXPECT_EQ(d.version, kNvPstates20Ver1);
    EXPECT_EQ(d.numClocks, 0u);
    EXPECT_EQ(d.numBaseVoltages, 1u);
    EXPECT_EQ(d.pstates[0].baseVoltages[0].domainId, kNvVoltageDomainCore);
    EXPECT_EQ(d.pstates[0].baseVoltages[0].voltageDeltaUv.value, -25000);

    ASSERT_TRUE(gpu.SetOverVoltage(50000));
    const NvPstates20V2& o = fake.pstateWrites.back();
    EXPECT_EQ(o.version, kNvPstates20Ver2);
    EXPECT_EQ(o.numPstates, 0u);
    EXPECT_EQ(o.overVoltage.count, 1u);
    EXPECT_EQ(o.overVoltage.voltages[0].voltageDeltaUv.value, 50000);

    OverVoltage ov;
    ASSERT_TRUE(gpu.ReadOverVoltage(ov));
    EXPECT_EQ(ov.deltaMinUv, 0);
    EXPECT_EQ(ov.deltaMaxUv, 100000);
    EXPECT_EQ(ov.deltaCurrentUv, 25000);

    // A version-1 answer has no over-voltage block: nothing changes, still true.
    fake.Fail("GPU_GetPstates20", kNvStatusIncompatibleVersion, kNvPstates20Ver3);
    OverVoltage untouched{1, 2, 3};
    EXPECT_TRUE(gpu.ReadOverVoltage(untouched));
    EXPECT_EQ(untouched.deltaMaxUv, 2);

    VoltageRange r;
    ASSERT_TRUE(gpu.ReadVoltageRange(r));
    EXPECT_EQ(r.absDeltaMinUv, 50000);
    EXPECT_EQ(r.minUv, 800000);
    EXPECT_EQ(r.currentUv, 1043000);
}

// ---- power and temperature targets ----

struct PowerTargetCase {
    int32_t percent;
    bool accepted;
};

class PowerTargetBounds : public NvidiaGpuRules,
                          public testing::WithParamInterface<PowerTargetCase> {};

TEST_P(PowerTargetBounds, ComparedUnsigned) {
    Start();
    testing::internal::CaptureStdout();
    EXPECT_EQ(gpu.SetPowerTarget(0, GetParam().percent), GetParam().accepted);
    const std::string out = testing::internal::GetCapturedStdout();
    if (GetParam().accepted) {
        ASSERT_EQ(fake.powerWrites.size(), 1u);
        EXPECT_EQ(fake.powerWrites[0].count, 1u);
        EXPECT_EQ(fake.powerWrites[0].entries[0].policyId, 0u);
        EXPECT_EQ(fake.powerWrites[0].entries[0].flags & 1u, 0u);
        EXPECT_EQ(fake.powerWrites[0].entries[0].powerPcm,
                  static_cast<uint32_t>(GetParam().percent) * 1000u);
    } else {
        EXPECT_TRUE(fake.powerWrites.empty());
        EXPECT_EQ(out, "Requested power policy limit exceeds max allowed value!\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, PowerTargetBounds,
                         testing::Values(PowerTargetCase{50, true}, PowerTargetCase{120, true},
                                         PowerTargetCase{121, false}, PowerTargetCase{49, false},
                                         PowerTargetCase{-5, false},
                                         // 4295067 * 1000 wraps to 99704 in 32 bits.
                                         PowerTargetCase{4295067, false}));

TEST_F(NvidiaGpuRules, PowerTargetPolicyRefusals) {
    Start();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.SetPowerTarget(3, 100));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Requested power policy is not supported!\n");
    fake.powerInfo.supported = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.SetPowerTarget(0, 100));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Power policies are not supported!\n");
    EXPECT_TRUE(fake.powerWrites.empty());
}

TEST_F(NvidiaGpuRules, TemperatureTargetIn256ths) {
    Start();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(gpu.SetTemperatureTarget(1, 83.9f, true));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Requested policy limit applied successfully\n");
    ASSERT_EQ(fake.thermalWrites.size(), 1u);
    EXPECT_EQ(fake.thermalWrites[0].count, 1u);
    EXPECT_EQ(fake.thermalWrites[0].entries[0].policyId, 1u);
    EXPECT_EQ(fake.thermalWrites[0].entries[0].value, 21478);
    EXPECT_EQ(fake.thermalWrites[0].entries[0].flags & 1u, 1u);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.SetTemperatureTarget(1, 92.01f, false));
    EXPECT_FALSE(gpu.SetTemperatureTarget(1, 59.9f, false));
    EXPECT_FALSE(gpu.SetTemperatureTarget(1, 1e30f, false));
    EXPECT_FALSE(gpu.SetTemperatureTarget(2, 80.0f, false));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Requested thermal policy limit exceeds max allowed value!\n"
              "Requested thermal policy limit exceeds max allowed value!\n"
              "Requested thermal policy limit exceeds max allowed value!\n"
              "Requested thermal policy is not supported!\n");
    EXPECT_EQ(fake.thermalWrites.size(), 1u);
}

TEST_F(NvidiaGpuRules, TemperaturePriorityKeepsTheTarget) {
    Start();
    fake.thermalStatus.entries[0].value = 80 * 256;
    gpu.SetTemperaturePriority(1, true);
    ASSERT_EQ(fake.thermalWrites.size(), 1u);
    EXPECT_EQ(fake.thermalWrites[0].entries[0].value, 80 * 256);
    EXPECT_EQ(fake.thermalWrites[0].entries[0].flags & 1u, 1u);
    EXPECT_EQ(fake.thermalWrites[0].count, 1u);
}

TEST_F(NvidiaGpuRules, ReadTemperatureTarget) {
    Start();
    fake.thermalStatus.entries[0] = {1, 80 * 256 + 200, 1, {}};
    ThermalLimits l;
    ASSERT_TRUE(gpu.ReadTemperatureTarget(l));
    EXPECT_EQ(l.minC, 60);
    EXPECT_EQ(l.defaultC, 83);
    EXPECT_EQ(l.maxC, 92);
    EXPECT_EQ(l.currentTargetC, 80);
    EXPECT_EQ(l.priorityFlag, 1);
    fake.thermalStatus.count = 0;
    EXPECT_FALSE(gpu.ReadTemperatureTarget(l));
}

// ---- the power/temperature link ----

TEST_F(NvidiaGpuRules, LinkAtDefaultAndMaximum) {
    Start();
    float out[2] = {0, 0};
    ASSERT_TRUE(gpu.TemperatureForPower(0, 1, 100.0f, out));
    EXPECT_FLOAT_EQ(out[0], 100.0f);
    EXPECT_FLOAT_EQ(out[1], 83.0f);
    ASSERT_TRUE(gpu.TemperatureForPower(0, 1, 120.0f, out));
    EXPECT_FLOAT_EQ(out[1], 92.0f);
    ASSERT_TRUE(gpu.TemperatureForPower(0, 1, 50.0f, out));
    EXPECT_FLOAT_EQ(out[1], 60.0f);
    ASSERT_TRUE(gpu.TemperatureForPower(0, 1, 110.0f, out));
    EXPECT_FLOAT_EQ(out[1], 87.5f);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.TemperatureForPower(0, 1, 121.0f, out));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Requested power policy limit exceeds allowed range!\n");

    ASSERT_TRUE(gpu.PowerForTemperature(0, 1, 92.0f, 110.0f, out));
    EXPECT_FLOAT_EQ(out[0], 120.0f);
    EXPECT_FLOAT_EQ(out[1], 92.0f);
    ASSERT_TRUE(gpu.PowerForTemperature(0, 1, 60.0f, 100.0f, out));
    EXPECT_FLOAT_EQ(out[0], 50.0f);
}

TEST_F(NvidiaGpuRules, PowerForTemperatureUpperBranchFollowsThePowerSlider) {
    Start();
    float out[2] = {0, 0};
    // Slider above default: the upper line is used even below Tdef, and only Pmax caps it.
    ASSERT_TRUE(gpu.PowerForTemperature(0, 1, 74.0f, 105.0f, out));
    EXPECT_FLOAT_EQ(out[0], 80.0f);  // 100 + (74-83)/9 * 20
    // The same temperature with the slider at default takes the lower line.
    ASSERT_TRUE(gpu.PowerForTemperature(0, 1, 74.0f, 100.0f, out));
    EXPECT_NEAR(out[0], 80.4348f, 1e-3);  // 100 - 9/23 * 50
    ASSERT_TRUE(gpu.PowerForTemperature(0, 1, 100.0f, 105.0f, out));
    EXPECT_FLOAT_EQ(out[0], 120.0f);
}

TEST_F(NvidiaGpuRules, LinkRefusesWhatWouldDivideByZeroOrReadPastTheTable) {
    Start();
    float out[2] = {-1, -1};
    // Thermal policy missing: refused instead of reading the entry past the last.
    EXPECT_FALSE(gpu.TemperatureForPower(0, 7, 100.0f, out));
    EXPECT_FALSE(gpu.PowerForTemperature(0, 7, 80.0f, 100.0f, out));

    struct Degenerate {
        uint32_t pmin, pdef, pmax;
        int32_t tmin, tdef, tmax;
        bool tempForPowerOk;  // at 100 %
        bool powerForTempOk;  // slider at 100 %, i.e. the lower line
    };
    const Degenerate cases[] = {
        {100000, 100000, 120000, 60, 83, 92, false, true},  // Pdef = Pmin
        {50000, 100000, 120000, 83, 83, 92, true, false},   // Tdef = Tmin
    };
    for (const Degenerate& c : cases) {
        fake.powerInfo.entries[0].minPcm = c.pmin;
        fake.powerInfo.entries[0].defaultPcm = c.pdef;
        fake.powerInfo.entries[0].maxPcm = c.pmax;
        fake.thermalInfo.entries[0] = {1, 0, c.tmin * 256, c.tdef * 256, c.tmax * 256, 0};
        EXPECT_EQ(gpu.TemperatureForPower(0, 1, 100.0f, out), c.tempForPowerOk);
        EXPECT_EQ(gpu.PowerForTemperature(0, 1, 80.0f, 100.0f, out), c.powerForTempOk);
    }
    // Tmax = Tdef with the slider above default: the upper line divides by zero.
    fake.thermalInfo.entries[0] = {1, 0, 60 * 256, 92 * 256, 92 * 256, 0};
    fake.powerInfo.entries[0].minPcm = 50000;
    out[0] = -1;
    EXPECT_FALSE(gpu.PowerForTemperature(0, 1, 80.0f, 110.0f, out));
    EXPECT_EQ(out[0], -1.0f) << "a refusal leaves out as it was";

    fake.thermalInfo.flags = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(gpu.TemperatureForPower(0, 1, 100.0f, out));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Thermal Policies are not supported!\n");
}

// ---- reset ----

TEST_F(NvidiaGpuRules, ResetToDefaults) {
    Start();
    ASSERT_TRUE(gpu.ResetToDefaults());
    EXPECT_EQ(fake.resetPrepareCalls, 1);
    ASSERT_EQ(fake.pstateWrites.size(), 2u);
    EXPECT_EQ(fake.pstateWrites[0].pstates[0].clocks[0].domainId, kNvClockDomainGraphics);
    EXPECT_EQ(fake.pstateWrites[1].pstates[0].clocks[0].domainId, kNvClockDomainMemory);
    EXPECT_EQ(fake.pstateWrites[1].pstates[0].clocks[0].freqDeltaKHz.value, 0);
    ASSERT_EQ(fake.powerWrites.size(), 1u);
    EXPECT_EQ(fake.powerWrites[0].entries[0].powerPcm, 100000u);
    ASSERT_EQ(fake.coolerWrites.size(), 1u);
    EXPECT_EQ(fake.coolerWrites[0].levels[0].policy, kNvCoolerPolicyDefault);

    fake.Fail("GPU_PowerPoliciesSetStatus", kNvStatusError);
    EXPECT_FALSE(gpu.ResetToDefaults());
    EXPECT_EQ(fake.coolerWrites.size(), 2u) << "the fan is handed back anyway";
}

// ---- cooler ----

TEST_F(NvidiaGpuRules, CoolerReadingAndOlderVersions) {
    Start();
    CoolerReading c;
    ASSERT_TRUE(gpu.ReadCooler(c));
    EXPECT_EQ(c.minLevelPct, 30);
    EXPECT_EQ(c.maxLevelPct, 100);
    EXPECT_EQ(c.currentLevelPct, 45);
    EXPECT_EQ(c.tachRpm, 1350);
    EXPECT_EQ(fake.coolerTargets[0], kNvCoolerTargetAll);

    // Version 4 unknown, version 1 answers: two coolers at 48-byte steps, the last wins.
    fake.Fail("GPU_GetCoolerSettings", kNvStatusIncompatibleVersion, kNvCoolerSettingsVer4);
    fake.coolerOlder.count = 2;
    fake.coolerOlder.cooler[0] = {0, 0, 25, 90, 0, 0, 40, 0x20, 0x20, 7, 0, 1};
    fake.coolerOlder.cooler[1] = {0, 0, 35, 95, 0, 0, 55, 0x20, 0x20, 7, 0, 1};
    fake.coolerReadVersions.clear();
    ASSERT_TRUE(gpu.ReadCooler(c));
    EXPECT_EQ(fake.coolerReadVersions,
              (std::vector<uint32_t>{kNvCoolerSettingsVer4, kNvCoolerSettingsVer1}));
    EXPECT_EQ(c.minLevelPct, 35);
    EXPECT_EQ(c.maxLevelPct, 95);
    EXPECT_EQ(c.currentLevelPct, 55);

    fake.Fail("GPU_GetCoolerSettings", kNvStatusIncompatibleVersion, kNvCoolerSettingsVer1);
    fake.coolerReadVersions.clear();
    ASSERT_TRUE(gpu.ReadCooler(c));
    EXPECT_EQ(fake.coolerReadVersions.back(), kNvCoolerSettingsVer2);
}

TEST_F(NvidiaGpuRules, CoolerFailureShownOncePerKind) {
    Start();
    struct Shown {
        std::wstring text, caption;
        unsigned icon;
    };
    std::vector<Shown> shown;
    gpu.SetUserMessageSink([&](const std::wstring& t, const std::wstring& c, unsigned i) {
        shown.push_back({t, c, i});
    });
    CoolerReading c;
    fake.Fail("GPU_GetCoolerSettings", kNvStatusExpectedPhysicalGpuHandle);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_FALSE(gpu.ReadCooler(c));
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L" GPU物理地址无效.");
    EXPECT_EQ(shown[0].caption, L"NVAPI信息");
    EXPECT_EQ(shown[0].icon, kUserMessageIconError);

    const struct {
        NvStatus status;
        const wchar_t* text;
        unsigned icon;
    } kinds[] = {
        {kNvStatusHandleInvalidated, L"Handle passed has been invalidated .",
         kUserMessageIconError},
        {kNvStatusInvalidArgument, L"程序参数错误.", kUserMessageIconInformation},
        {kNvStatusError, L"NVAPI读取GPU温度失败: NVAPI_ERROR", kUserMessageIconError},
    };
    for (const auto& k : kinds) {
        fake.failures.clear();
        fake.Fail("GPU_GetCoolerSettings", k.status);
        shown.clear();
        EXPECT_FALSE(gpu.ReadCooler(c));
        EXPECT_FALSE(gpu.ReadCooler(c));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, k.text);
        EXPECT_EQ(shown[0].icon, k.icon);
    }
    // A failure of the retries, or an unlisted status, shows nothing.
    fake.failures.clear();
    fake.Fail("GPU_GetCoolerSettings", kNvStatusIncompatibleVersion, kNvCoolerSettingsVer4);
    fake.Fail("GPU_GetCoolerSettings", kNvStatusExpectedPhysicalGpuHandle + 1);
    shown.clear();
    EXPECT_FALSE(gpu.ReadCooler(c));
    EXPECT_TRUE(shown.empty());
}

struct CoolerLevelCase {
    int32_t level;
    int32_t code;
    bool sent;
    uint32_t expectLevel;
    uint32_t expectPolicy;
};

class CoolerLevels : public NvidiaGpuRules, public testing::WithParamInterface<CoolerLevelCase> {};

TEST_P(CoolerLevels, OneEntryForAllCoolers) {
    Start();
    const CoolerLevelCase& c = GetParam();
    EXPECT_EQ(gpu.SetCoolerLevel(c.level, c.code), c.sent);
    if (!c.sent) {
        EXPECT_TRUE(fake.coolerWrites.empty());
        return;
    }
    ASSERT_EQ(fake.coolerWrites.size(), 1u);
    const NvCoolerLevels& w = fake.coolerWrites[0];
    EXPECT_EQ(w.version, kNvCoolerLevelsVer1);
    EXPECT_EQ(w.levels[0].level, c.expectLevel);
    EXPECT_EQ(w.levels[0].policy, c.expectPolicy);
    EXPECT_EQ(w.levels[1].level, 0u);
    EXPECT_EQ(w.levels[1].policy, 0u);
    EXPECT_EQ(fake.coolerTargets.back(), kNvCoolerTargetAll);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, CoolerLevels,
    testing::Values(CoolerLevelCase{60, 1, true, 60, 0x1}, CoolerLevelCase{60, 20, true, 60, 0x20},
                    CoolerLevelCase{60, 8, true, 60, 0x8},
                    // -1: the driver's default minimum with its default policy (manual here).
                    CoolerLevelCase{-1, 20, true, 30, 0x1}, CoolerLevelCase{60, 3, false, 0, 0},
                    CoolerLevelCase{60, 0x20, false, 0, 0}, CoolerLevelCase{101, 1, false, 0, 0},
                    CoolerLevelCase{-2, 1, false, 0, 0}));

TEST_F(NvidiaGpuRules, RestoreCoolerDefaultAlwaysAutomatic) {
    Start();
    ASSERT_TRUE(gpu.RestoreCoolerDefault());
    EXPECT_EQ(fake.coolerWrites.back().levels[0].level, 30u);
    EXPECT_EQ(fake.coolerWrites.back().levels[0].policy, kNvCoolerPolicyDefault);

    // Settings unreadable: the fan still goes back to automatic.
    fake.Fail("GPU_GetCoolerSettings", kNvStatusError);
    ASSERT_TRUE(gpu.RestoreCoolerDefault());
    EXPECT_EQ(fake.coolerWrites.back().levels[0].policy, kNvCoolerPolicyDefault);
    EXPECT_EQ(fake.coolerWrites.back().levels[0].level, 100u);
    // And -1 does not guess: it needs the driver's default.
    EXPECT_FALSE(gpu.SetCoolerLevel(-1, 1));
}

// ---- I2C ----

TEST_F(NvidiaGpuRules, LedPacketGoesOutAsOneI2cTransaction) {
    Start();
    const uint8_t red[] = {0xFF, 0x00, 0x00};
    ASSERT_TRUE(gpu.WriteLedPacket(red, 3, 0, 50, 2));
    ASSERT_EQ(fake.i2cWrites.size(), 1u);
    const NvI2cInfoV3& i = fake.i2cWrites[0];
    EXPECT_EQ(i.version, kNvI2cInfoVer3);
    EXPECT_EQ(i.version, sizeof(void*) == 8 ? 0x30040u : 0x3002Cu);
    EXPECT_EQ(i.displayMask, 0x100u);
    EXPECT_EQ(i.isDdcPort, 1);
    EXPECT_EQ(i.deviceAddress, 0xA0);
    EXPECT_EQ(i.registerAddress, nullptr);
    EXPECT_EQ(i.registerAddressSize, 0u);
    EXPECT_EQ(i.size, 8u);
    EXPECT_EQ(i.legacySpeed, 0xFFFFu);
    EXPECT_EQ(i.speed, 6u);
    EXPECT_EQ(i.portId, 1);
    EXPECT_EQ(i.isPortIdSet, 1u);
    EXPECT_TRUE(fake.i2cExWrites.empty());
    ASSERT_EQ(fake.i2cBytes.size(), 1u);
    EXPECT_EQ(fake.i2cBytes[0],
              (std::vector<uint8_t>{0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC4}));
}

TEST_F(NvidiaGpuRules, I2cFallsBackToTheExtendedWriteOnce) {
    Start();
    fake.Fail("I2CWrite", kNvStatusError);
    const uint8_t green[] = {0x00, 0xFF, 0x00};
    ASSERT_TRUE(gpu.WriteLedPacket(green, 3, 1, 50, 4));
    ASSERT_EQ(fake.i2cExWrites.size(), 1u);
    EXPECT_EQ(fake.i2cExWrites[0].deviceAddress, 0xA0);
    EXPECT_EQ(fake.i2cBytes.back(),
              (std::vector<uint8_t>{0x08, 0x01, 0x32, 0x04, 0x00, 0xFF, 0x00, 0xC1}));

    fake.Fail("I2CWriteEx", kNvStatusError);
    EXPECT_FALSE(gpu.WriteLedPacket(green, 3, 1, 50, 4));
    EXPECT_EQ(fake.i2cWrites.size(), 2u);
    EXPECT_EQ(fake.i2cExWrites.size(), 2u) << "no retry beyond the one fallback";

    EXPECT_FALSE(gpu.WriteLedPacket(green, 2, 1, 50, 4)) << "not a whole colour";
    EXPECT_EQ(fake.i2cWrites.size(), 2u);
}

}  // namespace
