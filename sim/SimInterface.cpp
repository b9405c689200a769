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

// An entry point with the driver's signature Fn that calls Simulator::*Method on the bound
// simulator.
template <auto Method, typename Fn>
struct Forward;

template <auto Method, typename... Args>
struct Forward<Method, NvStatus(VELMORA_NVAPI_CALL*)(Args...)> {
    static NvStatus VELMORA_NVAPI_CALL Entry(Args... args) {
        return Call([&](Simulator& s) { return (s.*Method)(args...); });
    }
};

template <auto Method, typename Fn>
void Route(NvEntry<Fn>& slot) {
    slot = &Forward<Method, Fn>::Entry;
}

// The table the simulated driver answers nvapi_QueryInterface from.
NvapiEntries MakeEntries() {
    NvapiEntries e;
    Route<&Simulator::Initialize>(e.initialize);
    Route<&Simulator::Unload>(e.unload);
    Route<&Simulator::GetErrorMessage>(e.getErrorMessage);
    Route<&Simulator::EnumPhysicalGPUs>(e.enumPhysicalGpus);
    Route<&Simulator::EnumNvidiaDisplayHandle>(e.enumNvidiaDisplayHandle);
    Route<&Simulator::GetAssociatedDisplayOutputId>(e.getAssociatedDisplayOutputId);
    Route<&Simulator::GetDisplayDriverMemoryInfo>(e.getDisplayDriverMemoryInfo);
    Route<&Simulator::GpuGetMemoryInfo>(e.gpuGetMemoryInfo);
    Route<&Simulator::GetDisplayDriverVersion>(e.getDisplayDriverVersion);
    Route<&Simulator::SysGetChipSetInfo>(e.sysGetChipSetInfo);
    Route<&Simulator::GetFullName>(e.gpuGetFullName);
    Route<&Simulator::GetPciIdentifiers>(e.gpuGetPciIdentifiers);
    Route<&Simulator::GetVbiosVersionString>(e.gpuGetVbiosVersionString);
    Route<&Simulator::GetAllClockFrequencies>(e.gpuGetAllClockFrequencies);
    Route<&Simulator::GetDynamicPstatesInfoEx>(e.gpuGetDynamicPstatesInfoEx);
    Route<&Simulator::GetCurrentPstate>(e.gpuGetCurrentPstate);
    Route<&Simulator::GetPstates20>(e.gpuGetPstates20);
    Route<&Simulator::SetPstates20>(e.gpuSetPstates20);
    Route<&Simulator::GetThermalSettings>(e.gpuGetThermalSettings);
    Route<&Simulator::GetTachReading>(e.gpuGetTachReading);
    Route<&Simulator::ThermalPoliciesGetStatus>(e.gpuClientThermalPoliciesGetStatus);
    Route<&Simulator::ThermalPoliciesSetStatus>(e.gpuClientThermalPoliciesSetStatus);
    Route<&Simulator::I2cWrite>(e.i2cWrite);
    Route<&Simulator::GetMemoryType>(e.gpuGetMemoryType);
    Route<&Simulator::GetMemoryBusWidth>(e.gpuGetMemoryBusWidth);
    Route<&Simulator::GetVoltageDomainsStatus>(e.gpuGetVoltageDomainsStatus);
    Route<&Simulator::GetCoolerSettings>(e.gpuGetCoolerSettings);
    Route<&Simulator::SetCoolerLevels>(e.gpuSetCoolerLevels);
    Route<&Simulator::PowerTopologyGetInfo>(e.gpuPowerTopologyGetInfo);
    Route<&Simulator::PowerTopologyGetStatus>(e.gpuPowerTopologyGetStatus);
    Route<&Simulator::PowerPoliciesGetInfo>(e.gpuPowerPoliciesGetInfo);
    Route<&Simulator::PowerPoliciesGetStatus>(e.gpuPowerPoliciesGetStatus);
    Route<&Simulator::PowerPoliciesSetStatus>(e.gpuPowerPoliciesSetStatus);
    Route<&Simulator::ThermalPoliciesGetInfo>(e.gpuThermalPoliciesGetInfo);
    Route<&Simulator::I2cWriteEx>(e.i2cWriteEx);
    Route<&Simulator::ResetPrepare>(e.gpuResetPrepare);
    return e;
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
    static const NvapiEntries entries = MakeEntries();
    return NvapiEntryAddress(entries, interfaceId);
}

}  // namespace velmora::sim
