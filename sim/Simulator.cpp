#include "Simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace velmora::sim {
using namespace nvapi;
namespace {

constexpr uint32_t kNvidiaVendorId = 0x10DE;
constexpr uint32_t kMaxI2cBytes = 4096;  // the driver's limit for one transaction
constexpr uint32_t kThermalTargetAll = 15;
constexpr uint32_t kThermalPolicyId = 1;
constexpr uint32_t kPowerPolicyId = 0;
constexpr uint32_t kResetPrepareMode = 1;
constexpr int32_t kThermalSensorDefaultMinC = 0;
constexpr int32_t kThermalSensorDefaultMaxC = 127;
constexpr uint32_t kThermalControllerGpuInternal = 1;
constexpr uint32_t kCoolerTypeFan = 1;
constexpr uint32_t kCoolerControllerInternal = 2;
constexpr uint32_t kCoolerControlVariable = 1;
constexpr uint32_t kOutputIdBase = 0x100;

bool Accepts(uint32_t versionWord, std::initializer_list<uint32_t> words) {
    return std::find(words.begin(), words.end(), versionWord) != words.end();
}

void CopyString(char* out, const std::string& text) {
    std::snprintf(out, kNvShortStringSize, "%s", text.c_str());
}

const char* StatusName(int32_t status) {
    switch (status) {
        case 0:
            return "NVAPI_OK";
        case -1:
            return "NVAPI_ERROR";
        case -2:
            return "NVAPI_LIBRARY_NOT_FOUND";
        case -3:
            return "NVAPI_NO_IMPLEMENTATION";
        case -4:
            return "NVAPI_API_NOT_INITIALIZED";
        case -5:
            return "NVAPI_INVALID_ARGUMENT";
        case -6:
            return "NVAPI_NVIDIA_DEVICE_NOT_FOUND";
        case -7:
            return "NVAPI_END_ENUMERATION";
        case -9:
            return "NVAPI_INCOMPATIBLE_STRUCT_VERSION";
        case -10:
            return "NVAPI_HANDLE_INVALIDATED";
        case -101:
            return "NVAPI_EXPECTED_PHYSICAL_GPU_HANDLE";
        default:
            return "NVAPI_UNKNOWN_ERROR";
    }
}

// A null record: the gate's own refusal first, else an invalid argument.
int32_t OrInvalid(int32_t gateStatus) {
    return gateStatus != kNvStatusOk ? gateStatus : kNvStatusInvalidArgument;
}

}  // namespace

Simulator::Simulator(const Scenario& scenario) {
    SetScenario(scenario);
}

void Simulator::SetScenario(const Scenario& scenario) {
    if (scenario.driverRestarts != scenario_.driverRestarts) {
        handleGeneration_ = scenario.driverRestarts % kHandleGenerations;
    }
    scenario_ = scenario;
    size_t n = scenario.gpus.size();
    for (size_t i = 0; i < std::min(n, gpus_.size()); ++i) gpus_[i].SetSpec(scenario.gpus[i]);
    gpus_.resize(std::min(gpus_.size(), n), GpuModel(GpuSpec{}));
    leds_.resize(gpus_.size());
    while (gpus_.size() < n) {
        gpus_.emplace_back(scenario.gpus[gpus_.size()]);
        leds_.emplace_back();
    }
    for (size_t i = 0; i < n; ++i) leds_[i].state().present = scenario.gpus[i].ledController;
}

bool Simulator::LoadScenarioText(std::string_view text, std::string* error) {
    Scenario s;
    if (!ParseScenario(text, s, error)) return false;
    SetScenario(s);
    return true;
}

void Simulator::Advance(double seconds) {
    if (!(seconds > 0.0)) return;
    for (GpuModel& g : gpus_) g.Advance(now_, seconds);
    now_ += seconds;
}

NvPhysicalGpu Simulator::GpuHandle(size_t i) const {
    const size_t token = handleGeneration_ * nvapi::kNvMaxPhysicalGpus + i;
    return reinterpret_cast<NvPhysicalGpu>(const_cast<char*>(&gpuTokens_.at(token)));
}

NvDisplay Simulator::DisplayHandle(size_t i) const {
    return reinterpret_cast<NvDisplay>(const_cast<char*>(&displayTokens_.at(i)));
}

int32_t Simulator::Gate(std::string_view entry, uint32_t version) const {
    if (!scenario_.driverPresent) return kNvStatusLibraryNotFound;
    if (initCount_ == 0 && entry != "Initialize" && entry != "GetErrorMessage" &&
        entry != "Unload") {
        return kNvStatusApiNotInitialized;
    }
    for (const InjectedFailure& f : scenario_.failures) {
        if (f.entry == entry && (f.version == 0 || f.version == NvRecordVersion(version)))
            return f.status;
    }
    return kNvStatusOk;
}

int32_t Simulator::GateGpu(std::string_view entry, NvPhysicalGpu gpu, size_t* index,
                           uint32_t version) const {
    if (!scenario_.driverPresent) return kNvStatusLibraryNotFound;
    if (initCount_ == 0) return kNvStatusApiNotInitialized;
    auto p = reinterpret_cast<const char*>(gpu);
    if (p < gpuTokens_.data() || p >= gpuTokens_.data() + gpuTokens_.size()) {
        return kNvStatusExpectedPhysicalGpuHandle;
    }
    const size_t token = static_cast<size_t>(p - gpuTokens_.data());
    const size_t i = token % nvapi::kNvMaxPhysicalGpus;
    // A handle from before a driver restart, or of a card the reloaded scenario no longer has.
    if (token / nvapi::kNvMaxPhysicalGpus != handleGeneration_) return kNvStatusHandleInvalidated;
    if (i >= gpus_.size()) return kNvStatusHandleInvalidated;
    *index = i;
    return Gate(entry, version);
}

