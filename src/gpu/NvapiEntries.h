// The NVAPI entries this program calls, as typed function pointers, and the table that holds
// them. The table is filled once from nvapi_QueryInterface by ResolveNvapiEntries; nobody
// else asks the query function for anything. A slot the driver did not provide answers
// kNvStatusNoImplementation instead of crashing, so callers only ever test a status.
#pragma once

#include <cstdint>

#include "gpu/NvapiRecords.h"

namespace nvapi {

// 64-bit Windows has one calling convention; 32-bit NVAPI entries are __cdecl.
#if defined(_WIN32) && !defined(_WIN64)
#define VELMORA_NVAPI_CALL __cdecl
#else
#define VELMORA_NVAPI_CALL
#endif

using NvInitializeFn = NvStatus(VELMORA_NVAPI_CALL*)();
using NvUnloadFn = NvStatus(VELMORA_NVAPI_CALL*)();
using NvGetErrorMessageFn = NvStatus(VELMORA_NVAPI_CALL*)(NvStatus status, NvShortString text);
using NvEnumPhysicalGPUsFn =
    NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu handles[kNvMaxPhysicalGpus], uint32_t* count);
using NvEnumNvidiaDisplayHandleFn = NvStatus(VELMORA_NVAPI_CALL*)(uint32_t index,
                                                                  NvDisplay* display);
using NvGetAssociatedDisplayOutputIdFn = NvStatus(VELMORA_NVAPI_CALL*)(NvDisplay display,
                                                                       uint32_t* outputId);
// The memory-info record is version 3 (NvMemoryInfoV3) or 1 (NvMemoryInfoV1); the version
// word tells the driver which, so the pointer is to the common prefix.
using NvGetDisplayDriverMemoryInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvDisplay display,
                                                                     NvMemoryInfoV3* info);
using NvGetDisplayDriverVersionFn = NvStatus(VELMORA_NVAPI_CALL*)(NvDisplay display,
                                                                  NvDisplayDriverVersion* info);
// Chipset record of version 4, 3 or 2 behind the same pointer type.
using NvSysGetChipSetInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvChipsetInfoV4* info);
using NvGpuGetFullNameFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvShortString name);
using NvGpuGetPciIdentifiersFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                               uint32_t* deviceId,
                                                               uint32_t* subSystemId,
                                                               uint32_t* revisionId,
                                                               uint32_t* extDeviceId);
using NvGpuGetVbiosVersionStringFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                   NvShortString text);
using NvGpuGetAllClockFrequenciesFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                    NvClockFrequencies* clocks);
using NvGpuGetDynamicPstatesInfoExFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                     NvDynamicPstatesInfoEx* info);
using NvGpuGetCurrentPstateFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, int32_t* pstate);
// P-states 2.0: version 1 (7316 bytes) or 2/3 (7416 bytes); the pointer is to the larger
// form, whose first 7316 bytes are the version-1 record.
using NvGpuGetPstates20Fn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvPstates20V2* info);
using NvGpuSetPstates20Fn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                          const NvPstates20V2* info);
using NvGpuGetThermalSettingsFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                uint32_t sensorIndex,
                                                                NvThermalSettingsV2* settings);
using NvGpuGetTachReadingFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, uint32_t* rpm);
using NvGpuThermalPoliciesGetInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                    NvThermalPoliciesInfoV2* info);
using NvGpuThermalPoliciesGetStatusFn =
    NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvThermalPoliciesStatusV2* status);
using NvGpuThermalPoliciesSetStatusFn =
    NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, const NvThermalPoliciesStatusV2* status);
using NvI2cWriteFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvI2cInfoV3* info);
// The extended write takes one more out word, which the caller zeroes.
using NvI2cWriteExFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvI2cInfoV3* info,
                                                     uint32_t* unknown);
using NvGpuGetMemoryTypeFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, uint32_t* type);
using NvGpuGetMemoryBusWidthFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, uint32_t* bits);
using NvGpuGetVoltageDomainsStatusFn =
    NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvVoltageDomainsStatus* status);
// Cooler settings of version 4, 2 or 1 behind the same pointer type (the version-4 record is
// the largest); coolerTarget kNvCoolerTargetAll asks for every cooler.
using NvGpuGetCoolerSettingsFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                               uint32_t coolerTarget,
                                                               NvCoolerSettingsV4* settings);
using NvGpuSetCoolerLevelsFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                             uint32_t coolerTarget,
                                                             const NvCoolerLevels* levels);
using NvGpuPowerTopologyGetInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                  NvPowerTopologyInfo* info);
using NvGpuPowerTopologyGetStatusFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                    NvPowerTopologyStatus* status);
using NvGpuPowerPoliciesGetInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                  NvPowerPoliciesInfo* info);
using NvGpuPowerPoliciesGetStatusFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu,
                                                                    NvPowerPoliciesStatus* status);
