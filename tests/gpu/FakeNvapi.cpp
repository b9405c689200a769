#include "FakeNvapi.h"

#include <cstring>

using namespace nvapi;

namespace {

FakeNvapi* g_fake = nullptr;

// The status an entry answers for this version, or kNvStatusOk to go on.
NvStatus Injected(const char* entry, uint32_t version = 0) {
    auto it = g_fake->failures.find(entry);
    if (it == g_fake->failures.end()) {
        return kNvStatusOk;
    }
    for (const FakeNvapi::Failure& f : it->second) {
        if (f.version == 0 || f.version == version) {
            return f.status;
        }
    }
    return kNvStatusOk;
}

void CopyString(char* out, const std::string& text) {
    std::memset(out, 0, kNvShortStringSize);
    std::strncpy(out, text.c_str(), kNvShortStringSize - 1);
}

template <typename Record>
NvStatus Answer(const char* entry, Record* out, const Record& canned, uint32_t wantVersion) {
    const uint32_t version = out->version;
    if (NvStatus s = Injected(entry, version)) {
        return s;
    }
    if (version != wantVersion) {
        return kNvStatusIncompatibleVersion;
    }
    *out = canned;
    out->version = version;
    return kNvStatusOk;
}

NvStatus Initialize() {
    return g_fake->initializeStatus;
}
NvStatus Unload() {
    ++g_fake->unloadCalls;
    return kNvStatusOk;
}
NvStatus GetErrorMessage(NvStatus, NvShortString text) {
    CopyString(text, g_fake->errorText);
    return kNvStatusOk;
}
NvStatus EnumPhysicalGpus(NvPhysicalGpu handles[kNvMaxPhysicalGpus], uint32_t* count) {
    if (NvStatus s = Injected("EnumPhysicalGPUs")) {
        return s;
    }
    for (uint32_t i = 0; i < g_fake->gpuCount; ++i) {
        handles[i] = FakeNvapi::Handle(i);
    }
    *count = g_fake->gpuCount;
    return kNvStatusOk;
}
NvStatus EnumDisplay(uint32_t index, NvDisplay* display) {
    if (index >= g_fake->displays) {
        return kNvStatusEndEnumeration;
    }
    *display = reinterpret_cast<NvDisplay>(static_cast<uintptr_t>(0x2000 + index));
    return kNvStatusOk;
}
NvStatus GetOutputId(NvDisplay, uint32_t* id) {
    *id = 0x100;
    return kNvStatusOk;
}
NvStatus GetMemoryInfo(NvDisplay, NvMemoryInfoV3* info) {
    const uint32_t version = info->version;
    if (NvStatus s = Injected("GetDisplayDriverMemoryInfo", version)) {
        return s;
    }
    if (version == kNvMemoryInfoVer1) {
        std::memcpy(info, &g_fake->memory, sizeof(NvMemoryInfoV1));
    } else if (version == kNvMemoryInfoVer3) {
        *info = g_fake->memory;
    } else {
        return kNvStatusIncompatibleVersion;
    }
    info->version = version;
    return kNvStatusOk;
}
NvStatus GetDriverVersion(NvDisplay, NvDisplayDriverVersion* info) {
    return Answer("GetDisplayDriverVersion", info, g_fake->driver, kNvDisplayDriverVersionVer1);
}
NvStatus GetChipset(NvChipsetInfoV4* info) {
    const uint32_t version = info->version;
    if (NvStatus s = Injected("SYS_GetChipSetInfo", version)) {
        return s;
    }
    const size_t size = NvRecordSize(version);
    std::memcpy(info, &g_fake->chipset, size);
    info->version = version;
    return kNvStatusOk;
}
NvStatus GetFullName(NvPhysicalGpu gpu, NvShortString name) {
    g_fake->handlesSeen.push_back(gpu);
    if (NvStatus s = Injected("GPU_GetFullName")) {
        return s;
    }
    CopyString(name, g_fake->fullName);
    return kNvStatusOk;
}
NvStatus GetPciIds(NvPhysicalGpu, uint32_t* device, uint32_t* subSystem, uint32_t* revision,
                   uint32_t* ext) {
    if (NvStatus s = Injected("GPU_GetPCIIdentifiers")) {
        return s;
    }
    *device = (g_fake->extDeviceId << 16) | 0x10DE;
    *subSystem = 0x12345678;
    *revision = 0xA1;
    *ext = g_fake->extDeviceId;
    return kNvStatusOk;
}
NvStatus GetVbios(NvPhysicalGpu, NvShortString text) {
    if (NvStatus s = Injected("GPU_GetVbiosVersionString")) {
        return s;
    }
    CopyString(text, g_fake->vbios);
    return kNvStatusOk;
}
NvStatus GetClocks(NvPhysicalGpu gpu, NvClockFrequencies* clocks) {
    g_fake->handlesSeen.push_back(gpu);
    const uint32_t version = clocks->version;
    g_fake->clockReadVersions.push_back(version);
    if (NvStatus s = Injected("GPU_GetAllClockFrequencies", version)) {
        return s;
    }
    // Version 1 knows only the current clocks.
    const uint32_t type =
        version == kNvClockFrequenciesVer1 ? 0 : (clocks->clockTypeWord & kNvClockTypeMask);
    *clocks = g_fake->clocks[type];
    clocks->version = version;
    return kNvStatusOk;
}
NvStatus GetUtilization(NvPhysicalGpu gpu, NvDynamicPstatesInfoEx* info) {
    g_fake->handlesSeen.push_back(gpu);
    return Answer("GPU_GetDynamicPstatesInfoEx", info, g_fake->utilization,
                  kNvDynamicPstatesInfoExVer1);
}
NvStatus GetCurrentPstate(NvPhysicalGpu, int32_t* pstate) {
    if (NvStatus s = Injected("GPU_GetCurrentPstate")) {
        return s;
    }
    *pstate = g_fake->pstate;
    return kNvStatusOk;
}
NvStatus GetPstates(NvPhysicalGpu gpu, NvPstates20V2* info) {
    g_fake->handlesSeen.push_back(gpu);
    const uint32_t version = info->version;
    g_fake->pstateReadVersions.push_back(version);
    if (NvStatus s = Injected("GPU_GetPstates20", version)) {
        return s;
    }
    if (version == kNvPstates20Ver1) {
        std::memcpy(info, &g_fake->pstates, sizeof(NvPstates20V1));
    } else if (version == kNvPstates20Ver2 || version == kNvPstates20Ver3) {
        *info = g_fake->pstates;
    } else {
        return kNvStatusIncompatibleVersion;
    }
    info->version = version;
    return kNvStatusOk;
}
NvStatus SetPstates(NvPhysicalGpu, const NvPstates20V2* info) {
    NvPstates20V2 copy = {};
    std::memcpy(&copy, info, NvRecordSize(info->version));
    g_fake->pstateWrites.push_back(copy);
    if (NvStatus s = Injected("GPU_SetPstates20", info->version)) {
        return s;
    }
    // Offsets land in P-state 0 at the clock entry of the same domain.
    for (uint32_t c = 0; c < copy.numClocks; ++c) {
        const NvPstate20Clock& in = copy.pstates[0].clocks[c];
        for (NvPstate20Clock& have : g_fake->pstates.pstates[0].clocks) {
            if (have.domainId == in.domainId) {
                have.freqDeltaKHz.value = in.freqDeltaKHz.value;
                break;
            }
        }
    }
    return kNvStatusOk;
}
NvStatus GetThermal(NvPhysicalGpu gpu, uint32_t, NvThermalSettingsV2* settings) {
    g_fake->handlesSeen.push_back(gpu);
    return Answer("GPU_GetThermalSettings", settings, g_fake->thermal, kNvThermalSettingsVer2);
}
NvStatus GetTach(NvPhysicalGpu, uint32_t* rpm) {
    if (NvStatus s = Injected("GPU_GetTachReading")) {
        return s;
    }
    *rpm = g_fake->tachRpm;
    return kNvStatusOk;
}
NvStatus ThermalGetStatus(NvPhysicalGpu, NvThermalPoliciesStatusV2* status) {
    return Answer("GPU_ClientThermalPoliciesGetStatus", status, g_fake->thermalStatus,
                  kNvThermalPoliciesStatusVer2);
}
NvStatus ThermalSetStatus(NvPhysicalGpu, const NvThermalPoliciesStatusV2* status) {
    g_fake->thermalWrites.push_back(*status);
    return Injected("GPU_ClientThermalPoliciesSetStatus");
}
NvStatus I2cWrite(NvPhysicalGpu, NvI2cInfoV3* info) {
    g_fake->i2cWrites.push_back(*info);
    if (NvStatus s = Injected("I2CWrite")) {
        return s;
    }
    g_fake->i2cBytes.emplace_back(info->data, info->data + info->size);
    return kNvStatusOk;
}
NvStatus I2cWriteEx(NvPhysicalGpu, NvI2cInfoV3* info, uint32_t* unknown) {
    g_fake->i2cExWrites.push_back(*info);
    if (*unknown != 0) {
        return kNvStatusInvalidArgument;
    }
    if (NvStatus s = Injected("I2CWriteEx")) {
        return s;
    }
    g_fake->i2cBytes.emplace_back(info->data, info->data + info->size);
    return kNvStatusOk;
}
NvStatus GetMemoryType(NvPhysicalGpu, uint32_t* type) {
    if (NvStatus s = Injected("GPU_GetRamType")) {
        return s;
    }
    *type = g_fake->memoryType;
    return kNvStatusOk;
}
NvStatus GetBusWidth(NvPhysicalGpu, uint32_t* bits) {
    if (NvStatus s = Injected("GPU_GetBusWidth")) {
        return s;
    }
    *bits = g_fake->busWidth;
    return kNvStatusOk;
}
NvStatus GetVoltageDomains(NvPhysicalGpu, NvVoltageDomainsStatus* status) {
    return Answer("GPU_GetVoltageDomainsStatus", status, g_fake->voltageDomains,
                  kNvVoltageDomainsStatusVer1);
}
NvStatus GetCooler(NvPhysicalGpu gpu, uint32_t target, NvCoolerSettingsV4* settings) {
    g_fake->handlesSeen.push_back(gpu);
    const uint32_t version = settings->version;
    g_fake->coolerReadVersions.push_back(version);
    g_fake->coolerTargets.push_back(target);
    if (NvStatus s = Injected("GPU_GetCoolerSettings", version)) {
        return s;
    }
    if (version == kNvCoolerSettingsVer4) {
        *settings = g_fake->cooler;
    } else if (version == kNvCoolerSettingsVer1 || version == kNvCoolerSettingsVer2) {
        std::memcpy(settings, &g_fake->coolerOlder, NvRecordSize(version));
    } else {
        return kNvStatusIncompatibleVersion;
    }
    settings->version = version;
    return kNvStatusOk;
}
NvStatus SetCooler(NvPhysicalGpu, uint32_t target, const NvCoolerLevels* levels) {
    g_fake->coolerWrites.push_back(*levels);
    g_fake->coolerTargets.push_back(target);
    return Injected("GPU_SetCoolerLevels");
}
NvStatus TopologyInfo(NvPhysicalGpu, NvPowerTopologyInfo* info) {
    return Answer("GPU_PowerTopologyGetInfo", info, g_fake->topologyInfo, kNvPowerTopologyInfoVer1);
}
NvStatus TopologyStatus(NvPhysicalGpu, NvPowerTopologyStatus* status) {
    return Answer("GPU_PowerTopologyGetStatus", status, g_fake->topologyStatus,
                  kNvPowerTopologyStatusVer1);
}
NvStatus PowerInfo(NvPhysicalGpu, NvPowerPoliciesInfo* info) {
    return Answer("GPU_PowerPoliciesGetInfo", info, g_fake->powerInfo, kNvPowerPoliciesInfoVer1);
}
NvStatus PowerStatus(NvPhysicalGpu, NvPowerPoliciesStatus* status) {
    return Answer("GPU_PowerPoliciesGetStatus", status, g_fake->powerStatus,
                  kNvPowerPoliciesStatusVer1);
}
NvStatus PowerSet(NvPhysicalGpu, const NvPowerPoliciesStatus* status) {
    g_fake->powerWrites.push_back(*status);
    return Injected("GPU_PowerPoliciesSetStatus");
}
NvStatus ThermalInfo(NvPhysicalGpu, NvThermalPoliciesInfoV2* info) {
    return Answer("GPU_ThermalPoliciesGetInfo", info, g_fake->thermalInfo,
                  kNvThermalPoliciesInfoVer2);
}
NvStatus ResetPrepare(NvPhysicalGpu, uint32_t mode) {
    ++g_fake->resetPrepareCalls;
    return mode == 1 ? kNvStatusOk : kNvStatusInvalidArgument;
}

}  // namespace

