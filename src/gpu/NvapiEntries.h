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
// The same record for one physical GPU (the display query answers for the GPU driving the
// display, which on a machine with several cards need not be the chosen one).
using NvGpuGetMemoryInfoFn = NvStatus(VELMORA_NVAPI_CALL*)(NvPhysicalGpu gpu, NvMemoryInfoV3* info);
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

// Every entry the program calls, once: table slot, function type, interface id and its value
// (the ids nvapi_QueryInterface answers to). The table, the ids, the resolution and the
// lookup by id below are all made from this list, so an entry cannot be added to one and
// missed in another.
#define VELMORA_NVAPI_ENTRY_LIST(X)                                                               \
    X(initialize, NvInitializeFn, kInitialize, 0x0150E828)                                        \
    X(unload, NvUnloadFn, kUnload, 0xD22BDD7E)                                                    \
    X(getErrorMessage, NvGetErrorMessageFn, kGetErrorMessage, 0x6C2D048C)                         \
    X(enumPhysicalGpus, NvEnumPhysicalGPUsFn, kEnumPhysicalGPUs, 0xE5AC921F)                      \
    X(enumNvidiaDisplayHandle, NvEnumNvidiaDisplayHandleFn, kEnumNvidiaDisplayHandle, 0x9ABDD40D) \
    X(getAssociatedDisplayOutputId, NvGetAssociatedDisplayOutputIdFn,                             \
      kGetAssociatedDisplayOutputId, 0xD995937E)                                                  \
    X(getDisplayDriverMemoryInfo, NvGetDisplayDriverMemoryInfoFn, kGetDisplayDriverMemoryInfo,    \
      0x774AA982)                                                                                 \
    X(getDisplayDriverVersion, NvGetDisplayDriverVersionFn, kGetDisplayDriverVersion, 0xF951A4D1) \
    X(sysGetChipSetInfo, NvSysGetChipSetInfoFn, kSysGetChipSetInfo, 0x53DABBCA)                   \
    X(gpuGetFullName, NvGpuGetFullNameFn, kGpuGetFullName, 0xCEEE8E9F)                            \
    X(gpuGetPciIdentifiers, NvGpuGetPciIdentifiersFn, kGpuGetPciIdentifiers, 0x2DDFB66E)          \
    X(gpuGetVbiosVersionString, NvGpuGetVbiosVersionStringFn, kGpuGetVbiosVersionString,          \
      0xA561FD7D)                                                                                 \
    X(gpuGetAllClockFrequencies, NvGpuGetAllClockFrequenciesFn, kGpuGetAllClockFrequencies,       \
      0xDCB616C3)                                                                                 \
    X(gpuGetDynamicPstatesInfoEx, NvGpuGetDynamicPstatesInfoExFn, kGpuGetDynamicPstatesInfoEx,    \
      0x60DED2ED)                                                                                 \
    X(gpuGetCurrentPstate, NvGpuGetCurrentPstateFn, kGpuGetCurrentPstate, 0x927DA4F6)             \
    X(gpuGetPstates20, NvGpuGetPstates20Fn, kGpuGetPstates20, 0x6FF81213)                         \
    X(gpuSetPstates20, NvGpuSetPstates20Fn, kGpuSetPstates20, 0x0F4DAE6B)                         \
    X(gpuGetThermalSettings, NvGpuGetThermalSettingsFn, kGpuGetThermalSettings, 0xE3640A56)       \
    X(gpuGetTachReading, NvGpuGetTachReadingFn, kGpuGetTachReading, 0x5F608315)                   \
    X(gpuClientThermalPoliciesGetStatus, NvGpuThermalPoliciesGetStatusFn,                         \
      kGpuClientThermalPoliciesGetStatus, 0xE9C425A1)                                             \
    X(gpuClientThermalPoliciesSetStatus, NvGpuThermalPoliciesSetStatusFn,                         \
      kGpuClientThermalPoliciesSetStatus, 0x34C0B13D)                                             \
    X(i2cWrite, NvI2cWriteFn, kI2cWrite, 0xE812EB07)                                              \
    X(gpuGetMemoryType, NvGpuGetMemoryTypeFn, kGpuGetMemoryType, 0x57F7CAAC)                      \
    X(gpuGetMemoryBusWidth, NvGpuGetMemoryBusWidthFn, kGpuGetMemoryBusWidth, 0x11104158)          \
    X(gpuGetVoltageDomainsStatus, NvGpuGetVoltageDomainsStatusFn, kGpuGetVoltageDomainsStatus,    \
      0xC16C7E2C)                                                                                 \
    X(gpuGetCoolerSettings, NvGpuGetCoolerSettingsFn, kGpuGetCoolerSettings, 0xDA141340)          \
    X(gpuSetCoolerLevels, NvGpuSetCoolerLevelsFn, kGpuSetCoolerLevels, 0x891FA0AE)                \
    X(gpuPowerTopologyGetInfo, NvGpuPowerTopologyGetInfoFn, kGpuPowerTopologyGetInfo, 0xA4DFD3F2) \
    X(gpuPowerTopologyGetStatus, NvGpuPowerTopologyGetStatusFn, kGpuPowerTopologyGetStatus,       \
      0xEDCF624E)                                                                                 \
    X(gpuPowerPoliciesGetInfo, NvGpuPowerPoliciesGetInfoFn, kGpuPowerPoliciesGetInfo, 0x34206D86) \
    X(gpuPowerPoliciesGetStatus, NvGpuPowerPoliciesGetStatusFn, kGpuPowerPoliciesGetStatus,       \
      0x70916171)                                                                                 \
    X(gpuPowerPoliciesSetStatus, NvGpuPowerPoliciesSetStatusFn, kGpuPowerPoliciesSetStatus,       \
      0xAD95F5ED)                                                                                 \
    X(gpuThermalPoliciesGetInfo, NvGpuThermalPoliciesGetInfoFn, kGpuThermalPoliciesGetInfo,       \
      0x0D258BB5)                                                                                 \
    X(i2cWriteEx, NvI2cWriteExFn, kI2cWriteEx, 0x283AC65A)                                        \
    X(gpuResetPrepare, NvGpuResetPrepareFn, kGpuResetPrepare, 0xB23B70EE)                         \
    X(gpuGetMemoryInfo, NvGpuGetMemoryInfoFn, kGpuGetMemoryInfo, 0x07F9B368)

