// Start-up, the GPU and display tables, and the sensor readings.
#include <algorithm>
#include <cstdio>

#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

constexpr int32_t kKHzPerMHz = 1000;
constexpr int32_t kPcmPerPercent = 1000;  // power values are per-cent-mille
// Thermal query over sensor index 0 asks for all the sensors the record holds.
constexpr uint32_t kThermalSensorIndex = 0;
// ReadVoltage/ReadVoltageRange start their scan from these, as the windows expect.
constexpr int32_t kVoltageScanStartMinUv = 10000;
constexpr int32_t kVoltageScanStartMaxUv = 0;

}  // namespace

NvPhysicalGpu NvidiaGpu::gpuHandle(uint32_t index) const {
    return index < kNvMaxPhysicalGpus ? gpuHandles_[index] : nullptr;
}

bool NvidiaGpu::SelectGpu(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= gpuCount_) {
        return false;
    }
    selectedIndex_ = index;
    return true;
}

NvPhysicalGpu NvidiaGpu::SelectedGpuLazy() {
    if (gpuHandles_[selectedIndex_] == nullptr) {
        EnumerateGpus();
    }
    return gpuHandles_[selectedIndex_];
}

std::string NvidiaGpu::ErrorText(NvStatus status) {
    NvShortString text = {};
    if (nv_.getErrorMessage(status, text) != kNvStatusOk) {
        return std::string();
    }
    text[kNvShortStringSize - 1] = '\0';
    return std::string(text);
}

bool NvidiaGpu::Initialize() {
    gpuCount_ = 0;
    selectedIndex_ = 0;
    displayCount_ = 0;
    std::fill(std::begin(gpuHandles_), std::end(gpuHandles_), nullptr);

    // Without a driver there is no entry at all: that is the library-not-found case.
    const NvStatus status = nv_.initialize.present() ? nv_.initialize() : kNvStatusLibraryNotFound;
    if (status == kNvStatusError) {
        ErrorText(status);  // fetched for a debugger's eyes only
        nv_.unload();
        return false;
    }
    if (status == kNvStatusLibraryNotFound) {
        nv_.unload();
        return false;
    }
    EnumerateDisplays();
    return EnumerateGpus();
}

bool NvidiaGpu::EnumerateGpus() {
    uint32_t count = 0;
    const NvStatus status = nv_.enumPhysicalGpus(gpuHandles_, &count);
    if (status != kNvStatusOk) {
        ErrorText(status);
        return false;
    }
    gpuCount_ = std::min(count, kNvMaxPhysicalGpus);
    return true;
}

NvStatus NvidiaGpu::EnumerateDisplays() {
    displayCount_ = 0;
    for (uint32_t i = 0; i < kNvMaxDisplays; ++i) {
        NvDisplay display = nullptr;
        const NvStatus status = nv_.enumNvidiaDisplayHandle(i, &display);
        if (status == kNvStatusEndEnumeration) {
            break;
        }
        if (status != kNvStatusOk) {
            return kNvStatusError;
        }
        displayHandles_[i] = display;
        ++displayCount_;
    }
    return nv_.getAssociatedDisplayOutputId(displayHandles_[0], &outputId_);
}

int32_t NvidiaGpu::ReadGpuTemperature(GpuTemperature& out) {
    // A fresh enumeration each time: the reading must not depend on the object's table.
    NvPhysicalGpu local[kNvMaxPhysicalGpus] = {};
    uint32_t count = 0;
    const NvStatus enumStatus = nv_.enumPhysicalGpus(local, &count);
    if (enumStatus != kNvStatusOk) {
        std::printf("NVAPI Error: %s\n", ErrorText(enumStatus).c_str());
        return kNvStatusError;
    }

    NvThermalSettingsV2 settings = {};
    settings.version = kNvThermalSettingsVer2;
    settings.count = kNvMaxThermalSensors;
    const NvStatus status =
        nv_.gpuGetThermalSettings(local[selectedIndex_], kThermalSensorIndex, &settings);
    if (status != kNvStatusOk) {
        return status;
    }
    const uint32_t n = std::min(settings.count, kNvMaxThermalSensors);
    for (uint32_t i = 0; i < n; ++i) {
        const NvThermalSensor& s = settings.sensor[i];
        if (s.target == kNvThermalTargetGpu) {
            out.currentC = s.currentC;
            out.defaultMinC = s.defaultMinC;
            out.defaultMaxC = s.defaultMaxC;
            return s.currentC;
        }
    }
    // No GPU core sensor: another sensor's value is not the GPU temperature.
    return kNvStatusError;
}