using NvGpuPowerPoliciesSetStatusFn =
    NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, const NvPowerPoliciesStatus* status);
// Prepares the card for a return to defaults; the program passes 1.
using NvGpuResetPrepareFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, uint32_t mode);

// One table slot: the pointer the driver gave (or null) and a call that answers
// kNvStatusNoImplementation when it is null.
template <typename Fn>
class NvEntry;

template <typename... Args>
class NvEntry<NvStatus(VELMORA_NVAPI_CALL*)(Args...)> {
  public:
    using Pointer = NvStatus(VELMORA_NVAPI_CALL*)(Args...);

    NvEntry() = default;
    NvEntry(Pointer fn) : fn_(fn) {}  // implicit: a table is filled by plain assignment
    NvEntry& operator=(Pointer fn) {
        fn_ = fn;
        return *this;
    }

    bool present() const { return fn_ != nullptr; }
    Pointer get() const { return fn_; }
    NvStatus operator()(Args... args) const {
        return fn_ ? fn_(args...) : kNvStatusNoImplementation;
    }

  private:
    Pointer fn_ = nullptr;
};

struct NvapiEntries {
    NvEntry<NvInitializeFn> initialize;
    NvEntry<NvUnloadFn> unload;
    NvEntry<NvGetErrorMessageFn> getErrorMessage;
    NvEntry<NvEnumPhysicalGPUsFn> enumPhysicalGpus;
    NvEntry<NvEnumNvidiaDisplayHandleFn> enumNvidiaDisplayHandle;
    NvEntry<NvGetAssociatedDisplayOutputIdFn> getAssociatedDisplayOutputId;
    NvEntry<NvGetDisplayDriverMemoryInfoFn> getDisplayDriverMemoryInfo;
    NvEntry<NvGetDisplayDriverVersionFn> getDisplayDriverVersion;
    NvEntry<NvSysGetChipSetInfoFn> sysGetChipSetInfo;
    NvEntry<NvGpuGetFullNameFn> gpuGetFullName;
    NvEntry<NvGpuGetPciIdentifiersFn> gpuGetPciIdentifiers;
    NvEntry<NvGpuGetVbiosVersionStringFn> gpuGetVbiosVersionString;
    NvEntry<NvGpuGetAllClockFrequenciesFn> gpuGetAllClockFrequencies;
    NvEntry<NvGpuGetDynamicPstatesInfoExFn> gpuGetDynamicPstatesInfoEx;
    NvEntry<NvGpuGetCurrentPstateFn> gpuGetCurrentPstate;
    NvEntry<NvGpuGetPstates20Fn> gpuGetPstates20;
    NvEntry<NvGpuSetPstates20Fn> gpuSetPstates20;
    NvEntry<NvGpuGetThermalSettingsFn> gpuGetThermalSettings;
    NvEntry<NvGpuGetTachReadingFn> gpuGetTachReading;
    NvEntry<NvGpuThermalPoliciesGetStatusFn> gpuClientThermalPoliciesGetStatus;
    NvEntry<NvGpuThermalPoliciesSetStatusFn> gpuClientThermalPoliciesSetStatus;
    NvEntry<NvI2cWriteFn> i2cWrite;
    NvEntry<NvGpuGetMemoryTypeFn> gpuGetMemoryType;
    NvEntry<NvGpuGetMemoryBusWidthFn> gpuGetMemoryBusWidth;
    NvEntry<NvGpuGetVoltageDomainsStatusFn> gpuGetVoltageDomainsStatus;
    NvEntry<NvGpuGetCoolerSettingsFn> gpuGetCoolerSettings;
    NvEntry<NvGpuSetCoolerLevelsFn> gpuSetCoolerLevels;
    NvEntry<NvGpuPowerTopologyGetInfoFn> gpuPowerTopologyGetInfo;
    NvEntry<NvGpuPowerTopologyGetStatusFn> gpuPowerTopologyGetStatus;
    NvEntry<NvGpuPowerPoliciesGetInfoFn> gpuPowerPoliciesGetInfo;
    NvEntry<NvGpuPowerPoliciesGetStatusFn> gpuPowerPoliciesGetStatus;
    NvEntry<NvGpuPowerPoliciesSetStatusFn> gpuPowerPoliciesSetStatus;
    NvEntry<NvGpuThermalPoliciesGetInfoFn> gpuThermalPoliciesGetInfo;
    NvEntry<NvI2cWriteExFn> i2cWriteEx;
    NvEntry<NvGpuResetPrepareFn> gpuResetPrepare;
};