int32_t Simulator::ResolveDisplay(NvDisplay display, size_t* index) const {
    if (display == nullptr) {
        *index = 0;
        return scenario_.displayCount > 0 ? kNvStatusOk : kNvStatusDeviceNotFound;
    }
    auto p = reinterpret_cast<const char*>(display);
    if (p < displayTokens_.data() || p >= displayTokens_.data() + scenario_.displayCount) {
        return kNvStatusInvalidArgument;
    }
    *index = static_cast<size_t>(p - displayTokens_.data());
    return kNvStatusOk;
}

// ---- Start-up and enumeration ----

int32_t Simulator::Initialize() {
    if (int32_t st = Gate("Initialize"); st != kNvStatusOk) return st;
    ++initCount_;
    return kNvStatusOk;
}

int32_t Simulator::Unload() {
    if (int32_t st = Gate("Unload"); st != kNvStatusOk) return st;
    if (initCount_ == 0) return kNvStatusApiNotInitialized;
    --initCount_;
    return kNvStatusOk;
}

int32_t Simulator::GetErrorMessage(int32_t status, char* text) {
    if (int32_t st = Gate("GetErrorMessage"); st != kNvStatusOk) return st;
    if (text == nullptr) return kNvStatusInvalidArgument;
    CopyString(text, StatusName(status));
    return kNvStatusOk;
}

int32_t Simulator::EnumPhysicalGPUs(NvPhysicalGpu* handles, uint32_t* count) {
    if (int32_t st = Gate("EnumPhysicalGPUs"); st != kNvStatusOk) return st;
    if (handles == nullptr || count == nullptr) return kNvStatusInvalidArgument;
    if (gpus_.empty()) return kNvStatusDeviceNotFound;
    for (size_t i = 0; i < kNvMaxPhysicalGpus; ++i)
        handles[i] = i < gpus_.size() ? GpuHandle(i) : nullptr;
    *count = static_cast<uint32_t>(gpus_.size());
    return kNvStatusOk;
}

int32_t Simulator::EnumNvidiaDisplayHandle(uint32_t index, NvDisplay* display) {
    if (int32_t st = Gate("EnumNvidiaDisplayHandle"); st != kNvStatusOk) return st;
    if (display == nullptr) return kNvStatusInvalidArgument;
    if (index >= scenario_.displayCount) return kNvStatusEndEnumeration;
    *display = DisplayHandle(index);
    return kNvStatusOk;
}

int32_t Simulator::GetAssociatedDisplayOutputId(NvDisplay display, uint32_t* outputId) {
    if (int32_t st = Gate("GetAssociatedDisplayOutputId"); st != kNvStatusOk) return st;
    size_t i = 0;
    if (outputId == nullptr) return kNvStatusInvalidArgument;
    if (int32_t st = ResolveDisplay(display, &i); st != kNvStatusOk) return st;
    *outputId = kOutputIdBase << i;
    return kNvStatusOk;
}

// ---- Driver-wide information ----

int32_t Simulator::GetDisplayDriverMemoryInfo(NvDisplay display, NvMemoryInfoV3* info) {
    if (info == nullptr) return OrInvalid(Gate("GetDisplayDriverMemoryInfo"));
    if (int32_t st = Gate("GetDisplayDriverMemoryInfo", info->version); st != kNvStatusOk)
        return st;
    size_t d = 0;
    if (int32_t st = ResolveDisplay(display, &d); st != kNvStatusOk) return st;
    if (gpus_.empty()) return kNvStatusDeviceNotFound;
    return FillMemoryInfo(gpus_[0], info);  // every display hangs off the first card
}

int32_t Simulator::GpuGetMemoryInfo(NvPhysicalGpu gpu, NvMemoryInfoV3* info) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetMemoryInfo", gpu, &i, info ? info->version : 0);
        st != kNvStatusOk) {
        return st;
    }
    if (info == nullptr) return kNvStatusInvalidArgument;
    return FillMemoryInfo(gpus_[i], info);
}

int32_t Simulator::FillMemoryInfo(const GpuModel& g, NvMemoryInfoV3* info) const {
    const bool v3 = info->version == kNvMemoryInfoVer3 && !scenario_.olderDriver;
    if (!v3 && info->version != kNvMemoryInfoVer1) return kNvStatusIncompatibleVersion;
    NvMemoryInfoV3 r{};
    r.version = info->version;
    r.dedicatedVideoMemoryKB = g.gpuSpec().memoryMB * 1024u;
    r.availableDedicatedVideoMemoryKB = r.dedicatedVideoMemoryKB;
    r.systemVideoMemoryKB = 0;
    r.sharedSystemMemoryKB = 8u * 1024 * 1024;
    r.curAvailableDedicatedVideoMemoryKB =
        r.dedicatedVideoMemoryKB - std::min(r.dedicatedVideoMemoryKB, g.MemoryUsedKB());
    std::memcpy(info, &r, v3 ? sizeof(NvMemoryInfoV3) : sizeof(NvMemoryInfoV1));
    return kNvStatusOk;
}