bool NvidiaGpu::ReadClocks(ClockReading& out, int32_t clockType) {
    NvClockFrequencies clocks = {};
    clocks.version = kNvClockFrequenciesVer3;
    clocks.clockTypeWord = static_cast<uint32_t>(clockType) & kNvClockTypeMask;
    NvStatus status = nv_.gpuGetAllClockFrequencies(SelectedGpu(), &clocks);
    if (status != kNvStatusOk) {
        // Version 1 knows only current clocks; the type word is ignored by it.
        clocks = {};
        clocks.version = kNvClockFrequenciesVer1;
        clocks.clockTypeWord = static_cast<uint32_t>(clockType) & kNvClockTypeMask;
        status = nv_.gpuGetAllClockFrequencies(SelectedGpu(), &clocks);
        if (status != kNvStatusOk) {
            return false;
        }
    }
    out.graphicsMHz =
        static_cast<int32_t>(clocks.domain[kNvClockDomainGraphics].frequencyKHz / kKHzPerMHz);
    out.memoryMHz =
        static_cast<int32_t>(clocks.domain[kNvClockDomainMemory].frequencyKHz / kKHzPerMHz);
    out.processorMHz =
        static_cast<int32_t>(clocks.domain[kNvClockDomainProcessor].frequencyKHz / kKHzPerMHz);
    return true;
}

bool NvidiaGpu::ReadUtilization(int32_t out[2]) {
    const NvPhysicalGpu gpu = SelectedGpuLazy();
    NvDynamicPstatesInfoEx info = {};
    info.version = kNvDynamicPstatesInfoExVer1;
    if (nv_.gpuGetDynamicPstatesInfoEx(gpu, &info) != kNvStatusOk) {
        return false;
    }
    bool any = false;
    const NvUtilizationDomain& gpuUse = info.utilization[kNvUtilizationGpu];
    if (gpuUse.flags & 1u) {
        out[0] = static_cast<int32_t>(gpuUse.percentage);
        any = true;
    }
    const NvUtilizationDomain& fbUse = info.utilization[kNvUtilizationFrameBuffer];
    if (fbUse.flags & 1u) {
        out[1] = static_cast<int32_t>(fbUse.percentage);
        any = true;
    }
    return any;
}

NvStatus NvidiaGpu::ReadPstates20(NvPstates20V2& info, uint32_t* versionUsed) {
    info = {};
    info.version = kNvPstates20Ver3;
    NvStatus status = nv_.gpuGetPstates20(SelectedGpu(), &info);
    uint32_t version = kNvPstates20Ver3;
    if (status == kNvStatusIncompatibleVersion) {
        info = {};
        info.version = kNvPstates20Ver1;
        version = kNvPstates20Ver1;
        status = nv_.gpuGetPstates20(SelectedGpu(), &info);
    }
    if (versionUsed != nullptr) {
        *versionUsed = version;
    }
    return status;
}

bool NvidiaGpu::ReadVoltageCommon(int32_t& baseUv, int32_t& minUv, int32_t& maxUv,
                                  int32_t& absDeltaMinUv, int32_t& currentUv, bool& currentValid) {
    NvVoltageDomainsStatus domains = {};
    domains.version = kNvVoltageDomainsStatusVer1;
    domains.count = 0;
    // A failed status query gives no current voltage; the caller's value then stays.
    currentValid = nv_.gpuGetVoltageDomainsStatus(SelectedGpu(), &domains) == kNvStatusOk;
    currentUv = static_cast<int32_t>(domains.entry[0].voltageUv);

    NvPstates20V2 info;
    if (ReadPstates20(info) != kNvStatusOk) {
        return false;
    }
    minUv = kVoltageScanStartMinUv;
    maxUv = kVoltageScanStartMaxUv;
    const uint32_t numPstates = std::min(info.numPstates, kNvMaxPstates20);
    const uint32_t numVoltages = std::min(info.numBaseVoltages, kNvMaxPstate20BaseVoltages);
    for (uint32_t p = 0; p < numPstates; ++p) {
        const NvPstate20Entry& ps = info.pstates[p];
        if (ps.pstateId != 0) {
            continue;
        }
        for (uint32_t v = 0; v < numVoltages; ++v) {
            const NvPstate20BaseVoltage& bv = ps.baseVoltages[v];
            const int32_t voltage = static_cast<int32_t>(bv.voltageUv);
            if (bv.domainId == kNvVoltageDomainCore) {
                baseUv = voltage;
            }
            minUv = voltage + bv.voltageDeltaUv.min;
            maxUv = voltage + bv.voltageDeltaUv.max;
            absDeltaMinUv =
                bv.voltageDeltaUv.min < 0 ? -bv.voltageDeltaUv.min : bv.voltageDeltaUv.min;
        }
        break;
    }
    return true;
}

bool NvidiaGpu::ReadVoltage(VoltageReading& out) {
    SelectedGpuLazy();
    int32_t unusedAbsDeltaMin = 0;
    int32_t currentUv = 0;
    bool currentValid = false;
    if (!ReadVoltageCommon(out.baseUv, out.minUv, out.maxUv, unusedAbsDeltaMin, currentUv,
                           currentValid)) {
        return false;
    }
    if (currentValid) {
        out.currentUv = currentUv;
    }
    return true;
}