NvPhysicalGpu FakeNvapi::Handle(uint32_t i) {
    return reinterpret_cast<NvPhysicalGpu>(static_cast<uintptr_t>(0x1000 + 0x10 * i));
}

FakeNvapi::~FakeNvapi() {
    if (g_fake == this) {
        g_fake = nullptr;
    }
}

NvapiEntries FakeNvapi::Entries() {
    g_fake = this;
    NvapiEntries e;
    e.initialize = Initialize;
    e.unload = Unload;
    e.getErrorMessage = GetErrorMessage;
    e.enumPhysicalGpus = EnumPhysicalGpus;
    e.enumNvidiaDisplayHandle = EnumDisplay;
    e.getAssociatedDisplayOutputId = GetOutputId;
    e.getDisplayDriverMemoryInfo = GetMemoryInfo;
    e.getDisplayDriverVersion = GetDriverVersion;
    e.sysGetChipSetInfo = GetChipset;
    e.gpuGetFullName = GetFullName;
    e.gpuGetPciIdentifiers = GetPciIds;
    e.gpuGetVbiosVersionString = GetVbios;
    e.gpuGetAllClockFrequencies = GetClocks;
    e.gpuGetDynamicPstatesInfoEx = GetUtilization;
    e.gpuGetCurrentPstate = GetCurrentPstate;
    e.gpuGetPstates20 = GetPstates;
    e.gpuSetPstates20 = SetPstates;
    e.gpuGetThermalSettings = GetThermal;
    e.gpuGetTachReading = GetTach;
    e.gpuClientThermalPoliciesGetStatus = ThermalGetStatus;
    e.gpuClientThermalPoliciesSetStatus = ThermalSetStatus;
    e.i2cWrite = I2cWrite;
    e.gpuGetMemoryType = GetMemoryType;
    e.gpuGetMemoryBusWidth = GetBusWidth;
    e.gpuGetVoltageDomainsStatus = GetVoltageDomains;
    e.gpuGetCoolerSettings = GetCooler;
    e.gpuSetCoolerLevels = SetCooler;
    e.gpuPowerTopologyGetInfo = TopologyInfo;
    e.gpuPowerTopologyGetStatus = TopologyStatus;
    e.gpuPowerPoliciesGetInfo = PowerInfo;
    e.gpuPowerPoliciesGetStatus = PowerStatus;
    e.gpuPowerPoliciesSetStatus = PowerSet;
    e.gpuThermalPoliciesGetInfo = ThermalInfo;
    e.i2cWriteEx = I2cWriteEx;
    e.gpuResetPrepare = ResetPrepare;
    return e;
}