int32_t Simulator::GetDisplayDriverVersion(NvDisplay display, NvDisplayDriverVersion* info) {
    if (info == nullptr) return OrInvalid(Gate("GetDisplayDriverVersion"));
    if (int32_t st = Gate("GetDisplayDriverVersion", info->version); st != kNvStatusOk) return st;
    if (info->version != kNvDisplayDriverVersionVer1) return kNvStatusIncompatibleVersion;
    size_t d = 0;
    if (int32_t st = ResolveDisplay(display, &d); st != kNvStatusOk) return st;
    info->driverVersion = scenario_.driverVersion;
    info->buildChangelist = scenario_.buildChangelist;
    CopyString(info->buildBranch, scenario_.buildBranch);
    CopyString(info->adapter, gpus_.empty() ? std::string() : gpus_[0].gpuSpec().name);
    return kNvStatusOk;
}

int32_t Simulator::SysGetChipSetInfo(NvChipsetInfoV4* info) {
    if (info == nullptr) return OrInvalid(Gate("SYS_GetChipSetInfo"));
    if (int32_t st = Gate("SYS_GetChipSetInfo", info->version); st != kNvStatusOk) return st;
    uint32_t v = info->version;
    bool ok = v == kNvChipsetInfoVer2 ||
              (!scenario_.olderDriver && Accepts(v, {kNvChipsetInfoVer3, kNvChipsetInfoVer4}));
    if (!ok) return kNvStatusIncompatibleVersion;
    NvChipsetInfoV4 r{};
    r.version = v;
    r.vendorId = scenario_.chipsetVendorId;
    r.deviceId = scenario_.chipsetDeviceId;
    CopyString(r.vendorName, scenario_.chipsetVendorName);
    CopyString(r.chipsetName, scenario_.chipsetName);
    r.subSysVendorId = scenario_.chipsetVendorId;
    r.subSysDeviceId = scenario_.chipsetDeviceId;
    CopyString(r.subSysVendorName, scenario_.chipsetVendorName);
    r.hostBridgeVendorId = scenario_.chipsetVendorId;
    r.hostBridgeDeviceId = scenario_.chipsetDeviceId;
    std::memcpy(info, &r, NvRecordSize(v));
    return kNvStatusOk;
}

// ---- Per-card information ----

int32_t Simulator::GetFullName(NvPhysicalGpu gpu, char* name) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetFullName", gpu, &i); st != kNvStatusOk) return st;
    if (name == nullptr) return kNvStatusInvalidArgument;
    if (!gpus_[i].gpuSpec().nameReadable) return kNvStatusError;
    CopyString(name, gpus_[i].gpuSpec().name);
    return kNvStatusOk;
}

int32_t Simulator::GetPciIdentifiers(NvPhysicalGpu gpu, uint32_t* deviceId, uint32_t* subSystemId,
                                     uint32_t* revisionId, uint32_t* extDeviceId) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetPCIIdentifiers", gpu, &i); st != kNvStatusOk) return st;
    if (!deviceId || !subSystemId || !revisionId || !extDeviceId) return kNvStatusInvalidArgument;
    const GpuSpec& s = gpus_[i].gpuSpec();
    *deviceId = (s.deviceId << 16) | kNvidiaVendorId;
    *subSystemId = s.subSystemId;
    *revisionId = s.revisionId;
    *extDeviceId = s.deviceId;
    return kNvStatusOk;
}

int32_t Simulator::GetVbiosVersionString(NvPhysicalGpu gpu, char* text) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetVbiosVersionString", gpu, &i); st != kNvStatusOk) return st;
    if (text == nullptr) return kNvStatusInvalidArgument;
    CopyString(text, gpus_[i].gpuSpec().vbios);
    return kNvStatusOk;
}

int32_t Simulator::GetMemoryType(NvPhysicalGpu gpu, uint32_t* type) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetMemoryType", gpu, &i); st != kNvStatusOk) return st;
    if (type == nullptr) return kNvStatusInvalidArgument;
    *type = gpus_[i].gpuSpec().memoryType;
    return kNvStatusOk;
}

int32_t Simulator::GetMemoryBusWidth(NvPhysicalGpu gpu, uint32_t* bits) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetMemoryBusWidth", gpu, &i); st != kNvStatusOk) return st;
    if (bits == nullptr) return kNvStatusInvalidArgument;
    *bits = gpus_[i].gpuSpec().busWidthBits;
    return kNvStatusOk;
}

// ---- Readings ----

