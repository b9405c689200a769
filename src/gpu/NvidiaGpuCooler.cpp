// The fan: its reading, a fixed level, and the hand-back to the driver's automatic control.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gpu/AnsiText.h"
#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

constexpr wchar_t kCoolerMessageCaption[] = L"NVAPI信息";
constexpr int32_t kMaxLevelPct = 100;
// Sent with the automatic policy when no cooler-settings version answers. Under policy 0x20
// the driver chooses the speed; should a driver take the level as a floor, full speed is the
// value that cannot overheat the card.
constexpr uint32_t kRestoreLevelWhenUnknownPct = 100;

// The common leading fields of one cooler entry, whatever the record's version.
struct CoolerFields {
    uint32_t defaultMinLevel = 0;
    uint32_t defaultMaxLevel = 0;
    uint32_t currentLevel = 0;
    uint32_t defaultPolicy = 0;
};

uint32_t CoolerCapacity(uint32_t version) {
    return version == kNvCoolerSettingsVer1 ? kNvMaxCoolersV1 : kNvMaxCoolers;
}

// Versions 1 and 2 have 48-byte entries, version 4 has 68-byte ones; the fields used here
// lead every entry in the same order.
CoolerFields CoolerAt(const NvCoolerSettingsV4& record, uint32_t version, uint32_t index) {
    const size_t stride =
        version == kNvCoolerSettingsVer4 ? sizeof(NvCoolerEntryV4) : sizeof(NvCoolerEntryV1);
    NvCoolerEntryV1 entry;
    std::memcpy(&entry,
                reinterpret_cast<const unsigned char*>(&record) +
                    offsetof(NvCoolerSettingsV4, cooler) + index * stride,
                sizeof(entry));
    CoolerFields f;
    f.defaultMinLevel = entry.defaultMinLevel;
    f.defaultMaxLevel = entry.defaultMaxLevel;
    f.currentLevel = entry.currentLevel;
    f.defaultPolicy = entry.defaultPolicy;
    return f;
}

// Policy selected by each SetCoolerLevel code; 0 for codes that select none.
uint32_t CoolerPolicyForCode(int32_t code) {
    switch (code) {
        case 1:
            return 0x1;
        case 2:
            return 0x2;
        case 4:
            return 0x4;
        case 8:
            return 0x8;
        case kCoolerCodeDefault:
            return kNvCoolerPolicyDefault;
        default:
            return 0;
    }
}

}  // namespace

// Reads the cooler settings for all coolers, version 4, then 1 and 2 on incompatible-version
// answers. firstStatus is the version-4 call's status; version names the record that answered.
NvStatus NvidiaGpu::ReadCoolerSettings(NvPhysicalGpu gpu, NvCoolerSettingsV4& record,
                                       NvStatus& firstStatus, uint32_t& version) {
    const uint32_t versions[] = {kNvCoolerSettingsVer4, kNvCoolerSettingsVer1,
                                 kNvCoolerSettingsVer2};
    NvStatus status = kNvStatusError;
    for (size_t i = 0; i < std::size(versions); ++i) {
        record = {};
        record.version = versions[i];
        version = versions[i];
        status = nv_.gpuGetCoolerSettings(gpu, kNvCoolerTargetAll, &record);
        if (i == 0) {
            firstStatus = status;
        }
        if (status != kNvStatusIncompatibleVersion) {
            break;
        }
    }
    return status;
}

void NvidiaGpu::ShowCoolerFailureOnce(NvStatus status) {
    std::wstring text;
    unsigned icon = kUserMessageIconError;
    switch (status) {
        case kNvStatusExpectedPhysicalGpuHandle:
            text = L" GPU物理地址无效.";
            break;
        case kNvStatusHandleInvalidated:
            text = L"Handle passed has been invalidated .";
            break;
        case kNvStatusInvalidArgument:
            text = L"程序参数错误.";
            icon = kUserMessageIconInformation;
            break;
        case kNvStatusError: {
            const std::string detail = ErrorText(status);
            text = L"NVAPI读取GPU温度失败: " + AnsiToWide(detail.c_str(), detail.size());
            break;
        }
        default:
            return;
    }
    // The fan is read every second: one box per kind of failure and run is enough.
    if (!messageSink_ || coolerFailuresShown_.count(status) != 0) {
        return;
    }
    coolerFailuresShown_.insert(status);
    messageSink_(text, kCoolerMessageCaption, icon);
}