void FakeNvapi::SetUpTypicalCard() {
    thermal.count = 1;
    thermal.sensor[0] = {1, 0, 127, 55, kNvThermalTargetGpu};

    clocks[kNvClockTypeCurrent].domain[kNvClockDomainGraphics] = {1, 1759500};
    clocks[kNvClockTypeCurrent].domain[kNvClockDomainMemory] = {1, 4004999};
    clocks[kNvClockTypeCurrent].domain[kNvClockDomainProcessor] = {1, 3519000};
    clocks[kNvClockTypeBase].domain[kNvClockDomainGraphics] = {1, 1506000};
    clocks[kNvClockTypeBase].domain[kNvClockDomainMemory] = {1, 4004000};

    utilization.utilization[kNvUtilizationGpu] = {1, 87};
    utilization.utilization[kNvUtilizationFrameBuffer] = {1, 41};

    voltageDomains.count = 1;
    voltageDomains.entry[0] = {kNvVoltageDomainCore, 1043000};

    pstates.flags = kNvPstates20Editable;
    pstates.numPstates = 1;
    pstates.numClocks = 2;
    pstates.numBaseVoltages = 1;
    NvPstate20Entry& p0 = pstates.pstates[0];
    p0.pstateId = 0;
    p0.clocks[0].domainId = kNvClockDomainGraphics;
    p0.clocks[0].typeId = kNvPstateClockRange;
    p0.clocks[0].freqDeltaKHz = {0, -200000, 1200000};
    p0.clocks[0].data.range = {139000, 1911000, 0, 0, 1093000};
    p0.clocks[1].domainId = kNvClockDomainMemory;
    p0.clocks[1].typeId = kNvPstateClockSingle;
    p0.clocks[1].freqDeltaKHz = {0, -1000000, 1000500};
    p0.clocks[1].data.single.freqKHz = 4004500;
    p0.baseVoltages[0] = {kNvVoltageDomainCore, 0, 850000, {0, -50000, 150000}};
    pstates.overVoltage.count = 1;
    pstates.overVoltage.voltages[0] = {kNvVoltageDomainCore, 0, 0, {25000, 0, 100000}};

    memory.dedicatedVideoMemoryKB = 6 * 1024 * 1024;
    memory.availableDedicatedVideoMemoryKB = 6 * 1024 * 1024 - 1000;
    memory.curAvailableDedicatedVideoMemoryKB = 5 * 1024 * 1024;

    topologyInfo.supported = 1;
    topologyInfo.count = 1;
    topologyInfo.channelId[0] = 0;
    topologyStatus.count = 1;
    topologyStatus.entries[0] = {0, 0, 73500, 0};

    powerInfo.supported = 1;
    powerInfo.count = 1;
    powerInfo.entries[0] = {};
    powerInfo.entries[0].policyId = 0;
    powerInfo.entries[0].channel = 0;
    powerInfo.entries[0].minPcm = 50000;
    powerInfo.entries[0].defaultPcm = 100000;
    powerInfo.entries[0].maxPcm = 120000;
    powerStatus.count = 1;
    powerStatus.entries[0] = {0, 0, 110000, 0};

    thermalInfo.flags = kNvThermalPoliciesSupported;
    thermalInfo.count = 1;
    thermalInfo.entries[0] = {1, 0, 60 * 256, 83 * 256, 92 * 256, 0};
    thermalStatus.count = 1;
    thermalStatus.entries[0] = {1, 83 * 256, 0, {}};

    cooler.count = 1;
    cooler.cooler[0] = {};
    cooler.cooler[0].defaultMinLevel = 30;
    cooler.cooler[0].defaultMaxLevel = 100;
    cooler.cooler[0].currentLevel = 45;
    cooler.cooler[0].defaultPolicy = kNvCoolerPolicyManual;  // a driver that reports "manual"
    cooler.cooler[0].currentPolicy = kNvCoolerPolicyDefault;
    tachRpm = 1350;

    driver.driverVersion = 41142;
    chipset.vendorId = 0x8086;
    std::strcpy(chipset.vendorName, "Intel");
    std::strcpy(chipset.chipsetName, "Host Bridge");
}