int32_t Simulator::GetAllClockFrequencies(NvPhysicalGpu gpu, NvClockFrequencies* clocks) {
    size_t i = 0;
    uint32_t v = clocks ? clocks->version : 0;
    if (int32_t st = GateGpu("GPU_GetAllClockFrequencies", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (clocks == nullptr) return kNvStatusInvalidArgument;
    bool v3 = v == kNvClockFrequenciesVer3 && !scenario_.olderDriver;
    if (!v3 && v != kNvClockFrequenciesVer1) return kNvStatusIncompatibleVersion;
    // Version 1 knows only the current clocks.
    uint32_t type = v3 ? (clocks->clockTypeWord & kNvClockTypeMask) : kNvClockTypeCurrent;
    if (type > kNvClockTypeBoost) return kNvStatusInvalidArgument;
    const GpuModel& g = gpus_[i];
    uint32_t graphics = 0, memory = 0;
    switch (type) {
        case kNvClockTypeCurrent:
            graphics = g.GpuClockKHz();
            memory = g.MemoryClockKHz();
            break;
        case kNvClockTypeBase:
            graphics = g.BaseGpuClockKHz();
            memory = g.BaseMemoryClockKHz();
            break;
        default:
            graphics = g.BoostGpuClockKHz();
            memory = g.BaseMemoryClockKHz();
            break;
    }
    uint32_t word = clocks->clockTypeWord;
    std::memset(clocks->domain, 0, sizeof(clocks->domain));
    clocks->clockTypeWord = word;
    clocks->domain[kNvClockDomainGraphics] = {1, graphics};
    clocks->domain[kNvClockDomainMemory] = {1, memory};
    clocks->domain[kNvClockDomainProcessor] = {1, graphics};
    return kNvStatusOk;
}

int32_t Simulator::GetDynamicPstatesInfoEx(NvPhysicalGpu gpu, NvDynamicPstatesInfoEx* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_GetDynamicPstatesInfoEx", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvDynamicPstatesInfoExVer1) return kNvStatusIncompatibleVersion;
    const GpuState& s = gpus_[i].state();
    info->flags = 1;  // dynamic P-states enabled
    std::memset(info->utilization, 0, sizeof(info->utilization));
    info->utilization[kNvUtilizationGpu] = {1, static_cast<uint32_t>(std::lround(s.loadPct))};
    info->utilization[kNvUtilizationFrameBuffer] = {
        1, static_cast<uint32_t>(std::lround(s.memoryLoadPct))};
    info->utilization[2] = {1, 0};  // video engine
    info->utilization[3] = {1, static_cast<uint32_t>(std::lround(s.loadPct * 0.1))};  // bus
    return kNvStatusOk;
}

int32_t Simulator::GetCurrentPstate(NvPhysicalGpu gpu, int32_t* pstate) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetCurrentPstate", gpu, &i); st != kNvStatusOk) return st;
    if (pstate == nullptr) return kNvStatusInvalidArgument;
    *pstate = gpus_[i].state().pstate;
    return kNvStatusOk;
}

int32_t Simulator::GetPstates20(NvPhysicalGpu gpu, NvPstates20V2* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_GetPstates20", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    bool large = !scenario_.olderDriver && Accepts(v, {kNvPstates20Ver2, kNvPstates20Ver3});
    if (!large && v != kNvPstates20Ver1) return kNvStatusIncompatibleVersion;
    const GpuModel& g = gpus_[i];
    const GpuSpec& sp = g.gpuSpec();
    const GpuState& s = g.state();
    NvPstates20V2 r{};
    r.version = v;
    r.flags = sp.pstatesEditable ? kNvPstates20Editable : 0;
    r.numPstates = 2;
    r.numClocks = 2;
    r.numBaseVoltages = 1;

    NvPstate20Entry& p0 = r.pstates[0];
    p0.pstateId = 0;
    p0.flags = sp.pstatesEditable ? 1 : 0;
    NvPstate20Clock& gc = p0.clocks[0];
    gc.domainId = kNvClockDomainGraphics;
    gc.typeId = kNvPstateClockRange;
    gc.flags = 1;
    gc.freqDeltaKHz = {s.gpuOffsetKHz, sp.gpuOffsetMinMHz * 1000, sp.gpuOffsetMaxMHz * 1000};
    gc.data.range.minFreqKHz =
        static_cast<uint32_t>(sp.idleClockMHz * 1000 + std::max(0, s.gpuOffsetKHz));
    gc.data.range.maxFreqKHz = g.BoostGpuClockKHz();
    gc.data.range.voltageDomainId = kNvVoltageDomainCore;
    gc.data.range.minVoltageUv = static_cast<uint32_t>(sp.idleVoltageUv);
    gc.data.range.maxVoltageUv = static_cast<uint32_t>(sp.topVoltageUv + s.overVoltageUv);
    NvPstate20Clock& mc = p0.clocks[1];
    mc.domainId = kNvClockDomainMemory;
    mc.typeId = kNvPstateClockSingle;
    mc.flags = 1;
    mc.freqDeltaKHz = {s.memoryOffsetKHz, sp.memoryOffsetMinMHz * 1000,
                       sp.memoryOffsetMaxMHz * 1000};
    mc.data.single.freqKHz = static_cast<uint32_t>(sp.memoryClockMHz * 1000 + s.memoryOffsetKHz);
    p0.baseVoltages[0] = {kNvVoltageDomainCore,
                          1,
                          static_cast<uint32_t>(sp.baseVoltageUv),
                          {s.voltageDeltaUv, -sp.baseVoltageUv, sp.voltageDeltaMaxUv}};

    // The idle state: fixed clocks, nothing to tune.
    NvPstate20Entry& p8 = r.pstates[1];
    p8.pstateId = 8;
    p8.clocks[0].domainId = kNvClockDomainGraphics;
    p8.clocks[0].typeId = kNvPstateClockSingle;
    p8.clocks[0].data.single.freqKHz = static_cast<uint32_t>(sp.idleClockMHz * 1000);
    p8.clocks[1].domainId = kNvClockDomainMemory;
    p8.clocks[1].typeId = kNvPstateClockSingle;
    p8.clocks[1].data.single.freqKHz = static_cast<uint32_t>(sp.idleMemoryClockMHz * 1000);
    p8.baseVoltages[0] = {
        kNvVoltageDomainCore, 0, static_cast<uint32_t>(sp.idleVoltageUv), {0, 0, 0}};

    if (large) {
        r.overVoltage.count = 1;
        r.overVoltage.voltages[0] = {kNvVoltageDomainCore,
                                     1,
                                     static_cast<uint32_t>(sp.topVoltageUv),
                                     {s.overVoltageUv, 0, sp.overVoltageMaxUv}};
    }
    std::memcpy(info, &r, NvRecordSize(v));
    return kNvStatusOk;
}

int32_t Simulator::SetPstates20(NvPhysicalGpu gpu, const NvPstates20V2* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_SetPstates20", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    bool large = !scenario_.olderDriver && Accepts(v, {kNvPstates20Ver2, kNvPstates20Ver3});
    if (!large && v != kNvPstates20Ver1) return kNvStatusIncompatibleVersion;
    GpuModel& g = gpus_[i];
    if (!g.gpuSpec().pstatesEditable) return kNvStatusError;
    if (info->numPstates > kNvMaxPstates20 || info->numClocks > kNvMaxPstate20Clocks ||
        info->numBaseVoltages > kNvMaxPstate20BaseVoltages ||
        (large && info->overVoltage.count > kNvMaxOverVoltages)) {
        return kNvStatusInvalidArgument;
    }
    // Check everything first, so a refused record changes nothing.
    for (uint32_t p = 0; p < info->numPstates; ++p) {
        const NvPstate20Entry& e = info->pstates[p];
        if (e.pstateId != 0) return kNvStatusInvalidArgument;  // only the 3D state is tunable
        for (uint32_t c = 0; c < info->numClocks; ++c) {
            if (int32_t st =
                    g.CheckClockOffset(e.clocks[c].domainId, e.clocks[c].freqDeltaKHz.value);
                st)
                return st;
        }
        for (uint32_t b = 0; b < info->numBaseVoltages; ++b) {
            if (e.baseVoltages[b].domainId != kNvVoltageDomainCore) return kNvStatusInvalidArgument;
            if (int32_t st = g.CheckVoltageDelta(e.baseVoltages[b].voltageDeltaUv.value); st)
                return st;
        }
    }
    uint32_t ovCount = large ? info->overVoltage.count : 0;
    for (uint32_t o = 0; o < ovCount; ++o) {
        const NvPstate20BaseVoltage& ov = info->overVoltage.voltages[o];
        if (ov.domainId != kNvVoltageDomainCore) return kNvStatusInvalidArgument;
        if (int32_t st = g.CheckOverVoltage(ov.voltageDeltaUv.value); st) return st;
    }
    for (uint32_t p = 0; p < info->numPstates; ++p) {
        const NvPstate20Entry& e = info->pstates[p];
        for (uint32_t c = 0; c < info->numClocks; ++c)
            g.SetClockOffset(e.clocks[c].domainId, e.clocks[c].freqDeltaKHz.value);
        for (uint32_t b = 0; b < info->numBaseVoltages; ++b)
            g.SetVoltageDelta(e.baseVoltages[b].voltageDeltaUv.value);
    }
    for (uint32_t o = 0; o < ovCount; ++o)
        g.SetOverVoltage(info->overVoltage.voltages[o].voltageDeltaUv.value);
    Advance(0.0);
    Changed();
    return kNvStatusOk;
}

int32_t Simulator::GetThermalSettings(NvPhysicalGpu gpu, uint32_t sensorIndex,
                                      NvThermalSettingsV2* settings) {
    size_t i = 0;
    uint32_t v = settings ? settings->version : 0;
    if (int32_t st = GateGpu("GPU_GetThermalSettings", gpu, &i, v); st != kNvStatusOk) return st;
    if (settings == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvThermalSettingsVer2) return kNvStatusIncompatibleVersion;
    const GpuModel& g = gpus_[i];
    // Two sensors: the GPU core and the board, which runs a little cooler.
    NvThermalSensor sensors[2] = {
        {static_cast<int32_t>(kThermalControllerGpuInternal), kThermalSensorDefaultMinC,
         kThermalSensorDefaultMaxC, g.TemperatureC(), kNvThermalTargetGpu},
        {static_cast<int32_t>(kThermalControllerGpuInternal), kThermalSensorDefaultMinC,
         kThermalSensorDefaultMaxC,
         static_cast<int32_t>(std::lround(g.gpuSpec().ambientC +
                                          (g.state().temperatureC - g.gpuSpec().ambientC) * 0.7)),
         8 /* board */},
    };
    std::memset(settings->sensor, 0, sizeof(settings->sensor));
    if (sensorIndex == kThermalTargetAll || sensorIndex == 0) {
        // Index 0 and "all" both list every sensor from the first on.
        settings->count = 2;
        settings->sensor[0] = sensors[0];
        settings->sensor[1] = sensors[1];
    } else if (sensorIndex == 1) {
        settings->count = 1;
        settings->sensor[0] = sensors[1];
    } else {
        return kNvStatusInvalidArgument;
    }
    return kNvStatusOk;
}

int32_t Simulator::GetTachReading(NvPhysicalGpu gpu, uint32_t* rpm) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_GetTachReading", gpu, &i); st != kNvStatusOk) return st;
    if (rpm == nullptr) return kNvStatusInvalidArgument;
    *rpm = gpus_[i].TachRpm();
    return kNvStatusOk;
}