bool NvidiaGpu::ReadCooler(CoolerReading& out) {
    const NvPhysicalGpu gpu = SelectedGpuLazy();

    uint32_t rpm = 0;
    nv_.gpuGetTachReading(gpu, &rpm);
    out.tachRpm = static_cast<int32_t>(rpm);

    NvCoolerSettingsV4 record;
    NvStatus firstStatus = kNvStatusOk;
    uint32_t version = 0;
    const NvStatus status = ReadCoolerSettings(gpu, record, firstStatus, version);
    if (firstStatus != kNvStatusOk && firstStatus != kNvStatusIncompatibleVersion) {
        ShowCoolerFailureOnce(firstStatus);
        return false;
    }
    if (status != kNvStatusOk) {
        return false;
    }
    const uint32_t count = std::min(record.count, CoolerCapacity(version));
    for (uint32_t i = 0; i < count; ++i) {
        const CoolerFields f = CoolerAt(record, version, i);
        out.minLevelPct = static_cast<int32_t>(f.defaultMinLevel);
        out.maxLevelPct = static_cast<int32_t>(f.defaultMaxLevel);
        out.currentLevelPct = static_cast<int32_t>(f.currentLevel);
    }
    return true;
}

NvStatus NvidiaGpu::SetCoolerEntry(NvPhysicalGpu gpu, uint32_t level, uint32_t policy) {
    NvCoolerLevels levels = {};
    levels.version = kNvCoolerLevelsVer1;
    levels.levels[0].level = level;
    levels.levels[0].policy = policy;
    return nv_.gpuSetCoolerLevels(gpu, kNvCoolerTargetAll, &levels);
}

template <typename Call>
NvStatus NvidiaGpu::WithFreshHandleRetry(int32_t index, Call call) {
    if (index < 0 || index >= static_cast<int32_t>(kNvMaxPhysicalGpus)) {
        return kNvStatusInvalidArgument;
    }
    if (gpuHandles_[index] == nullptr) {
        EnumerateGpus();
    }
    NvStatus status = call(gpuHandles_[index]);
    // A restarted driver (crash, update) no longer knows the handles it gave out, while
    // readings that enumerate each time go on working; without a fresh table every fan write
    // and the hand-back would fail from then on.
    const bool stale = status == kNvStatusInvalidHandle || status == kNvStatusHandleInvalidated ||
                       status == kNvStatusExpectedPhysicalGpuHandle;
    if (stale && EnumerateGpus()) {
        status = call(gpuHandles_[index]);
    }
    return status;
}

bool NvidiaGpu::SetCoolerLevel(int32_t levelPct, int32_t policyCode) {
    if (levelPct == kCoolerLevelDriverDefault) {
        return WithFreshHandleRetry(selectedIndex_, [this](NvPhysicalGpu gpu) {
                   NvCoolerSettingsV4 record = {};
                   record.version = kNvCoolerSettingsVer4;
                   const NvStatus read = nv_.gpuGetCoolerSettings(gpu, kNvCoolerTargetAll, &record);
                   if (read != kNvStatusOk) {
                       return read;
                   }
                   const CoolerFields first = CoolerAt(record, kNvCoolerSettingsVer4, 0);
                   return SetCoolerEntry(gpu, first.defaultMinLevel, first.defaultPolicy);
               }) == kNvStatusOk;
    }
    const uint32_t policy = CoolerPolicyForCode(policyCode);
    if (policy == 0 || levelPct < 0 || levelPct > kMaxLevelPct) {
        return false;  // nothing sensible to send; the fan stays as it is
    }
    return WithFreshHandleRetry(selectedIndex_, [&](NvPhysicalGpu gpu) {
               return SetCoolerEntry(gpu, static_cast<uint32_t>(levelPct), policy);
           }) == kNvStatusOk;
}

bool NvidiaGpu::RestoreCoolerDefault() {
    return RestoreCoolerDefaultOf(selectedIndex_);
}

bool NvidiaGpu::RestoreCoolerDefaultOf(int32_t index) {
    return WithFreshHandleRetry(index, [this](NvPhysicalGpu gpu) {
               NvCoolerSettingsV4 record;
               NvStatus firstStatus = kNvStatusOk;
               uint32_t version = 0;
               uint32_t level = kRestoreLevelWhenUnknownPct;
               const NvStatus read = ReadCoolerSettings(gpu, record, firstStatus, version);
               if (read == kNvStatusOk) {
                   level = CoolerAt(record, version, 0).defaultMinLevel;
               }
               // Whatever the driver calls its default policy, automatic control is what
               // hands it back.
               return SetCoolerEntry(gpu, level, kNvCoolerPolicyDefault);
           }) == kNvStatusOk;
}
