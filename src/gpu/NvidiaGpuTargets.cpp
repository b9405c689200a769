// Power and temperature targets, the link between them, and the return to defaults.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

constexpr float kPcmPerPercent = 1000.0f;  // power values are per-cent-mille
constexpr float kThermalUnitsPerDegree = static_cast<float>(kNvThermalUnitsPerDegree);
constexpr uint32_t kResetPrepareMode = 1;
constexpr uint32_t kDefaultPowerPolicyId = 0;

const char kThermalNotSupportedForSet[] = "Thermal policies are not supported!\n";
const char kThermalNotSupportedForLink[] = "Thermal Policies are not supported!\n";
const char kNoRangeToLink[] = "Requested policy limits leave no range to link!\n";

struct ThermalPolicyLookup {
    bool ok = false;
    NvThermalPoliciesInfoV2 info = {};
    const NvThermalPolicyInfoEntry* entry = nullptr;
};

// Thermal-policies info and the entry of policyId, with the refusals every caller shares.
ThermalPolicyLookup FindThermalPolicy(const NvapiEntries& nv, NvPhysicalGpu gpu, uint32_t policyId,
                                      const char* notSupportedText) {
    ThermalPolicyLookup r;
    r.info.version = kNvThermalPoliciesInfoVer2;
    const NvStatus status = nv.gpuThermalPoliciesGetInfo(gpu, &r.info);
    if (status != kNvStatusOk) {
        std::printf("API call failed with error %d\n", status);
        return r;
    }
    if ((r.info.flags & kNvThermalPoliciesSupported) == 0) {
        std::printf("%s", notSupportedText);
        return r;
    }
    const uint32_t count = std::min<uint32_t>(r.info.count, kNvMaxThermalPolicies);
    for (uint32_t i = 0; i < count; ++i) {
        if (r.info.entries[i].policyId == policyId) {
            r.entry = &r.info.entries[i];
            break;
        }
    }
    if (r.entry == nullptr) {
        std::printf("Requested thermal policy is not supported!\n");
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace

bool NvidiaGpu::ReadPowerPolicy(uint32_t policyId, NvPowerPolicyInfoEntry& entry) {
    NvPowerPoliciesInfo info = {};
    info.version = kNvPowerPoliciesInfoVer1;
    const NvStatus status = nv_.gpuPowerPoliciesGetInfo(SelectedGpu(), &info);
    if (status != kNvStatusOk) {
        std::printf("API call failed with error %d\n", status);
        return false;
    }
    if (!info.supported) {
        std::printf("Power policies are not supported!\n");
        return false;
    }
    const uint32_t count = std::min<uint32_t>(info.count, kNvMaxPowerEntries);
    for (uint32_t i = 0; i < count; ++i) {
        if (info.entries[i].policyId == policyId) {
            entry = info.entries[i];
            return true;
        }
    }
    std::printf("Requested power policy is not supported!\n");
    return false;
}

bool NvidiaGpu::ReadThermalPolicyForLink(uint32_t policyId, float& tmin, float& tdef, float& tmax) {
    const ThermalPolicyLookup t =
        FindThermalPolicy(nv_, SelectedGpu(), policyId, kThermalNotSupportedForLink);
    if (!t.ok) {
        return false;
    }
    tmin = static_cast<float>(t.entry->minLimit) / kThermalUnitsPerDegree;
    tdef = static_cast<float>(t.entry->defaultLimit) / kThermalUnitsPerDegree;
    tmax = static_cast<float>(t.entry->maxLimit) / kThermalUnitsPerDegree;
    return true;
}

bool NvidiaGpu::SetPowerTarget(uint32_t policyId, int32_t percent) {
    NvPowerPolicyInfoEntry entry;
    if (!ReadPowerPolicy(policyId, entry)) {
        return false;
    }
    // Unsigned comparison, so a negative percent reads as huge and is refused; done in 64 bits
    // so that no large percent can wrap back into the allowed range.
    const uint64_t value = static_cast<uint64_t>(static_cast<uint32_t>(percent)) * 1000u;
    if (value > entry.maxPcm || value < entry.minPcm) {
        std::printf("Requested power policy limit exceeds max allowed value!\n");
        return false;
    }
    NvPowerPoliciesStatus status = {};
    status.version = kNvPowerPoliciesStatusVer1;
    status.count = 1;
    status.entries[0].policyId = policyId;
    status.entries[0].flags &= ~kNvPowerPolicyFlagMask;
    status.entries[0].powerPcm = static_cast<uint32_t>(value);
    return nv_.gpuPowerPoliciesSetStatus(SelectedGpu(), &status) == kNvStatusOk;
}

bool NvidiaGpu::SetTemperatureTarget(uint32_t policyId, float degC, bool priority) {
    const ThermalPolicyLookup t =
        FindThermalPolicy(nv_, SelectedGpu(), policyId, kThermalNotSupportedForSet);
    if (!t.ok) {
        return false;
    }
    // 1/256 degC, truncated towards zero; a value outside int32 is outside any limit too.
    const float scaled = degC * kThermalUnitsPerDegree;
    if (!std::isfinite(scaled) || scaled >= 2147483648.0f || scaled < -2147483648.0f ||
        static_cast<int32_t>(scaled) > t.entry->maxLimit ||
        static_cast<int32_t>(scaled) < t.entry->minLimit) {
        std::printf("Requested thermal policy limit exceeds max allowed value!\n");
        return false;
    }
    NvThermalPoliciesStatusV2 status = {};
    status.version = kNvThermalPoliciesStatusVer2;
    status.count = 1;
    status.entries[0].policyId = policyId;
    status.entries[0].value = static_cast<int32_t>(scaled);
    status.entries[0].flags = priority ? kNvThermalPriorityFlag : 0;
    const NvStatus result = nv_.gpuClientThermalPoliciesSetStatus(SelectedGpu(), &status);
    if (result != kNvStatusOk) {
        std::printf("API call failed with error %d\n", result);
        return false;
    }
    std::printf("Requested policy limit applied successfully\n");
    return true;
}

void NvidiaGpu::SetTemperaturePriority(uint32_t policyId, bool priority) {
    const ThermalPolicyLookup t =
        FindThermalPolicy(nv_, SelectedGpu(), policyId, kThermalNotSupportedForSet);
    if (!t.ok) {
        return;
    }
    NvThermalPoliciesStatusV2 status = {};
    status.version = kNvThermalPoliciesStatusVer2;
    status.count = static_cast<uint8_t>(std::min<uint32_t>(t.info.count, kNvMaxThermalPolicies));
    for (uint32_t i = 0; i < status.count; ++i) {
        status.entries[i].policyId = t.info.entries[i].policyId;
    }
    NvStatus result = nv_.gpuClientThermalPoliciesGetStatus(SelectedGpu(), &status);
    if (result != kNvStatusOk) {
        std::printf("NvAPI_GPU_ClientThermalPoliciesGetStatus call failed with error %d\n", result);
        return;
    }
    // Entry 0 keeps the target it has; only its priority bit changes.
    status.count = 1;
    status.entries[0].policyId = policyId;
    status.entries[0].flags =
        static_cast<uint8_t>((status.entries[0].flags & ~kNvThermalPriorityFlag) |
                             (priority ? kNvThermalPriorityFlag : 0));
    result = nv_.gpuClientThermalPoliciesSetStatus(SelectedGpu(), &status);
    if (result != kNvStatusOk) {
        std::printf("NvAPI_GPU_ClientThermalPoliciesSetStatus call failed with error %d\n", result);
        return;
    }
    std::printf("Requested policy limit applied successfully\n");
}

bool NvidiaGpu::ReadTemperatureTarget(ThermalLimits& out) {
    std::printf("Thermal policy info:\n");
    NvThermalPoliciesInfoV2 info = {};
    info.version = kNvThermalPoliciesInfoVer2;
    NvStatus result = nv_.gpuThermalPoliciesGetInfo(SelectedGpu(), &info);
    if (result != kNvStatusOk) {
        std::printf("API call failed with error %d\n", result);
        return false;
    }
    if ((info.flags & kNvThermalPoliciesSupported) == 0) {
        std::printf("  ... not available!\n");
        return false;
    }
    const uint32_t count = std::min<uint32_t>(info.count, kNvMaxThermalPolicies);
    for (uint32_t i = 0; i < count; ++i) {
        out.minC = info.entries[i].minLimit / kNvThermalUnitsPerDegree;
        out.defaultC = info.entries[i].defaultLimit / kNvThermalUnitsPerDegree;
        out.maxC = info.entries[i].maxLimit / kNvThermalUnitsPerDegree;
    }

    std::printf("Thermal policy status:\n");
    NvThermalPoliciesStatusV2 status = {};
    status.version = kNvThermalPoliciesStatusVer2;
    status.count = static_cast<uint8_t>(count);
    for (uint32_t i = 0; i < count; ++i) {
        status.entries[i].policyId = info.entries[i].policyId;
    }
    result = nv_.gpuClientThermalPoliciesGetStatus(SelectedGpu(), &status);
    if (result != kNvStatusOk) {
        std::printf("API call failed with error %d\n", result);
        return false;
    }
    const uint32_t statusCount = std::min<uint32_t>(status.count, kNvMaxThermalPolicies);
    for (uint32_t i = 0; i < statusCount; ++i) {
        out.currentTargetC = status.entries[i].value / kNvThermalUnitsPerDegree;
        out.priorityFlag = status.entries[i].flags & kNvThermalPriorityFlag;
    }
    return statusCount > 0;
}

bool NvidiaGpu::TemperatureForPower(uint32_t powerPolicyId, uint32_t thermalPolicyId,
                                    float powerPct, float out[2]) {
    NvPowerPolicyInfoEntry power;
    if (!ReadPowerPolicy(powerPolicyId, power)) {
        return false;
    }
    const float pmax = static_cast<float>(power.maxPcm);
    const float pmin = static_cast<float>(power.minPcm);
    const float pdef = static_cast<float>(power.defaultPcm);
    const float x = powerPct * kPcmPerPercent;
    if (!(x <= pmax && x >= pmin)) {  // also refuses NaN
        std::printf("Requested power policy limit exceeds allowed range!\n");
        return false;
    }
    float tmin = 0, tdef = 0, tmax = 0;
    if (!ReadThermalPolicyForLink(thermalPolicyId, tmin, tdef, tmax)) {
        return false;
    }
    float t;
    if (x > pdef) {
        t = tdef + (x - pdef) / (pmax - pdef) * (tmax - tdef);
        t = std::min(t, tmax);
    } else {
        if (!(pdef - pmin > 0)) {
            std::printf("%s", kNoRangeToLink);
            return false;
        }
        t = tdef - (pdef - x) / (pdef - pmin) * (tdef - tmin);
        t = std::max(t, tmin);
    }
    out[0] = powerPct;
    out[1] = t;
    return true;
}

bool NvidiaGpu::PowerForTemperature(uint32_t powerPolicyId, uint32_t thermalPolicyId, float tempC,
                                    float currentPowerPct, float out[2]) {
    NvPowerPolicyInfoEntry power;
    if (!ReadPowerPolicy(powerPolicyId, power)) {
        return false;
    }
    const float pmax = static_cast<float>(power.maxPcm);
    const float pmin = static_cast<float>(power.minPcm);
    const float pdef = static_cast<float>(power.defaultPcm);
    float tmin = 0, tdef = 0, tmax = 0;
    if (!ReadThermalPolicyForLink(thermalPolicyId, tmin, tdef, tmax)) {
        return false;
    }
    // The power slider's side of the default decides the formula, not the temperature's.
    float p;
    if (currentPowerPct * kPcmPerPercent > pdef) {
        if (!(tmax - tdef > 0)) {
            std::printf("%s", kNoRangeToLink);
            return false;
        }
        p = (pdef + (tempC - tdef) / (tmax - tdef) * (pmax - pdef)) / kPcmPerPercent;
        p = std::min(p, pmax / kPcmPerPercent);
    } else {
        if (!(tdef - tmin > 0)) {
            std::printf("%s", kNoRangeToLink);
            return false;
        }
        p = (pdef - (tdef - tempC) / (tdef - tmin) * (pdef - pmin)) / kPcmPerPercent;
        p = std::max(p, pmin / kPcmPerPercent);
    }
    out[0] = p;
    out[1] = tempC;
    return true;
}

bool NvidiaGpu::ResetToDefaults() {
    const NvPhysicalGpu gpu = SelectedGpuLazy();
    nv_.gpuResetPrepare(gpu, kResetPrepareMode);
    SetClockOffset(kNvClockDomainGraphics, 0);
    SetClockOffset(kNvClockDomainMemory, 0);

    bool powerSet = false;
    NvPowerPoliciesInfo info = {};
    info.version = kNvPowerPoliciesInfoVer1;
    // Without a policy entry there is no default to send; sending zero would floor the card.
    if (nv_.gpuPowerPoliciesGetInfo(gpu, &info) == kNvStatusOk && info.count > 0) {
        NvPowerPoliciesStatus status = {};
        status.version = kNvPowerPoliciesStatusVer1;
        status.count = 1;
        status.entries[0].policyId = kDefaultPowerPolicyId;
        status.entries[0].flags &= ~kNvPowerPolicyFlagMask;
        status.entries[0].powerPcm = info.entries[0].defaultPcm;
        powerSet = nv_.gpuPowerPoliciesSetStatus(gpu, &status) == kNvStatusOk;
    }
    RestoreCoolerDefault();
    return powerSet;
}