int32_t Simulator::GetVoltageDomainsStatus(NvPhysicalGpu gpu, NvVoltageDomainsStatus* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_GetVoltageDomainsStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvVoltageDomainsStatusVer1) return kNvStatusIncompatibleVersion;
    status->flags = 0;
    status->count = 1;
    std::memset(status->entry, 0, sizeof(status->entry));
    status->entry[0] = {kNvVoltageDomainCore, gpus_[i].VoltageUv()};
    return kNvStatusOk;
}

// ---- Cooler ----

int32_t Simulator::GetCoolerSettings(NvPhysicalGpu gpu, uint32_t target,
                                     NvCoolerSettingsV4* settings) {
    size_t i = 0;
    uint32_t v = settings ? settings->version : 0;
    if (int32_t st = GateGpu("GPU_GetCoolerSettings", gpu, &i, v); st != kNvStatusOk) return st;
    if (settings == nullptr) return kNvStatusInvalidArgument;
    bool v4 = v == kNvCoolerSettingsVer4 && !scenario_.olderDriver;
    if (!v4 && !Accepts(v, {kNvCoolerSettingsVer1, kNvCoolerSettingsVer2}))
        return kNvStatusIncompatibleVersion;
    if (target != kNvCoolerTargetAll && target != 0) return kNvStatusInvalidArgument;
    const GpuModel& g = gpus_[i];
    const GpuSpec& sp = g.gpuSpec();
    NvCoolerEntryV1 e{};
    e.type = kCoolerTypeFan;
    e.controller = kCoolerControllerInternal;
    e.defaultMinLevel = static_cast<uint32_t>(sp.fanMinPct);
    e.defaultMaxLevel = static_cast<uint32_t>(sp.fanMaxPct);
    e.currentMinLevel = e.defaultMinLevel;
    e.currentMaxLevel = e.defaultMaxLevel;
    e.currentLevel = g.CoolerLevel();
    e.defaultPolicy = kCoolerPolicyAuto;
    e.currentPolicy = g.state().coolerPolicy;
    e.target = kNvCoolerTargetAll;
    e.controlType = kCoolerControlVariable;
    e.active = 1;
    if (v4) {
        NvCoolerSettingsV4 r{};
        r.version = v;
        r.count = 1;
        std::memcpy(&r.cooler[0], &e, sizeof(e));
        std::memcpy(settings, &r, sizeof(r));
    } else if (v == kNvCoolerSettingsVer2) {
        NvCoolerSettingsV2 r{};
        r.version = v;
        r.count = 1;
        r.cooler[0] = e;
        std::memcpy(settings, &r, sizeof(r));
    } else {
        NvCoolerSettingsV1 r{};
        r.version = v;
        r.count = 1;
        r.cooler[0] = e;
        std::memcpy(settings, &r, sizeof(r));
    }
    return kNvStatusOk;
}