bool NvidiaGpu::ReadMemoryUsage(MemoryUsage& out) {
    NvMemoryInfoV3 info = {};
    // Only the version 3 record says how much is free now.
    if (ReadMemoryInfo(info) != kNvStatusOk || info.version != kNvMemoryInfoVer3) return false;
    out.usedKB =
        static_cast<int32_t>(info.dedicatedVideoMemoryKB - info.curAvailableDedicatedVideoMemoryKB);
    out.freeKB = static_cast<int32_t>(info.curAvailableDedicatedVideoMemoryKB);
    out.availableKB = static_cast<int32_t>(info.availableDedicatedVideoMemoryKB);
    return true;
}

bool NvidiaGpu::ReadPower(PowerReading& out) {
    const NvPhysicalGpu gpu = SelectedGpuLazy();

    std::printf("Power topology info:\n");
    NvPowerTopologyInfo topoInfo = {};
    topoInfo.version = kNvPowerTopologyInfoVer1;
    if (nv_.gpuPowerTopologyGetInfo(gpu, &topoInfo) != kNvStatusOk || !topoInfo.supported) {
        return false;
    }

    std::printf("Power topology status:\n");
    NvPowerTopologyStatus topoStatus = {};
    topoStatus.version = kNvPowerTopologyStatusVer1;
    topoStatus.count = std::min<uint8_t>(topoInfo.count, kNvMaxPowerEntries);
    for (uint32_t i = 0; i < topoStatus.count; ++i) {
        topoStatus.entries[i].channelId = topoInfo.channelId[i];
    }
    if (nv_.gpuPowerTopologyGetStatus(gpu, &topoStatus) != kNvStatusOk) {
        return false;
    }

    std::printf("Power policy info:\n");
    NvPowerPoliciesInfo policyInfo = {};
    policyInfo.version = kNvPowerPoliciesInfoVer1;
    const NvStatus infoStatus = nv_.gpuPowerPoliciesGetInfo(gpu, &policyInfo);
    if (infoStatus != kNvStatusOk) {
        std::printf("API call failed with error %d\n", infoStatus);
        return false;
    }
    if (!policyInfo.supported) {
        std::printf("  ... not available!\n");
        return false;
    }
    const uint32_t policyCount = std::min<uint32_t>(policyInfo.count, kNvMaxPowerEntries);
    for (uint32_t i = 0; i < policyCount; ++i) {
        const NvPowerPolicyInfoEntry& e = policyInfo.entries[i];
        out.limitMinPct = static_cast<int32_t>(e.minPcm / kPcmPerPercent);
        out.limitDefaultPct = static_cast<int32_t>(e.defaultPcm / kPcmPerPercent);
        out.limitMaxPct = static_cast<int32_t>(e.maxPcm / kPcmPerPercent);
    }

    NvPowerPoliciesStatus policyStatus = {};
    policyStatus.version = kNvPowerPoliciesStatusVer1;
    policyStatus.count = static_cast<uint8_t>(policyCount);
    for (uint32_t i = 0; i < policyCount; ++i) {
        policyStatus.entries[i].policyId = policyInfo.entries[i].policyId;
    }
    const NvStatus statusStatus = nv_.gpuPowerPoliciesGetStatus(gpu, &policyStatus);
    if (statusStatus != kNvStatusOk) {
        std::printf("API call failed with error %d\n", statusStatus);
        return false;
    }

    const uint32_t statusCount = std::min<uint32_t>(policyStatus.count, kNvMaxPowerEntries);
    const uint32_t channelCount = std::min<uint32_t>(topoStatus.count, kNvMaxPowerEntries);
    for (uint32_t i = 0; i < statusCount; ++i) {
        const NvPowerPolicyStatusEntry& s = policyStatus.entries[i];
        out.limitCurrentPct = static_cast<int32_t>(s.powerPcm / kPcmPerPercent);
        // The policy's channel comes from the info entry of the same policy.
        const NvPowerPolicyInfoEntry* policy = nullptr;
        for (uint32_t k = 0; k < policyCount; ++k) {
            if (policyInfo.entries[k].policyId == s.policyId) {
                policy = &policyInfo.entries[k];
                break;
            }
        }
        if (policy == nullptr) {
            continue;
        }
        for (uint32_t c = 0; c < channelCount; ++c) {
            if (topoStatus.entries[c].channelId == policy->channel) {
                out.powerNowPct =
                    static_cast<int32_t>(topoStatus.entries[c].powerPcm / kPcmPerPercent);
                break;
            }
        }
    }
    return true;
}

bool NvidiaGpu::GetCurrentPstate(int32_t& out) {
    int32_t pstate = 0;
    if (nv_.gpuGetCurrentPstate(SelectedGpu(), &pstate) != kNvStatusOk) {
        return false;
    }
    out = pstate;
    return true;
}
