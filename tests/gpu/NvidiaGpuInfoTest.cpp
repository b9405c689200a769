// The information sheet against a canned driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeNvapi.h"
#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

enum Row {
    kName = 0,
    kMemorySize = 2,
    kMemoryType = 3,
    kGpuClock = 4,
    kGpuBase = 5,
    kDriver = 6,
    kChipset = 7,
    kBusWidth = 9,
    kBandwidth = 10,
    kMemoryClock = 11,
    kMemoryBase = 12,
    kVbios = 13,
};

class InfoSheet : public testing::Test {
  protected:
    void SetUp() override {
        fake.SetUpTypicalCard();
        fake.pstates.pstates[0].clocks[1].data.single.freqKHz = 4004000;
        gpu.Attach(fake.Entries());
        ASSERT_TRUE(gpu.Initialize());
    }
    std::vector<std::wstring> Sheet() {
        std::vector<std::wstring> rows;
        gpu.GetInfoStrings(rows);
        EXPECT_EQ(rows.size(), 14u);
        rows.resize(14);
        return rows;
    }
    // Offsets the card holds now, MHz.
    int32_t CardOffset(int clock) {
        return fake.pstates.pstates[0].clocks[clock].freqDeltaKHz.value / 1000;
    }

    FakeNvapi fake;
    NvidiaGpu gpu;
};

TEST_F(InfoSheet, RowsOfATypicalCard) {
    fake.pstates.pstates[0].clocks[0].freqDeltaKHz.value = 100000;
    fake.pstates.pstates[0].clocks[1].freqDeltaKHz.value = 250000;
    const std::vector<std::wstring> rows = Sheet();
    EXPECT_EQ(rows[kName], L"Fake GPU");
    EXPECT_EQ(rows[1], L"");
    EXPECT_EQ(rows[kMemorySize], L"6144MB");
    EXPECT_EQ(rows[kMemoryType], L"GDDR5");
    EXPECT_EQ(rows[kGpuClock], L"1606MHz");
    EXPECT_EQ(rows[kGpuBase], L"1506MHz");
    EXPECT_EQ(rows[kDriver], L"411.42");
    EXPECT_EQ(rows[kChipset], L"Intel   8086");
    EXPECT_EQ(rows[8], L"");
    EXPECT_EQ(rows[kBusWidth], L"192Bit");
    EXPECT_EQ(rows[kBandwidth], L"192.2GB/s");
    EXPECT_EQ(rows[kMemoryClock], L"4254MHz");
    EXPECT_EQ(rows[kMemoryBase], L"4004MHz");
    EXPECT_EQ(rows[kVbios], L"86.04.50.00.70");
    EXPECT_EQ(gpu.memoryRateFactor(), 2);
    EXPECT_TRUE(fake.pstateWrites.empty()) << "other cards are only read";

    std::vector<std::wstring> clocks;
    gpu.GetClockStrings(clocks);
    EXPECT_EQ(clocks, (std::vector<std::wstring>{L"1606MHz", L"4254MHz", L"192.2GB/s"}));
}

TEST_F(InfoSheet, UnknownMemoryTypeOnAFirstCall) {
    fake.memoryType = 11;
    const std::vector<std::wstring> rows = Sheet();
    EXPECT_EQ(rows[kMemoryType], L"Unknown");
    EXPECT_EQ(rows[kBandwidth], L"0.0GB/s");

    // Known once, an unknown value later keeps the factor learnt before.
    fake.memoryType = 6;  // GDDR4, four transfers per clock
    Sheet();
    fake.memoryType = 42;
    const std::vector<std::wstring> again = Sheet();
    EXPECT_EQ(again[kMemoryType], L"Unknown");
    EXPECT_EQ(gpu.memoryRateFactor(), 4);
}

TEST_F(InfoSheet, FailedQueriesReadUnknown) {
    fake.Fail("GPU_GetFullName", kNvStatusError);
    fake.Fail("GetDisplayDriverMemoryInfo", kNvStatusError);
    fake.Fail("GetDisplayDriverVersion", kNvStatusError);
    fake.Fail("SYS_GetChipSetInfo", kNvStatusError);
    fake.Fail("GPU_GetBusWidth", kNvStatusError);
    fake.Fail("GPU_GetVbiosVersionString", kNvStatusError);
    const std::vector<std::wstring> rows = Sheet();
    for (int r : {kName, kMemorySize, kDriver, kChipset, kBusWidth, kVbios}) {
        EXPECT_EQ(rows[r], L"Unknown") << "row " << r;
    }
    EXPECT_EQ(rows[kBandwidth], L"0.0GB/s") << "no bus width, no bandwidth";
}