int32_t Simulator::SetCoolerLevels(NvPhysicalGpu gpu, uint32_t target,
                                   const NvCoolerLevels* levels) {
    size_t i = 0;
    uint32_t v = levels ? levels->version : 0;
    if (int32_t st = GateGpu("GPU_SetCoolerLevels", gpu, &i, v); st != kNvStatusOk) return st;
    if (levels == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvCoolerLevelsVer1) return kNvStatusIncompatibleVersion;
    if (target != kNvCoolerTargetAll && target != 0) return kNvStatusInvalidArgument;
    const NvCoolerLevel& l = levels->levels[0];
    if (l.level > 100) return kNvStatusInvalidArgument;
    int32_t st = gpus_[i].SetCooler(static_cast<int32_t>(l.level), l.policy);
    if (st == kNvStatusOk) Changed();
    return st;
}

// ---- Power ----

int32_t Simulator::PowerTopologyGetInfo(NvPhysicalGpu gpu, NvPowerTopologyInfo* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_PowerTopologyGetInfo", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvPowerTopologyInfoVer1) return kNvStatusIncompatibleVersion;
    const GpuSpec& sp = gpus_[i].gpuSpec();
    NvPowerTopologyInfo r{};
    r.version = v;
    r.supported = sp.powerSupported ? 1 : 0;
    r.count = sp.powerSupported ? 1 : 0;
    r.channelId[0] = sp.powerTopologyChannel;
    *info = r;
    return kNvStatusOk;
}

int32_t Simulator::PowerTopologyGetStatus(NvPhysicalGpu gpu, NvPowerTopologyStatus* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_PowerTopologyGetStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvPowerTopologyStatusVer1) return kNvStatusIncompatibleVersion;
    const GpuSpec& sp = gpus_[i].gpuSpec();
    if (!sp.powerSupported) return kNvStatusError;
    NvPowerTopologyStatus r{};
    r.version = v;
    r.count = 1;
    r.entries[0].channelId = sp.powerTopologyChannel;
    r.entries[0].powerPcm = gpus_[i].PowerPcm();
    *status = r;
    return kNvStatusOk;
}

int32_t Simulator::PowerPoliciesGetInfo(NvPhysicalGpu gpu, NvPowerPoliciesInfo* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_PowerPoliciesGetInfo", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvPowerPoliciesInfoVer1) return kNvStatusIncompatibleVersion;
    const GpuSpec& sp = gpus_[i].gpuSpec();
    NvPowerPoliciesInfo r{};
    r.version = v;
    r.supported = sp.powerSupported ? 1 : 0;
    r.count = sp.powerSupported ? 1 : 0;
    r.entries[0].policyId = kPowerPolicyId;
    r.entries[0].channel = sp.powerPolicyChannel;
    r.entries[0].minPcm = static_cast<uint32_t>(sp.powerMinPct) * 1000;
    r.entries[0].defaultPcm = static_cast<uint32_t>(sp.powerDefaultPct) * 1000;
    r.entries[0].maxPcm = static_cast<uint32_t>(sp.powerMaxPct) * 1000;
    *info = r;
    return kNvStatusOk;
}

