// P-state clocks, clock offsets and the core voltage controls (P-states 2.0 records).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

constexpr int32_t kKHzPerMHz = 1000;
constexpr uint32_t kWantedPstateClocks = 2;  // GPU and memory
constexpr int kDashLineLength = 54;

int32_t TruncMHz(int64_t kHz) {
    return static_cast<int32_t>(kHz / kKHzPerMHz);
}
int32_t RoundMHz(int64_t kHz) {
    return static_cast<int32_t>(static_cast<double>(kHz) / kKHzPerMHz + 0.5);
}

// A version-1 write record: one P-state (id 0), the given counts, everything else zero.
NvPstates20V2 MakeWriteRecord(uint32_t numClocks, uint32_t numBaseVoltages) {
    NvPstates20V2 info = {};
    info.version = kNvPstates20Ver1;
    info.numPstates = 1;
    info.numClocks = numClocks;
    info.numBaseVoltages = numBaseVoltages;
    info.pstates[0].pstateId = 0;
    return info;
}

}  // namespace

void NvidiaGpu::ReadPstateClocks(int32_t values[2], bool deltaRange) {
    SelectedGpuLazy();
    NvPstates20V2 info;
    const NvStatus status = ReadPstates20(info);
    if (status != kNvStatusOk) {
        std::printf("API call failed with error %d\n", status);
        return;
    }
    std::printf("API call succeeded\n");
    std::printf("\n");
    std::printf("%s\n", std::string(kDashLineLength, '-').c_str());
    std::printf("ps20Info.bIsEditable = %d\n", static_cast<int>(info.flags & kNvPstates20Editable));
    std::printf("ps20Info.numPstates  = %d\n", static_cast<int>(info.numPstates));
    std::printf("ps20Info.numClocks   = %d\n", static_cast<int>(info.numClocks));
    std::printf("ps20Info.numBaseVol  = %d\n", static_cast<int>(info.numBaseVoltages));

    const uint32_t numPstates = std::min(info.numPstates, kNvMaxPstates20);
    const uint32_t numClocks = std::min(info.numClocks, kNvMaxPstate20Clocks);
    uint32_t n = 0;
    for (uint32_t p = 0; p < numPstates && n < kWantedPstateClocks; ++p) {
        for (uint32_t c = 0; c < numClocks && n < kWantedPstateClocks; ++c) {
            const NvPstate20Clock& clock = info.pstates[p].clocks[c];
            if (deltaRange) {
                std::printf(
                    "ps20Info.pstates[%d].clocks[%d].freqDelta_kHz            = %d [%d, %d]\n",
                    static_cast<int>(p), static_cast<int>(c), clock.freqDeltaKHz.value,
                    clock.freqDeltaKHz.min, clock.freqDeltaKHz.max);
                values[n] =
                    c == 0 ? TruncMHz(clock.freqDeltaKHz.max) : RoundMHz(clock.freqDeltaKHz.max);
                ++n;
            } else if (clock.typeId == kNvPstateClockSingle) {
                std::printf("ps20Info.pstates[%d].clocks[%d].data.single.freq_kHz     = %d\n",
                            static_cast<int>(p), static_cast<int>(c),
                            static_cast<int>(clock.data.single.freqKHz));
                values[n] = n == 0 ? TruncMHz(clock.data.single.freqKHz)
                                   : RoundMHz(clock.data.single.freqKHz);
                ++n;
            } else if (clock.typeId == kNvPstateClockRange) {
                ClockReading base;
                if (ReadClocks(base, kNvClockTypeBase)) {
                    const int32_t baseMHz = n == 0 ? base.graphicsMHz : base.memoryMHz;
                    values[n] = TruncMHz(clock.freqDeltaKHz.value) + baseMHz;
                } else {
                    values[n] = TruncMHz(clock.data.range.maxFreqKHz);
                }
                ++n;
            } else {
                std::printf("Invalid clock type\n");
            }
        }
    }
}

bool NvidiaGpu::ReadClockOffsetChecked(int32_t clockIndex, int32_t& offsetMHz) {
    if (clockIndex < 0 || static_cast<uint32_t>(clockIndex) >= kNvMaxPstate20Clocks) {
        return false;
    }
    NvPstates20V2 info;
    if (ReadPstates20(info) != kNvStatusOk) {
        return false;
    }
    offsetMHz = TruncMHz(info.pstates[0].clocks[clockIndex].freqDeltaKHz.value);
    return true;
}

int32_t NvidiaGpu::ReadClockOffset(int32_t clockIndex) {
    int32_t offset = 0;
    return ReadClockOffsetChecked(clockIndex, offset) ? offset : 0;
}

bool NvidiaGpu::SetClockOffset(uint32_t domainId, int32_t offsetMHz) {
    NvPstates20V2 info = MakeWriteRecord(1, 0);
    NvPstate20Clock& clock = info.pstates[0].clocks[0];
    clock.domainId = domainId;
    // Offsets beyond what fits in kHz are not offsets any card takes.
    const int64_t kHz = static_cast<int64_t>(offsetMHz) * kKHzPerMHz;
    if (kHz > INT32_MAX || kHz < INT32_MIN) {
        return false;
    }
    clock.freqDeltaKHz.value = static_cast<int32_t>(kHz);
    return nv_.gpuSetPstates20(SelectedGpu(), &info) == kNvStatusOk;
}

bool NvidiaGpu::SetVoltageDelta(int32_t deltaUv) {
    NvPstates20V2 info = MakeWriteRecord(0, 1);
    NvPstate20BaseVoltage& voltage = info.pstates[0].baseVoltages[0];
    voltage.domainId = kNvVoltageDomainCore;
    voltage.voltageDeltaUv.value = deltaUv;
    return nv_.gpuSetPstates20(SelectedGpu(), &info) == kNvStatusOk;
}

bool NvidiaGpu::SetOverVoltage(int32_t deltaUv) {
    NvPstates20V2 info = {};
    info.version = kNvPstates20Ver2;
    info.overVoltage.count = 1;
    info.overVoltage.voltages[0].domainId = kNvVoltageDomainCore;
    info.overVoltage.voltages[0].voltageDeltaUv.value = deltaUv;
    const NvStatus status = nv_.gpuSetPstates20(SelectedGpu(), &info);
    if (status != kNvStatusOk) {
        std::printf("API call failed with error %d\n", status);
        return false;
    }
    return true;
}

bool NvidiaGpu::ReadOverVoltage(OverVoltage& out) {
    NvPstates20V2 info;
    uint32_t version = 0;
    const NvStatus status = ReadPstates20(info, &version);
    if (status != kNvStatusOk) {
        std::printf("API call failed with error %d\n", status);
        return false;
    }
    if (version == kNvPstates20Ver1) {
        return true;  // the older record has no over-voltage block
    }
    const uint32_t count = std::min(info.overVoltage.count, kNvMaxOverVoltages);
    for (uint32_t i = 0; i < count; ++i) {
        const NvParamDelta& d = info.overVoltage.voltages[i].voltageDeltaUv;
        out.deltaMinUv = d.min;
        out.deltaMaxUv = d.max;
        out.deltaCurrentUv = d.value;
    }
    return true;
}

bool NvidiaGpu::ReadVoltageRange(VoltageRange& out) {
    SelectedGpuLazy();
    int32_t currentUv = 0;
    bool currentValid = false;
    if (!ReadVoltageCommon(out.baseUv, out.minUv, out.maxUv, out.absDeltaMinUv, currentUv,
                           currentValid)) {
        return false;
    }
    if (currentValid) {
        out.currentUv = currentUv;
    }
    return true;
}
