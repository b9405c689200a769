#include "SimInterface.h"

#include <mutex>

#include "SimHost.h"
#include "gpu/NvapiEntries.h"

namespace velmora::sim {
using namespace nvapi;
namespace {

struct Binding {
    std::recursive_mutex lock;
    Simulator* sim = nullptr;
    SimHost* host = nullptr;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

template <typename F>
NvStatus Call(F&& f) {
    Binding& b = TheBinding();
    std::lock_guard<std::recursive_mutex> guard(b.lock);
    if (b.sim == nullptr) return kNvStatusLibraryNotFound;
    if (b.host) b.host->BeforeCall();
    NvStatus st = f(*b.sim);
    if (b.host) b.host->AfterCall();
    return st;
}

// Entry points with the driver's signatures.
NvStatus VELMORA_NVAPI_CALL Initialize() {
    return Call([](Simulator& s) { return s.Initialize(); });
}
NvStatus VELMORA_NVAPI_CALL Unload() {
    return Call([](Simulator& s) { return s.Unload(); });
}
NvStatus VELMORA_NVAPI_CALL GetErrorMessage(NvStatus status, NvShortString text) {
    return Call([&](Simulator& s) { return s.GetErrorMessage(status, text); });
}
NvStatus VELMORA_NVAPI_CALL EnumPhysicalGPUs(NvPhysicalGpu handles[kNvMaxPhysicalGpus],
                                             uint32_t* count) {
    return Call([&](Simulator& s) { return s.EnumPhysicalGPUs(handles, count); });
}
NvStatus VELMORA_NVAPI_CALL EnumNvidiaDisplayHandle(uint32_t index, NvDisplay* display) {
    return Call([&](Simulator& s) { return s.EnumNvidiaDisplayHandle(index, display); });
}
NvStatus VELMORA_NVAPI_CALL GetAssociatedDisplayOutputId(NvDisplay display, uint32_t* outputId) {
    return Call([&](Simulator& s) { return s.GetAssociatedDisplayOutputId(display, outputId); });
}
NvStatus VELMORA_NVAPI_CALL GetDisplayDriverMemoryInfo(NvDisplay display, NvMemoryInfoV3* info) {
    return Call([&](Simulator& s) { return s.GetDisplayDriverMemoryInfo(display, info); });
}
NvStatus VELMORA_NVAPI_CALL GetDisplayDriverVersion(NvDisplay display,
                                                    NvDisplayDriverVersion* info) {
    return Call([&](Simulator& s) { return s.GetDisplayDriverVersion(display, info); });
}
NvStatus VELMORA_NVAPI_CALL SysGetChipSetInfo(NvChipsetInfoV4* info) {
    return Call([&](Simulator& s) { return s.SysGetChipSetInfo(info); });
}
NvStatus VELMORA_NVAPI_CALL GetFullName(NvPhysicalGpu gpu, NvShortString name) {
    return Call([&](Simulator& s) { return s.GetFullName(gpu, name); });
}
NvStatus VELMORA_NVAPI_CALL GetPciIdentifiers(NvPhysicalGpu gpu, uint32_t* a, uint32_t* b,
                                              uint32_t* c, uint32_t* d) {
    return Call([&](Simulator& s) { return s.GetPciIdentifiers(gpu, a, b, c, d); });
}
NvStatus VELMORA_NVAPI_CALL GetVbiosVersionString(NvPhysicalGpu gpu, NvShortString text) {
    return Call([&](Simulator& s) { return s.GetVbiosVersionString(gpu, text); });
}
NvStatus VELMORA_NVAPI_CALL GetAllClockFrequencies(NvPhysicalGpu gpu, NvClockFrequencies* clocks) {
    return Call([&](Simulator& s) { return s.GetAllClockFrequencies(gpu, clocks); });
}
NvStatus VELMORA_NVAPI_CALL GetDynamicPstatesInfoEx(NvPhysicalGpu gpu,
                                                    NvDynamicPstatesInfoEx* info) {
    return Call([&](Simulator& s) { return s.GetDynamicPstatesInfoEx(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL GetCurrentPstate(NvPhysicalGpu gpu, int32_t* pstate) {
    return Call([&](Simulator& s) { return s.GetCurrentPstate(gpu, pstate); });
}
NvStatus VELMORA_NVAPI_CALL GetPstates20(NvPhysicalGpu gpu, NvPstates20V2* info) {
    return Call([&](Simulator& s) { return s.GetPstates20(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL SetPstates20(NvPhysicalGpu gpu, const NvPstates20V2* info) {
    return Call([&](Simulator& s) { return s.SetPstates20(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL GetThermalSettings(NvPhysicalGpu gpu, uint32_t index,
                                               NvThermalSettingsV2* t) {
    return Call([&](Simulator& s) { return s.GetThermalSettings(gpu, index, t); });
}
NvStatus VELMORA_NVAPI_CALL GetTachReading(NvPhysicalGpu gpu, uint32_t* rpm) {
    return Call([&](Simulator& s) { return s.GetTachReading(gpu, rpm); });
}
NvStatus VELMORA_NVAPI_CALL ThermalPoliciesGetStatus(NvPhysicalGpu gpu,
                                                     NvThermalPoliciesStatusV2* st) {
    return Call([&](Simulator& s) { return s.ThermalPoliciesGetStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL ThermalPoliciesSetStatus(NvPhysicalGpu gpu,
                                                     const NvThermalPoliciesStatusV2* st) {
    return Call([&](Simulator& s) { return s.ThermalPoliciesSetStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL I2cWrite(NvPhysicalGpu gpu, NvI2cInfoV3* info) {
    return Call([&](Simulator& s) { return s.I2cWrite(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL GetMemoryType(NvPhysicalGpu gpu, uint32_t* type) {
    return Call([&](Simulator& s) { return s.GetMemoryType(gpu, type); });
}
NvStatus VELMORA_NVAPI_CALL GetMemoryBusWidth(NvPhysicalGpu gpu, uint32_t* bits) {
    return Call([&](Simulator& s) { return s.GetMemoryBusWidth(gpu, bits); });
}
NvStatus VELMORA_NVAPI_CALL GetVoltageDomainsStatus(NvPhysicalGpu gpu, NvVoltageDomainsStatus* st) {
    return Call([&](Simulator& s) { return s.GetVoltageDomainsStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL GetCoolerSettings(NvPhysicalGpu gpu, uint32_t target,
                                              NvCoolerSettingsV4* c) {
    return Call([&](Simulator& s) { return s.GetCoolerSettings(gpu, target, c); });
}
NvStatus VELMORA_NVAPI_CALL SetCoolerLevels(NvPhysicalGpu gpu, uint32_t target,
                                            const NvCoolerLevels* l) {
    return Call([&](Simulator& s) { return s.SetCoolerLevels(gpu, target, l); });
}
NvStatus VELMORA_NVAPI_CALL PowerTopologyGetInfo(NvPhysicalGpu gpu, NvPowerTopologyInfo* info) {
    return Call([&](Simulator& s) { return s.PowerTopologyGetInfo(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL PowerTopologyGetStatus(NvPhysicalGpu gpu, NvPowerTopologyStatus* st) {
    return Call([&](Simulator& s) { return s.PowerTopologyGetStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL PowerPoliciesGetInfo(NvPhysicalGpu gpu, NvPowerPoliciesInfo* info) {
    return Call([&](Simulator& s) { return s.PowerPoliciesGetInfo(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL PowerPoliciesGetStatus(NvPhysicalGpu gpu, NvPowerPoliciesStatus* st) {
    return Call([&](Simulator& s) { return s.PowerPoliciesGetStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL PowerPoliciesSetStatus(NvPhysicalGpu gpu,
                                                   const NvPowerPoliciesStatus* st) {
    return Call([&](Simulator& s) { return s.PowerPoliciesSetStatus(gpu, st); });
}
NvStatus VELMORA_NVAPI_CALL ThermalPoliciesGetInfo(NvPhysicalGpu gpu,
                                                   NvThermalPoliciesInfoV2* info) {
    return Call([&](Simulator& s) { return s.ThermalPoliciesGetInfo(gpu, info); });
}
NvStatus VELMORA_NVAPI_CALL I2cWriteEx(NvPhysicalGpu gpu, NvI2cInfoV3* info, uint32_t* unknown) {
    return Call([&](Simulator& s) { return s.I2cWriteEx(gpu, info, unknown); });
}
NvStatus VELMORA_NVAPI_CALL ResetPrepare(NvPhysicalGpu gpu, uint32_t mode) {
    return Call([&](Simulator& s) { return s.ResetPrepare(gpu, mode); });
}

template <typename Fn>
void* Address(Fn fn) {
    // The driver hands out code addresses as void*.
    return reinterpret_cast<void*>(fn);
}

}  // namespace

void Bind(Simulator* sim, SimHost* host) {
    Binding& b = TheBinding();
    std::lock_guard<std::recursive_mutex> guard(b.lock);
    b.sim = sim;
    b.host = sim ? host : nullptr;
}

Simulator* Bound() {
    Binding& b = TheBinding();
    std::lock_guard<std::recursive_mutex> guard(b.lock);
    return b.sim;
}

ScopedBinding::ScopedBinding(Simulator& sim, SimHost* host) {
    Binding& b = TheBinding();
    std::lock_guard<std::recursive_mutex> guard(b.lock);
    previousSim_ = b.sim;
    previousHost_ = b.host;
    b.sim = &sim;
    b.host = host;
}

ScopedBinding::~ScopedBinding() {
    Bind(previousSim_, previousHost_);
}

void* QueryInterface(uint32_t interfaceId) {
    switch (interfaceId) {
        case id::kInitialize:
            return Address(&Initialize);
        case id::kUnload:
            return Address(&Unload);
        case id::kGetErrorMessage:
            return Address(&GetErrorMessage);
        case id::kEnumPhysicalGPUs:
            return Address(&EnumPhysicalGPUs);
        case id::kEnumNvidiaDisplayHandle:
            return Address(&EnumNvidiaDisplayHandle);
        case id::kGetAssociatedDisplayOutputId:
            return Address(&GetAssociatedDisplayOutputId);
        case id::kGetDisplayDriverMemoryInfo:
            return Address(&GetDisplayDriverMemoryInfo);
        case id::kGetDisplayDriverVersion:
            return Address(&GetDisplayDriverVersion);
        case id::kSysGetChipSetInfo:
            return Address(&SysGetChipSetInfo);
        case id::kGpuGetFullName:
            return Address(&GetFullName);
        case id::kGpuGetPciIdentifiers:
            return Address(&GetPciIdentifiers);
        case id::kGpuGetVbiosVersionString:
            return Address(&GetVbiosVersionString);
        case id::kGpuGetAllClockFrequencies:
            return Address(&GetAllClockFrequencies);
        case id::kGpuGetDynamicPstatesInfoEx:
            return Address(&GetDynamicPstatesInfoEx);
        case id::kGpuGetCurrentPstate:
            return Address(&GetCurrentPstate);
        case id::kGpuGetPstates20:
            return Address(&GetPstates20);
        case id::kGpuSetPstates20:
            return Address(&SetPstates20);
        case id::kGpuGetThermalSettings:
            return Address(&GetThermalSettings);
        case id::kGpuGetTachReading:
            return Address(&GetTachReading);
        case id::kGpuClientThermalPoliciesGetStatus:
            return Address(&ThermalPoliciesGetStatus);
        case id::kGpuClientThermalPoliciesSetStatus:
            return Address(&ThermalPoliciesSetStatus);
        case id::kI2cWrite:
            return Address(&I2cWrite);
        case id::kGpuGetMemoryType:
            return Address(&GetMemoryType);
        case id::kGpuGetMemoryBusWidth:
            return Address(&GetMemoryBusWidth);
        case id::kGpuGetVoltageDomainsStatus:
            return Address(&GetVoltageDomainsStatus);
        case id::kGpuGetCoolerSettings:
            return Address(&GetCoolerSettings);
        case id::kGpuSetCoolerLevels:
            return Address(&SetCoolerLevels);
        case id::kGpuPowerTopologyGetInfo:
            return Address(&PowerTopologyGetInfo);
        case id::kGpuPowerTopologyGetStatus:
            return Address(&PowerTopologyGetStatus);
        case id::kGpuPowerPoliciesGetInfo:
            return Address(&PowerPoliciesGetInfo);
        case id::kGpuPowerPoliciesGetStatus:
            return Address(&PowerPoliciesGetStatus);
        case id::kGpuPowerPoliciesSetStatus:
            return Address(&PowerPoliciesSetStatus);
        case id::kGpuThermalPoliciesGetInfo:
            return Address(&ThermalPoliciesGetInfo);
        case id::kI2cWriteEx:
            return Address(&I2cWriteEx);
        case id::kGpuResetPrepare:
            return Address(&ResetPrepare);
        default:
            return nullptr;
    }
}

}  // namespace velmora::sim