namespace id {
#define VELMORA_NVAPI_ID(slot, Fn, name, value) inline constexpr uint32_t name = value;
VELMORA_NVAPI_ENTRY_LIST(VELMORA_NVAPI_ID)
#undef VELMORA_NVAPI_ID
}  // namespace id

struct NvapiEntries {
#define VELMORA_NVAPI_SLOT(slot, Fn, name, value) NvEntry<Fn> slot;
    VELMORA_NVAPI_ENTRY_LIST(VELMORA_NVAPI_SLOT)
#undef VELMORA_NVAPI_SLOT
};

using NvQueryInterfaceFn = void* (*)(uint32_t interfaceId);

// Fills the whole table from the driver's query function, once. A null query function gives
// an empty table (every call then answers kNvStatusNoImplementation).
inline NvapiEntries ResolveNvapiEntries(NvQueryInterfaceFn queryInterface) {
    NvapiEntries e;
    if (queryInterface == nullptr) {
        return e;
    }
    // The driver hands out code addresses as void*; converting back is what it expects.
#define VELMORA_NVAPI_RESOLVE(slot, Fn, name, value) \
    e.slot = reinterpret_cast<Fn>(queryInterface(id::name));
    VELMORA_NVAPI_ENTRY_LIST(VELMORA_NVAPI_RESOLVE)
#undef VELMORA_NVAPI_RESOLVE
    return e;
}

// The other direction, for whoever plays the driver (the simulated card): the address a
// table holds for an interface id, null for an id not in the list or a slot left empty.
inline void* NvapiEntryAddress(const NvapiEntries& entries, uint32_t interfaceId) {
    switch (interfaceId) {
#define VELMORA_NVAPI_ADDRESS(slot, Fn, name, value) \
    case id::name:                                   \
        return reinterpret_cast<void*>(entries.slot.get());
        VELMORA_NVAPI_ENTRY_LIST(VELMORA_NVAPI_ADDRESS)
#undef VELMORA_NVAPI_ADDRESS
        default:
            return nullptr;
    }
}

}  // namespace nvapi