using NvQueryInterfaceFn = void* (*)(uint32_t interfaceId);

namespace detail {
template <typename Fn>
void Resolve(NvEntry<Fn>& slot, NvQueryInterfaceFn query, uint32_t interfaceId) {
    // The driver hands out code addresses as void*; converting back is what it expects.
    slot = reinterpret_cast<Fn>(query(interfaceId));
}
}  // namespace detail

// Fills the whole table from the driver's query function, once. A null query function gives
// an empty table (every call then answers kNvStatusNoImplementation).
inline NvapiEntries ResolveNvapiEntries(NvQueryInterfaceFn queryInterface) {
    NvapiEntries e;
    if (queryInterface == nullptr) {
        return e;
    }
    using detail::Resolve;
    Resolve(e.initialize, queryInterface, id::kInitialize);
    Resolve(e.unload, queryInterface, id::kUnload);
    Resolve(e.getErrorMessage, queryInterface, id::kGetErrorMessage);
    Resolve(e.enumPhysicalGpus, queryInterface, id::kEnumPhysicalGPUs);
    Resolve(e.enumNvidiaDisplayHandle, queryInterface, id::kEnumNvidiaDisplayHandle);
    Resolve(e.getAssociatedDisplayOutputId, queryInterface, id::kGetAssociatedDisplayOutputId);
    Resolve(e.getDisplayDriverMemoryInfo, queryInterface, id::kGetDisplayDriverMemoryInfo);
    Resolve(e.getDisplayDriverVersion, queryInterface, id::kGetDisplayDriverVersion);
    Resolve(e.sysGetChipSetInfo, queryInterface, id::kSysGetChipSetInfo);
    Resolve(e.gpuGetFullName, queryInterface, id::kGpuGetFullName);
    Resolve(e.gpuGetPciIdentifiers, queryInterface, id::kGpuGetPciIdentifiers);
    Resolve(e.gpuGetVbiosVersionString, queryInterface, id::kGpuGetVbiosVersionString);
    Resolve(e.gpuGetAllClockFrequencies, queryInterface, id::kGpuGetAllClockFrequencies);
    Resolve(e.gpuGetDynamicPstatesInfoEx, queryInterface, id::kGpuGetDynamicPstatesInfoEx);
    Resolve(e.gpuGetCurrentPstate, queryInterface, id::kGpuGetCurrentPstate);
    Resolve(e.gpuGetPstates20, queryInterface, id::kGpuGetPstates20);
    Resolve(e.gpuSetPstates20, queryInterface, id::kGpuSetPstates20);
    Resolve(e.gpuGetThermalSettings, queryInterface, id::kGpuGetThermalSettings);
    Resolve(e.gpuGetTachReading, queryInterface, id::kGpuGetTachReading);
    Resolve(e.gpuClientThermalPoliciesGetStatus, queryInterface,
            id::kGpuClientThermalPoliciesGetStatus);
    Resolve(e.gpuClientThermalPoliciesSetStatus, queryInterface,
            id::kGpuClientThermalPoliciesSetStatus);
    Resolve(e.i2cWrite, queryInterface, id::kI2cWrite);
    Resolve(e.gpuGetMemoryType, queryInterface, id::kGpuGetMemoryType);
    Resolve(e.gpuGetMemoryBusWidth, queryInterface, id::kGpuGetMemoryBusWidth);
    Resolve(e.gpuGetVoltageDomainsStatus, queryInterface, id::kGpuGetVoltageDomainsStatus);
    Resolve(e.gpuGetCoolerSettings, queryInterface, id::kGpuGetCoolerSettings);
    Resolve(e.gpuSetCoolerLevels, queryInterface, id::kGpuSetCoolerLevels);
    Resolve(e.gpuPowerTopologyGetInfo, queryInterface, id::kGpuPowerTopologyGetInfo);
    Resolve(e.gpuPowerTopologyGetStatus, queryInterface, id::kGpuPowerTopologyGetStatus);
    Resolve(e.gpuPowerPoliciesGetInfo, queryInterface, id::kGpuPowerPoliciesGetInfo);
    Resolve(e.gpuPowerPoliciesGetStatus, queryInterface, id::kGpuPowerPoliciesGetStatus);
    Resolve(e.gpuPowerPoliciesSetStatus, queryInterface, id::kGpuPowerPoliciesSetStatus);
    Resolve(e.gpuThermalPoliciesGetInfo, queryInterface, id::kGpuThermalPoliciesGetInfo);
    Resolve(e.i2cWriteEx, queryInterface, id::kI2cWriteEx);
    Resolve(e.gpuResetPrepare, queryInterface, id::kGpuResetPrepare);
    return e;
}

}  // namespace nvapi