int32_t Simulator::PowerPoliciesGetStatus(NvPhysicalGpu gpu, NvPowerPoliciesStatus* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_PowerPoliciesGetStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvPowerPoliciesStatusVer1) return kNvStatusIncompatibleVersion;
    if (!gpus_[i].gpuSpec().powerSupported) return kNvStatusError;
    NvPowerPoliciesStatus r{};
    r.version = v;
    r.count = 1;
    r.entries[0].policyId = kPowerPolicyId;
    r.entries[0].powerPcm = gpus_[i].state().powerTargetPcm;
    *status = r;
    return kNvStatusOk;
}

int32_t Simulator::PowerPoliciesSetStatus(NvPhysicalGpu gpu, const NvPowerPoliciesStatus* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_PowerPoliciesSetStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvPowerPoliciesStatusVer1) return kNvStatusIncompatibleVersion;
    if (!gpus_[i].gpuSpec().powerSupported) return kNvStatusError;
    if (status->count < 1 || status->count > kNvMaxPowerEntries) return kNvStatusInvalidArgument;
    for (uint32_t e = 0; e < status->count; ++e) {
        if (status->entries[e].policyId != kPowerPolicyId) return kNvStatusInvalidArgument;
    }
    int32_t st = kNvStatusOk;
    for (uint32_t e = 0; e < status->count && st == kNvStatusOk; ++e) {
        st = gpus_[i].SetPowerTarget(status->entries[e].powerPcm);
    }
    if (st == kNvStatusOk) Changed();
    return st;
}

// ---- Thermal policies ----

int32_t Simulator::ThermalPoliciesGetInfo(NvPhysicalGpu gpu, NvThermalPoliciesInfoV2* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("GPU_ThermalPoliciesGetInfo", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvThermalPoliciesInfoVer2) return kNvStatusIncompatibleVersion;
    const GpuSpec& sp = gpus_[i].gpuSpec();
    NvThermalPoliciesInfoV2 r{};
    r.version = v;
    r.flags = sp.thermalPoliciesSupported ? kNvThermalPoliciesSupported : 0;
    r.count = sp.thermalPoliciesSupported ? 1 : 0;
    r.entries[0].policyId = kThermalPolicyId;
    r.entries[0].minLimit = sp.thermalMinC * kNvThermalUnitsPerDegree;
    r.entries[0].defaultLimit = sp.thermalDefaultC * kNvThermalUnitsPerDegree;
    r.entries[0].maxLimit = sp.thermalMaxC * kNvThermalUnitsPerDegree;
    *info = r;
    return kNvStatusOk;
}

int32_t Simulator::ThermalPoliciesGetStatus(NvPhysicalGpu gpu, NvThermalPoliciesStatusV2* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_ClientThermalPoliciesGetStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvThermalPoliciesStatusVer2) return kNvStatusIncompatibleVersion;
    if (!gpus_[i].gpuSpec().thermalPoliciesSupported) return kNvStatusError;
    NvThermalPoliciesStatusV2 r{};
    r.version = v;
    r.count = 1;
    r.entries[0].policyId = kThermalPolicyId;
    r.entries[0].value = gpus_[i].state().thermalTargetRaw;
    r.entries[0].flags = gpus_[i].state().thermalPriority ? kNvThermalPriorityFlag : 0;
    *status = r;
    return kNvStatusOk;
}

int32_t Simulator::ThermalPoliciesSetStatus(NvPhysicalGpu gpu,
                                            const NvThermalPoliciesStatusV2* status) {
    size_t i = 0;
    uint32_t v = status ? status->version : 0;
    if (int32_t st = GateGpu("GPU_ClientThermalPoliciesSetStatus", gpu, &i, v); st != kNvStatusOk)
        return st;
    if (status == nullptr) return kNvStatusInvalidArgument;
    if (v != kNvThermalPoliciesStatusVer2) return kNvStatusIncompatibleVersion;
    if (!gpus_[i].gpuSpec().thermalPoliciesSupported) return kNvStatusError;
    if (status->count < 1 || status->count > kNvMaxThermalPolicies) return kNvStatusInvalidArgument;
    for (uint32_t e = 0; e < status->count; ++e) {
        if (status->entries[e].policyId != kThermalPolicyId) return kNvStatusInvalidArgument;
    }
    int32_t st = kNvStatusOk;
    for (uint32_t e = 0; e < status->count && st == kNvStatusOk; ++e) {
        const NvThermalPolicyStatusEntry& en = status->entries[e];
        st = gpus_[i].SetThermalTarget(en.value, (en.flags & kNvThermalPriorityFlag) != 0);
    }
    if (st == kNvStatusOk) Changed();
    return st;
}

int32_t Simulator::ResetPrepare(NvPhysicalGpu gpu, uint32_t mode) {
    size_t i = 0;
    if (int32_t st = GateGpu("GPU_ResetPrepare", gpu, &i); st != kNvStatusOk) return st;
    if (mode != kResetPrepareMode) return kNvStatusInvalidArgument;
    gpus_[i].PrepareReset();
    Changed();
    return kNvStatusOk;
}

// ---- I2C ----

