#include <cstring>

#include "SimFixture.h"

namespace velmora::sim::testing {
namespace {
using namespace nvapi;

using SimDriver = SimTest;

// A slot the simulated driver forgot would answer "no implementation" and look like an older
// driver to every test that reaches it.
TEST(SimInterface, AnswersEveryEntryTheProgramCallsAndNoOther) {
    const NvapiEntries table = ResolveNvapiEntries(&QueryInterface);
#define VELMORA_EXPECT_ANSWERED(slot, Fn, name, value) \
    EXPECT_TRUE(table.slot.present()) << #slot;        \
    EXPECT_EQ(NvapiEntryAddress(table, id::name), QueryInterface(id::name)) << #slot;
    VELMORA_NVAPI_ENTRY_LIST(VELMORA_EXPECT_ANSWERED)
#undef VELMORA_EXPECT_ANSWERED
    EXPECT_EQ(QueryInterface(0x12345678u), nullptr);
    EXPECT_EQ(NvapiEntryAddress(NvapiEntries(), id::kInitialize), nullptr);
}

TEST_F(SimDriver, NoDriverAnswersLibraryNotFoundEverywhere) {
    ASSERT_TRUE(sim.LoadScenarioText("driver = none\n"));
    EXPECT_EQ(nv.initialize(), kNvStatusLibraryNotFound);
    NvPhysicalGpu handles[kNvMaxPhysicalGpus] = {};
    uint32_t count = 0;
    EXPECT_EQ(nv.enumPhysicalGpus(handles, &count), kNvStatusLibraryNotFound);
    EXPECT_EQ(count, 0u);
}

TEST_F(SimDriver, CallsBeforeInitializeAreRefused) {
    NvPhysicalGpu handles[kNvMaxPhysicalGpus] = {};
    uint32_t count = 0;
    EXPECT_EQ(nv.enumPhysicalGpus(handles, &count), kNvStatusApiNotInitialized);
}

TEST_F(SimDriver, EnumeratesCardsAndDisplaysAndEndsWithEndOfEnumeration) {
    Start("gpus = 2\ndisplays = 2\n");
    NvPhysicalGpu handles[kNvMaxPhysicalGpus] = {};
    uint32_t count = 0;
    ASSERT_EQ(nv.enumPhysicalGpus(handles, &count), kNvStatusOk);
    EXPECT_EQ(count, 2u);
    EXPECT_NE(handles[0], handles[1]);
    EXPECT_EQ(handles[2], nullptr);
    NvDisplay d = nullptr;
    EXPECT_EQ(nv.enumNvidiaDisplayHandle(0, &d), kNvStatusOk);
    EXPECT_EQ(nv.enumNvidiaDisplayHandle(1, &d), kNvStatusOk);
    EXPECT_EQ(nv.enumNvidiaDisplayHandle(2, &d), kNvStatusEndEnumeration);
    uint32_t outputId = 0;
    EXPECT_EQ(nv.getAssociatedDisplayOutputId(d, &outputId), kNvStatusOk);
    EXPECT_NE(outputId, 0u);
}

TEST_F(SimDriver, ChecksHandlesAndNullPointers) {
    Start("gpus = 2\n");
    char bogus = 0;
    auto bad = reinterpret_cast<NvPhysicalGpu>(&bogus);
    char name[kNvShortStringSize] = {};
    EXPECT_EQ(nv.gpuGetFullName(bad, name), kNvStatusExpectedPhysicalGpuHandle);
    EXPECT_EQ(nv.gpuGetFullName(nullptr, name), kNvStatusExpectedPhysicalGpuHandle);
    EXPECT_EQ(nv.gpuGetFullName(gpu, nullptr), kNvStatusInvalidArgument);
    EXPECT_EQ(nv.gpuGetPstates20(gpu, nullptr), kNvStatusInvalidArgument);
    EXPECT_EQ(nv.gpuSetCoolerLevels(gpu, kNvCoolerTargetAll, nullptr), kNvStatusInvalidArgument);
    uint32_t rpm = 0;
    EXPECT_EQ(nv.gpuGetTachReading(bad, &rpm), kNvStatusExpectedPhysicalGpuHandle);

    // The second card's handle outlives a scenario that drops the card.
    NvPhysicalGpu second = sim.GpuHandle(1);
    ASSERT_TRUE(sim.LoadScenarioText("gpus = 1\n"));
    EXPECT_EQ(nv.gpuGetFullName(second, name), kNvStatusHandleInvalidated);
    EXPECT_EQ(nv.gpuGetFullName(gpu, name), kNvStatusOk);
}

TEST_F(SimDriver, UnknownRecordVersionsAreIncompatible) {
    Start();
    NvPstates20V2 p{};
    p.version = NvVersionWord(7416, 4);
    EXPECT_EQ(nv.gpuGetPstates20(gpu, &p), kNvStatusIncompatibleVersion);
    NvThermalSettingsV2 t{};
    t.version = NvVersionWord(68, 1);
    EXPECT_EQ(nv.gpuGetThermalSettings(gpu, 0, &t), kNvStatusIncompatibleVersion);
    NvCoolerLevels l{};
    l.version = NvVersionWord(164, 2);
    EXPECT_EQ(nv.gpuSetCoolerLevels(gpu, kNvCoolerTargetAll, &l), kNvStatusIncompatibleVersion);
}

// Each newer record the older driver refuses, and the older version it still answers.
TEST_F(SimDriver, OlderDriverRefusesNewerVersionsAndAnswersOlderOnes) {
    for (bool older : {true, false}) {
        SCOPED_TRACE(older ? "older driver" : "current driver");
        ASSERT_TRUE(sim.LoadScenarioText(older ? "driver_generation = old\n" : ""));
        if (!sim.Initialized()) {
            ASSERT_EQ(nv.initialize(), kNvStatusOk);
        }
        gpu = sim.GpuHandle(0);
        int32_t refused = older ? kNvStatusIncompatibleVersion : kNvStatusOk;

        NvPstates20V2 p{};
        p.version = kNvPstates20Ver3;
        EXPECT_EQ(nv.gpuGetPstates20(gpu, &p), refused);
        p = {};
        p.version = kNvPstates20Ver1;
        EXPECT_EQ(nv.gpuGetPstates20(gpu, &p), kNvStatusOk);

        NvClockFrequencies c{};
        c.version = kNvClockFrequenciesVer3;
        EXPECT_EQ(nv.gpuGetAllClockFrequencies(gpu, &c), refused);
        c.version = kNvClockFrequenciesVer1;
        EXPECT_EQ(nv.gpuGetAllClockFrequencies(gpu, &c), kNvStatusOk);

        NvMemoryInfoV3 m{};
        m.version = kNvMemoryInfoVer3;
        EXPECT_EQ(nv.getDisplayDriverMemoryInfo(nullptr, &m), refused);
        m.version = kNvMemoryInfoVer1;
        EXPECT_EQ(nv.getDisplayDriverMemoryInfo(nullptr, &m), kNvStatusOk);

        NvChipsetInfoV4 ch{};
        for (uint32_t v : {kNvChipsetInfoVer4, kNvChipsetInfoVer3}) {
            ch.version = v;
            EXPECT_EQ(nv.sysGetChipSetInfo(&ch), refused);
        }
        ch.version = kNvChipsetInfoVer2;
        EXPECT_EQ(nv.sysGetChipSetInfo(&ch), kNvStatusOk);
        EXPECT_STREQ(ch.vendorName, "Intel");
        EXPECT_EQ(ch.vendorId, 0x8086u);

        NvCoolerSettingsV4 co{};
        co.version = kNvCoolerSettingsVer4;
        EXPECT_EQ(nv.gpuGetCoolerSettings(gpu, kNvCoolerTargetAll, &co), refused);
        co.version = kNvCoolerSettingsVer1;
        EXPECT_EQ(nv.gpuGetCoolerSettings(gpu, kNvCoolerTargetAll, &co), kNvStatusOk);
        EXPECT_EQ(co.count, 1u);
        EXPECT_EQ(co.cooler[0].defaultMinLevel, 30u);

        NvPstates20V2 ov{};
        ov.version = kNvPstates20Ver2;
        ov.overVoltage.count = 1;
        ov.overVoltage.voltages[0].voltageDeltaUv.value = 25000;
        EXPECT_EQ(nv.gpuSetPstates20(gpu, &ov), refused);
        EXPECT_EQ(State().overVoltageUv, older ? 0 : 25000);
    }
}

TEST_F(SimDriver, VersionOneRecordsAreNeitherReadNorWrittenPastTheirEnd) {
    Start();
    // A version-1 P-states read leaves the over-voltage block alone...
    NvPstates20V2 p;
    std::memset(&p, 0xAB, sizeof(p));
    p.version = kNvPstates20Ver1;
    ASSERT_EQ(nv.gpuGetPstates20(gpu, &p), kNvStatusOk);
    EXPECT_EQ(p.overVoltage.count, 0xABABABABu);
    EXPECT_EQ(p.numPstates, 2u);
    // ...and a version-1 write ignores whatever follows it.
    NvPstates20V2 w{};
    w.version = kNvPstates20Ver1;
    w.overVoltage.count = 1;
    w.overVoltage.voltages[0].voltageDeltaUv.value = 50000;
    ASSERT_EQ(nv.gpuSetPstates20(gpu, &w), kNvStatusOk);
    EXPECT_EQ(State().overVoltageUv, 0);
    // The 7416-byte versions carry it.
    NvPstates20V2 r{};
    r.version = kNvPstates20Ver3;
    ASSERT_EQ(nv.gpuGetPstates20(gpu, &r), kNvStatusOk);
    EXPECT_EQ(r.overVoltage.count, 1u);
    EXPECT_EQ(r.overVoltage.voltages[0].voltageDeltaUv.max, 100000);
}

TEST_F(SimDriver, RefusedSetsLeaveTheCardAsItWas) {
    Start(
        "gpu_offset_range = -200 1200\nmemory_offset_range = -1000 1000\npower_limits = 50 100 "
        "120\n"
        "thermal_limits = 60 83 92\nfan_range = 30 100\nbase_voltage_uv = 850000\n"
        "voltage_delta_max_uv = 150000\nover_voltage_max_uv = 100000\n");
    GpuState before = State();
    auto power = [&](uint32_t pcm) {
        NvPowerPoliciesStatus s{};
        s.version = kNvPowerPoliciesStatusVer1;
        s.count = 1;
        s.entries[0].powerPcm = pcm;
        return nv.gpuPowerPoliciesSetStatus(gpu, &s);
    };
    auto thermal = [&](int32_t raw, uint32_t policy = 1) {
        NvThermalPoliciesStatusV2 s{};
        s.version = kNvThermalPoliciesStatusVer2;
        s.count = 1;
        s.entries[0].policyId = policy;
        s.entries[0].value = raw;
        s.entries[0].flags = 1;
        return nv.gpuClientThermalPoliciesSetStatus(gpu, &s);
    };
    auto voltage = [&](int32_t delta) {
        NvPstates20V2 p{};
        p.version = kNvPstates20Ver1;
        p.numPstates = 1;
        p.numBaseVoltages = 1;
        p.pstates[0].baseVoltages[0].voltageDeltaUv.value = delta;
        return nv.gpuSetPstates20(gpu, &p);
    };
    auto overVoltage = [&](int32_t delta) {
        NvPstates20V2 p{};
        p.version = kNvPstates20Ver2;
        p.overVoltage.count = 1;
        p.overVoltage.voltages[0].voltageDeltaUv.value = delta;
        return nv.gpuSetPstates20(gpu, &p);
    };
    struct Case {
        const char* what;
        int32_t status;
    } cases[] = {
        {"gpu offset above range", SetOffsetKHz(0, 1200001)},
        {"gpu offset below range", SetOffsetKHz(0, -200001)},
        {"memory offset below range", SetOffsetKHz(4, -1000001)},
        {"unknown clock domain", SetOffsetKHz(7, 1000)},
        {"power above max", power(120001)},
        {"power below min", power(49999)},
        {"power wrapped negative", power(static_cast<uint32_t>(-10000))},
        {"thermal above max", thermal(92 * 256 + 1)},
        {"thermal below min", thermal(60 * 256 - 1)},
        {"unknown thermal policy", thermal(80 * 256, 2)},
        {"manual fan below min", SetCooler(29, kNvCoolerPolicyManual)},
        {"fan above 100", SetCooler(101, kNvCoolerPolicyManual)},
        {"unknown fan policy", SetCooler(50, 0x40)},
        {"voltage delta above max", voltage(150001)},
        {"over-voltage above max", overVoltage(100001)},
        {"negative over-voltage", overVoltage(-1)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.status, kNvStatusInvalidArgument) << c.what;
    const GpuState& after = State();
    EXPECT_EQ(after.gpuOffsetKHz, before.gpuOffsetKHz);
    EXPECT_EQ(after.memoryOffsetKHz, before.memoryOffsetKHz);
    EXPECT_EQ(after.powerTargetPcm, before.powerTargetPcm);
    EXPECT_EQ(after.thermalTargetRaw, before.thermalTargetRaw);
    EXPECT_EQ(after.thermalPriority, before.thermalPriority);
    EXPECT_EQ(after.coolerPolicy, before.coolerPolicy);
    EXPECT_EQ(after.voltageDeltaUv, before.voltageDeltaUv);
    EXPECT_EQ(after.overVoltageUv, before.overVoltageUv);

    // The ends of each range are accepted and stored.
    EXPECT_EQ(SetOffsetKHz(0, 1200000), kNvStatusOk);
    EXPECT_EQ(power(120000), kNvStatusOk);
    EXPECT_EQ(thermal(21478), kNvStatusOk);  // 83.9 C
    EXPECT_EQ(voltage(150000), kNvStatusOk);
    EXPECT_EQ(overVoltage(100000), kNvStatusOk);
    EXPECT_EQ(State().gpuOffsetKHz, 1200000);
    EXPECT_EQ(State().powerTargetPcm, 120000u);
    EXPECT_EQ(State().thermalTargetRaw, 21478);
    EXPECT_TRUE(State().thermalPriority);
    EXPECT_EQ(State().voltageDeltaUv, 150000);
    EXPECT_EQ(State().overVoltageUv, 100000);
}

TEST_F(SimDriver, ARecordWithOneBadClockChangesNoneOfIt) {
    Start();
    NvPstates20V2 p{};
    p.version = kNvPstates20Ver1;
    p.numPstates = 1;
    p.numClocks = 2;
    p.pstates[0].clocks[0] = {};
    p.pstates[0].clocks[0].domainId = 0;
    p.pstates[0].clocks[0].freqDeltaKHz.value = 100000;
    p.pstates[0].clocks[1].domainId = 4;
    p.pstates[0].clocks[1].freqDeltaKHz.value = 5000000;
    EXPECT_EQ(nv.gpuSetPstates20(gpu, &p), kNvStatusInvalidArgument);
    EXPECT_EQ(State().gpuOffsetKHz, 0);
}

TEST_F(SimDriver, PowerAndThermalPoliciesReadBackWhatWasSet) {
    Start("power_limits = 50 100 120\nthermal_limits = 60 83 92\n");
    NvPowerPoliciesInfo info{};
    info.version = kNvPowerPoliciesInfoVer1;
    ASSERT_EQ(nv.gpuPowerPoliciesGetInfo(gpu, &info), kNvStatusOk);
    EXPECT_EQ(info.supported, 1);
    EXPECT_EQ(info.entries[0].minPcm, 50000u);
    EXPECT_EQ(info.entries[0].defaultPcm, 100000u);
    EXPECT_EQ(info.entries[0].maxPcm, 120000u);
    NvPowerPoliciesStatus s{};
    s.version = kNvPowerPoliciesStatusVer1;
    s.count = 1;
    s.entries[0].powerPcm = 110000;
    ASSERT_EQ(nv.gpuPowerPoliciesSetStatus(gpu, &s), kNvStatusOk);
    NvPowerPoliciesStatus r{};
    r.version = kNvPowerPoliciesStatusVer1;
    ASSERT_EQ(nv.gpuPowerPoliciesGetStatus(gpu, &r), kNvStatusOk);
    EXPECT_EQ(r.entries[0].powerPcm, 110000u);

    NvThermalPoliciesInfoV2 ti{};
    ti.version = kNvThermalPoliciesInfoVer2;
    ASSERT_EQ(nv.gpuThermalPoliciesGetInfo(gpu, &ti), kNvStatusOk);
    EXPECT_EQ(ti.flags & 1, 1);
    EXPECT_EQ(ti.entries[0].policyId, 1u);
    EXPECT_EQ(ti.entries[0].defaultLimit, 83 * 256);
    NvThermalPoliciesStatusV2 ts{};
    ts.version = kNvThermalPoliciesStatusVer2;
    ASSERT_EQ(nv.gpuClientThermalPoliciesGetStatus(gpu, &ts), kNvStatusOk);
    EXPECT_EQ(ts.entries[0].value, 83 * 256);
    EXPECT_EQ(ts.entries[0].flags, 0);
}

TEST_F(SimDriver, PowerReadingMatchesTheModelOnTheTopologyChannel) {
    Start("load = 100\npower_topology_channel = 0\n");
    sim.Advance(5);
    NvPowerTopologyInfo ti{};
    ti.version = kNvPowerTopologyInfoVer1;
    ASSERT_EQ(nv.gpuPowerTopologyGetInfo(gpu, &ti), kNvStatusOk);
    NvPowerTopologyStatus ts{};
    ts.version = kNvPowerTopologyStatusVer1;
    ts.count = ti.count;
    ASSERT_EQ(nv.gpuPowerTopologyGetStatus(gpu, &ts), kNvStatusOk);
    EXPECT_EQ(ts.count, 1);
    EXPECT_EQ(ts.entries[0].powerPcm, sim.Gpu(0).PowerPcm());
    EXPECT_GT(ts.entries[0].powerPcm, 50000u);

    ASSERT_TRUE(sim.LoadScenarioText("power_supported = 0\n"));
    ASSERT_EQ(nv.gpuPowerTopologyGetInfo(gpu, &ti), kNvStatusOk);
    EXPECT_EQ(ti.supported, 0);
}

TEST_F(SimDriver, InjectedFailuresAnswerTheirStatusUntilCleared) {
    Start("fail GetThermalSettings -1\nfail GetAllClockFrequencies -9 version 3\n");
    NvThermalSettingsV2 t{};
    t.version = kNvThermalSettingsVer2;
    EXPECT_EQ(nv.gpuGetThermalSettings(gpu, 0, &t), kNvStatusError);
    NvClockFrequencies c{};
    c.version = kNvClockFrequenciesVer3;
    EXPECT_EQ(nv.gpuGetAllClockFrequencies(gpu, &c), kNvStatusIncompatibleVersion);
    c.version = kNvClockFrequenciesVer1;
    EXPECT_EQ(nv.gpuGetAllClockFrequencies(gpu, &c), kNvStatusOk);

    ASSERT_TRUE(sim.LoadScenarioText(""));
    EXPECT_EQ(nv.gpuGetThermalSettings(gpu, 0, &t), kNvStatusOk);
}

TEST_F(SimDriver, ResetPreparationIsCountedAndChecksItsMode) {
    Start();
    EXPECT_EQ(nv.gpuResetPrepare(gpu, 1), kNvStatusOk);
    EXPECT_EQ(nv.gpuResetPrepare(gpu, 2), kNvStatusInvalidArgument);
    EXPECT_EQ(State().resetPrepareCount, 1);
}

TEST_F(SimDriver, InformationEntriesReportTheScenario) {
    Start(
        "driver = 41142\ndevice_id = 0x0FC8\nmemory_type = 8\nbus_width = 192\nmemory_mb = 2048\n"
        "name = Test Card\nvbios = 80.07.35.00.01\n");
    uint32_t dev = 0, sub = 0, rev = 0, ext = 0;
    ASSERT_EQ(nv.gpuGetPciIdentifiers(gpu, &dev, &sub, &rev, &ext), kNvStatusOk);
    EXPECT_EQ(ext, 0x0FC8u);
    EXPECT_EQ(dev, 0x0FC810DEu);
    char text[kNvShortStringSize] = {};
    ASSERT_EQ(nv.gpuGetFullName(gpu, text), kNvStatusOk);
    EXPECT_STREQ(text, "Test Card");
    ASSERT_EQ(nv.gpuGetVbiosVersionString(gpu, text), kNvStatusOk);
    EXPECT_STREQ(text, "80.07.35.00.01");
    uint32_t type = 0, bits = 0;
    ASSERT_EQ(nv.gpuGetMemoryType(gpu, &type), kNvStatusOk);
    ASSERT_EQ(nv.gpuGetMemoryBusWidth(gpu, &bits), kNvStatusOk);
    EXPECT_EQ(type, 8u);
    EXPECT_EQ(bits, 192u);
    NvDisplayDriverVersion v{};
    v.version = kNvDisplayDriverVersionVer1;
    ASSERT_EQ(nv.getDisplayDriverVersion(nullptr, &v), kNvStatusOk);
    EXPECT_EQ(v.driverVersion, 41142u);
    NvMemoryInfoV3 m{};
    m.version = kNvMemoryInfoVer3;
    ASSERT_EQ(nv.getDisplayDriverMemoryInfo(nullptr, &m), kNvStatusOk);
    EXPECT_EQ(m.dedicatedVideoMemoryKB, 2048u * 1024);
    EXPECT_LT(m.curAvailableDedicatedVideoMemoryKB, m.dedicatedVideoMemoryKB);
    EXPECT_EQ(m.dedicatedVideoMemoryKB - m.curAvailableDedicatedVideoMemoryKB,
              sim.Gpu(0).MemoryUsedKB());
}

}  // namespace
}  // namespace velmora::sim::testing