TEST_F(InfoSheet, OlderRecordVersions) {
    fake.Fail("GetDisplayDriverMemoryInfo", kNvStatusIncompatibleVersion, kNvMemoryInfoVer3);
    fake.Fail("SYS_GetChipSetInfo", kNvStatusIncompatibleVersion, kNvChipsetInfoVer4);
    fake.Fail("SYS_GetChipSetInfo", kNvStatusIncompatibleVersion, kNvChipsetInfoVer3);
    const std::vector<std::wstring> rows = Sheet();
    EXPECT_EQ(rows[kMemorySize], L"6144MB");
    EXPECT_EQ(rows[kChipset], L"Intel   8086");
}

TEST_F(InfoSheet, BaseClocksFromDeltaRangesWhenBaseQueryFails) {
    fake.Fail("GPU_GetAllClockFrequencies", kNvStatusError);
    const std::vector<std::wstring> rows = Sheet();
    EXPECT_EQ(rows[kGpuBase], L"1200MHz");
    EXPECT_EQ(rows[kMemoryBase], L"1001MHz");
}

struct DeviceCase {
    uint32_t deviceId;
    bool gpuZeroed;
    bool memoryZeroed;
};

class OffsetDevices : public InfoSheet, public testing::WithParamInterface<DeviceCase> {};

TEST_P(OffsetDevices, OffsetsArePutBack) {
    fake.extDeviceId = GetParam().deviceId;
    fake.pstates.pstates[0].clocks[0].freqDeltaKHz.value = 100000;
    fake.pstates.pstates[0].clocks[1].freqDeltaKHz.value = 200000;
    const std::vector<std::wstring> rows = Sheet();

    std::vector<std::pair<uint32_t, int32_t>> writes;
    for (const NvPstates20V2& w : fake.pstateWrites) {
        writes.emplace_back(w.pstates[0].clocks[0].domainId,
                            w.pstates[0].clocks[0].freqDeltaKHz.value);
    }
    std::vector<std::pair<uint32_t, int32_t>> expected;
    if (GetParam().gpuZeroed) {
        expected.insert(expected.end(), {{0u, 0}, {0u, 100000}});
    }
    if (GetParam().memoryZeroed) {
        expected.insert(expected.end(), {{4u, 0}, {4u, 200000}});
    }
    EXPECT_EQ(writes, expected);
    EXPECT_EQ(CardOffset(0), 100);
    EXPECT_EQ(CardOffset(1), 200);
    EXPECT_EQ(rows[kGpuClock], L"1606MHz");
    EXPECT_EQ(rows[kGpuBase], L"1506MHz");
    EXPECT_EQ(rows[kMemoryClock], L"4204MHz");
    EXPECT_EQ(rows[kMemoryBase], L"4004MHz");
    if (GetParam().gpuZeroed) {
        EXPECT_EQ(gpu.gpuBaseClockMHz(), 1506);
    }
    if (GetParam().memoryZeroed) {
        EXPECT_EQ(gpu.memoryBaseClockMHz(), 4004);
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, OffsetDevices,
                         testing::Values(DeviceCase{0x0FC8, true, true},
                                         DeviceCase{0x1402, false, true},
                                         DeviceCase{0x1C03, false, false}));

TEST_F(InfoSheet, UnreadableOffsetIsNeverZeroed) {
    // Were the offset unknown, zeroing and "restoring" it would erase the user's setting.
    fake.extDeviceId = 0x0FC8;
    fake.pstates.pstates[0].clocks[0].freqDeltaKHz.value = 100000;
    fake.Fail("GPU_GetPstates20", kNvStatusError);
    Sheet();
    EXPECT_TRUE(fake.pstateWrites.empty());
    EXPECT_EQ(CardOffset(0), 100);
}

TEST_F(InfoSheet, GpuNameAndDeviceId) {
    std::wstring name = L"old";
    gpu.GetGpuName(name, gpu.gpuHandle(0));
    EXPECT_EQ(name, L"Fake GPU");
    fake.Fail("GPU_GetFullName", kNvStatusError);
    gpu.GetGpuName(name, gpu.gpuHandle(0));
    EXPECT_EQ(name, L"");
    EXPECT_EQ(gpu.GetDeviceId(), 0x1C03u);
    fake.Fail("GPU_GetPCIIdentifiers", kNvStatusError);
    EXPECT_EQ(gpu.GetDeviceId(), 0u);
}

}  // namespace