int32_t Simulator::I2cTransfer(size_t gpu, const NvI2cInfoV3* info) {
    if (info->version != kNvI2cInfoVer3) return kNvStatusIncompatibleVersion;
    if (info->size > kMaxI2cBytes || (info->size > 0 && info->data == nullptr) ||
        (info->registerAddressSize > 0 && info->registerAddress == nullptr) ||
        info->registerAddressSize > kMaxI2cBytes) {
        return kNvStatusInvalidArgument;
    }
    LedController& led = leds_[gpu];
    // Nobody answers at any other address, nor at this one without a controller.
    if (!led.state().present || info->deviceAddress != kLedControllerAddress) return kNvStatusError;
    std::vector<uint8_t> wire;
    if (info->registerAddressSize > 0) {
        wire.assign(info->registerAddress, info->registerAddress + info->registerAddressSize);
    }
    if (info->size > 0) wire.insert(wire.end(), info->data, info->data + info->size);
    led.Receive(wire.data(), wire.size());
    Changed();
    return kNvStatusOk;
}

int32_t Simulator::I2cWrite(NvPhysicalGpu gpu, NvI2cInfoV3* info) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("I2CWrite", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr) return kNvStatusInvalidArgument;
    return I2cTransfer(i, info);
}

int32_t Simulator::I2cWriteEx(NvPhysicalGpu gpu, NvI2cInfoV3* info, uint32_t* unknown) {
    size_t i = 0;
    uint32_t v = info ? info->version : 0;
    if (int32_t st = GateGpu("I2CWriteEx", gpu, &i, v); st != kNvStatusOk) return st;
    if (info == nullptr || unknown == nullptr) return kNvStatusInvalidArgument;
    return I2cTransfer(i, info);
}

// ---- State text ----

std::string Simulator::StateText() const {
    std::string out;
    char line[256];
    auto add = [&](const char* fmt, auto... args) {
        std::snprintf(line, sizeof(line), fmt, args...);
        out += line;
        out += '\n';
    };
    add("time_s = %.3f", now_);
    add("driver_present = %d", scenario_.driverPresent ? 1 : 0);
    add("initialized = %d", initCount_ > 0 ? 1 : 0);
    add("set_operations = %llu", static_cast<unsigned long long>(setOperations_));
    add("gpu_count = %zu", gpus_.size());
    for (size_t i = 0; i < gpus_.size(); ++i) {
        const GpuModel& g = gpus_[i];
        const GpuState& s = g.state();
        const LedState& l = leds_[i].state();
        add("gpu%zu.name = %s", i, g.gpuSpec().name.c_str());
        add("gpu%zu.pstate = %d", i, s.pstate);
        add("gpu%zu.load_pct = %.1f", i, s.loadPct);
        add("gpu%zu.memory_load_pct = %.1f", i, s.memoryLoadPct);
        add("gpu%zu.gpu_clock_mhz = %u", i, g.GpuClockKHz() / 1000);
        add("gpu%zu.memory_clock_mhz = %u", i, g.MemoryClockKHz() / 1000);
        add("gpu%zu.gpu_offset_khz = %d", i, s.gpuOffsetKHz);
        add("gpu%zu.memory_offset_khz = %d", i, s.memoryOffsetKHz);
        add("gpu%zu.voltage_uv = %u", i, g.VoltageUv());
        add("gpu%zu.voltage_delta_uv = %d", i, s.voltageDeltaUv);
        add("gpu%zu.over_voltage_uv = %d", i, s.overVoltageUv);
        add("gpu%zu.power_pct = %.1f", i, s.powerPct);
        add("gpu%zu.power_target_pcm = %u", i, s.powerTargetPcm);
        add("gpu%zu.temperature_c = %.2f", i, s.temperatureC);
        add("gpu%zu.thermal_target_raw = %d", i, s.thermalTargetRaw);
        add("gpu%zu.thermal_priority = %d", i, s.thermalPriority ? 1 : 0);
        add("gpu%zu.cooler_policy = %u", i, s.coolerPolicy);
        add("gpu%zu.cooler_set_level = %d", i, s.coolerSetLevel);
        add("gpu%zu.cooler_level = %u", i, g.CoolerLevel());
        add("gpu%zu.tach_rpm = %u", i, g.TachRpm());
        add("gpu%zu.memory_used_kb = %u", i, g.MemoryUsedKB());
        add("gpu%zu.reset_prepare_count = %d", i, s.resetPrepareCount);
        add("gpu%zu.led.present = %d", i, l.present ? 1 : 0);
        add("gpu%zu.led.valid_packets = %u", i, l.validPackets);
        add("gpu%zu.led.invalid_packets = %u", i, l.invalidPackets);
        add("gpu%zu.led.lit = %d", i, l.lit ? 1 : 0);
        add("gpu%zu.led.effect = %u", i, unsigned(l.effect));
        add("gpu%zu.led.brightness = %u", i, unsigned(l.brightness));
        add("gpu%zu.led.speed = %u", i, unsigned(l.speed));
        std::string colours, packet;
        for (size_t c = 0; c + 2 < l.colours.size(); c += 3) {
            std::snprintf(line, sizeof(line), "%s%02X%02X%02X", colours.empty() ? "" : " ",
                          l.colours[c], l.colours[c + 1], l.colours[c + 2]);
            colours += line;
        }
        for (uint8_t b : l.lastPacket) {
            std::snprintf(line, sizeof(line), "%s%02X", packet.empty() ? "" : " ", b);
            packet += line;
        }
        out += "gpu" + std::to_string(i) + ".led.colours = " + colours + "\n";
        out += "gpu" + std::to_string(i) + ".led.last_packet = " + packet + "\n";
    }
    return out;
}

}  // namespace velmora::sim
