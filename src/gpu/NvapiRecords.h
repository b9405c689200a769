// The NVAPI records this program exchanges with the driver, as plain structs of fixed-width
// fields. Sizes and offsets are the driver's binary interface: every record starts with a
// version word (size | version << 16) and the driver rejects a record whose word it does not
// know with kNvStatusIncompatibleVersion. Fields this program never looks at are named
// reserved* and must stay zero when we build a record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nvapi {

using NvStatus = int32_t;

// Status codes the program tests for.
inline constexpr NvStatus kNvStatusOk = 0;
inline constexpr NvStatus kNvStatusError = -1;
inline constexpr NvStatus kNvStatusLibraryNotFound = -2;
// Returned by an entry-table slot whose entry the driver did not provide.
inline constexpr NvStatus kNvStatusNoImplementation = -3;
inline constexpr NvStatus kNvStatusInvalidArgument = -5;
inline constexpr NvStatus kNvStatusEndEnumeration = -7;
inline constexpr NvStatus kNvStatusInvalidHandle = -8;
inline constexpr NvStatus kNvStatusIncompatibleVersion = -9;
inline constexpr NvStatus kNvStatusHandleInvalidated = -10;
inline constexpr NvStatus kNvStatusExpectedPhysicalGpuHandle = -101;

// Opaque driver handles; only the driver knows what they point at.
using NvPhysicalGpu = struct NvPhysicalGpuTag*;
using NvDisplay = struct NvDisplayTag*;

inline constexpr uint32_t kNvMaxPhysicalGpus = 64;
inline constexpr uint32_t kNvMaxDisplays = 128;
// Every 8-bit string the driver returns (names, versions, error texts) fits in 64 chars.
inline constexpr size_t kNvShortStringSize = 64;
using NvShortString = char[kNvShortStringSize];

constexpr uint32_t NvVersionWord(uint32_t size, uint32_t version) {
    return size | (version << 16);
}
constexpr uint32_t NvRecordSize(uint32_t versionWord) {
    return versionWord & 0xFFFF;
}
constexpr uint32_t NvRecordVersion(uint32_t versionWord) {
    return versionWord >> 16;
}

// ---- Thermal settings (version 2) ----
inline constexpr uint32_t kNvMaxThermalSensors = 3;
inline constexpr int32_t kNvThermalTargetGpu = 1;  // the GPU core sensor

struct NvThermalSensor {
    int32_t controller;
    int32_t defaultMinC;
    int32_t defaultMaxC;
    int32_t currentC;
    int32_t target;
};

struct NvThermalSettingsV2 {
    uint32_t version;
    uint32_t count;
    NvThermalSensor sensor[kNvMaxThermalSensors];
};
static_assert(sizeof(NvThermalSensor) == 20);
static_assert(sizeof(NvThermalSettingsV2) == 68);
inline constexpr uint32_t kNvThermalSettingsVer2 = NvVersionWord(68, 2);
static_assert(kNvThermalSettingsVer2 == 0x20044);

// ---- All clock frequencies (versions 1 and 3 share the layout) ----
inline constexpr uint32_t kNvMaxClockDomains = 32;
inline constexpr uint32_t kNvClockDomainGraphics = 0;
inline constexpr uint32_t kNvClockDomainMemory = 4;
inline constexpr uint32_t kNvClockDomainProcessor = 7;
inline constexpr uint32_t kNvClockTypeCurrent = 0;
inline constexpr uint32_t kNvClockTypeBase = 1;
inline constexpr uint32_t kNvClockTypeBoost = 2;
inline constexpr uint32_t kNvClockTypeMask = 0x3;  // the two low bits of clockTypeWord

struct NvClockDomain {
    uint32_t flags;  // bit 0: present
    uint32_t frequencyKHz;
};

struct NvClockFrequencies {
    uint32_t version;
    uint32_t clockTypeWord;  // bits 0-1: clock type (ignored by version 1)
    NvClockDomain domain[kNvMaxClockDomains];
};
static_assert(sizeof(NvClockDomain) == 8);
static_assert(sizeof(NvClockFrequencies) == 264);
static_assert(offsetof(NvClockFrequencies, domain) == 8);
inline constexpr uint32_t kNvClockFrequenciesVer1 = NvVersionWord(264, 1);
inline constexpr uint32_t kNvClockFrequenciesVer3 = NvVersionWord(264, 3);
static_assert(kNvClockFrequenciesVer1 == 0x10108 && kNvClockFrequenciesVer3 == 0x30108);

// ---- Dynamic P-states (utilisation) ----
inline constexpr uint32_t kNvMaxUtilizationDomains = 8;
inline constexpr uint32_t kNvUtilizationGpu = 0;
inline constexpr uint32_t kNvUtilizationFrameBuffer = 1;

struct NvUtilizationDomain {
    uint32_t flags;  // bit 0: present
    uint32_t percentage;
};

struct NvDynamicPstatesInfoEx {
    uint32_t version;
    uint32_t flags;
    NvUtilizationDomain utilization[kNvMaxUtilizationDomains];
};
static_assert(sizeof(NvDynamicPstatesInfoEx) == 72);
inline constexpr uint32_t kNvDynamicPstatesInfoExVer1 = NvVersionWord(72, 1);
static_assert(kNvDynamicPstatesInfoExVer1 == 0x10048);

// ---- Voltage-domains status ----
inline constexpr uint32_t kNvMaxVoltageDomainEntries = 16;

struct NvVoltageDomainEntry {
    uint32_t domainId;
    uint32_t voltageUv;
};

struct NvVoltageDomainsStatus {
    uint32_t version;
    uint32_t flags;
    uint32_t count;  // set to 0 before the query
    NvVoltageDomainEntry entry[kNvMaxVoltageDomainEntries];
};
static_assert(sizeof(NvVoltageDomainsStatus) == 140);
static_assert(offsetof(NvVoltageDomainsStatus, entry) + offsetof(NvVoltageDomainEntry, voltageUv) ==
              16);  // the first domain's voltage
inline constexpr uint32_t kNvVoltageDomainsStatusVer1 = NvVersionWord(140, 1);
static_assert(kNvVoltageDomainsStatusVer1 == 0x1008C);

// ---- P-states 2.0 ----
inline constexpr uint32_t kNvMaxPstates20 = 16;
inline constexpr uint32_t kNvMaxPstate20Clocks = 8;
inline constexpr uint32_t kNvMaxPstate20BaseVoltages = 4;
inline constexpr uint32_t kNvMaxOverVoltages = 4;
inline constexpr uint32_t kNvPstateClockSingle = 0;
inline constexpr uint32_t kNvPstateClockRange = 1;
inline constexpr uint32_t kNvVoltageDomainCore = 0;
inline constexpr uint32_t kNvPstates20Editable = 0x1;  // bit 0 of flags

struct NvParamDelta {
    int32_t value;
    int32_t min;
    int32_t max;
};

struct NvPstate20Clock {
    uint32_t domainId;
    uint32_t typeId;  // kNvPstateClockSingle or kNvPstateClockRange
    uint32_t flags;
    NvParamDelta freqDeltaKHz;
    union {
        struct {
            uint32_t freqKHz;
            uint32_t reserved[4];
        } single;
        struct {
            uint32_t minFreqKHz;
            uint32_t maxFreqKHz;
            uint32_t voltageDomainId;
            uint32_t minVoltageUv;
            uint32_t maxVoltageUv;
        } range;
    } data;
};

struct NvPstate20BaseVoltage {
    uint32_t domainId;
    uint32_t flags;
    uint32_t voltageUv;
    NvParamDelta voltageDeltaUv;
};

struct NvPstate20Entry {
    uint32_t pstateId;
    uint32_t flags;
    NvPstate20Clock clocks[kNvMaxPstate20Clocks];
    NvPstate20BaseVoltage baseVoltages[kNvMaxPstate20BaseVoltages];
};

struct NvOverVoltage {
    uint32_t count;
    NvPstate20BaseVoltage voltages[kNvMaxOverVoltages];
};

// Version 1: no over-voltage block.
struct NvPstates20V1 {
    uint32_t version;
    uint32_t flags;
    uint32_t numPstates;
    uint32_t numClocks;
    uint32_t numBaseVoltages;
    NvPstate20Entry pstates[kNvMaxPstates20];
};

// Versions 2 and 3: version 1 followed by the over-voltage block.
struct NvPstates20V2 {
    uint32_t version;
    uint32_t flags;
    uint32_t numPstates;
    uint32_t numClocks;
    uint32_t numBaseVoltages;
    NvPstate20Entry pstates[kNvMaxPstates20];
    NvOverVoltage overVoltage;
};
static_assert(sizeof(NvParamDelta) == 12);
static_assert(sizeof(NvPstate20Clock) == 44);
static_assert(offsetof(NvPstate20Clock, freqDeltaKHz) == 12);
static_assert(offsetof(NvPstate20Clock, data) == 24);
static_assert(sizeof(NvPstate20BaseVoltage) == 24);
static_assert(sizeof(NvPstate20Entry) == 456);
static_assert(offsetof(NvPstate20Entry, clocks) == 8);
static_assert(offsetof(NvPstate20Entry, baseVoltages) == 360);
static_assert(sizeof(NvOverVoltage) == 100);
static_assert(offsetof(NvPstates20V1, pstates) == 20);
static_assert(sizeof(NvPstates20V1) == 7316);
static_assert(offsetof(NvPstates20V2, overVoltage) == 7316);
static_assert(sizeof(NvPstates20V2) == 7416);
inline constexpr uint32_t kNvPstates20Ver1 = NvVersionWord(7316, 1);
inline constexpr uint32_t kNvPstates20Ver2 = NvVersionWord(7416, 2);
inline constexpr uint32_t kNvPstates20Ver3 = NvVersionWord(7416, 3);
static_assert(kNvPstates20Ver1 == 0x11C94);
static_assert(kNvPstates20Ver2 == 0x21CF8 && kNvPstates20Ver3 == 0x31CF8);

// ---- Display-driver memory info, KB ----
struct NvMemoryInfoV1 {
    uint32_t version;
    uint32_t dedicatedVideoMemoryKB;
    uint32_t availableDedicatedVideoMemoryKB;
    uint32_t systemVideoMemoryKB;
    uint32_t sharedSystemMemoryKB;
};

struct NvMemoryInfoV3 {
    uint32_t version;
    uint32_t dedicatedVideoMemoryKB;
    uint32_t availableDedicatedVideoMemoryKB;
    uint32_t systemVideoMemoryKB;
    uint32_t sharedSystemMemoryKB;
    uint32_t curAvailableDedicatedVideoMemoryKB;
    uint32_t reserved[2];
};
static_assert(sizeof(NvMemoryInfoV1) == 20);
static_assert(sizeof(NvMemoryInfoV3) == 32);
inline constexpr uint32_t kNvMemoryInfoVer1 = NvVersionWord(20, 1);
inline constexpr uint32_t kNvMemoryInfoVer3 = NvVersionWord(32, 3);
static_assert(kNvMemoryInfoVer1 == 0x10014 && kNvMemoryInfoVer3 == 0x30020);

// ---- Power topology; power in per-cent-mille (percent * 1000) ----
inline constexpr uint32_t kNvMaxPowerEntries = 4;

struct NvPowerTopologyInfo {
    uint32_t version;
    uint8_t supported;
    uint8_t count;
    uint8_t reserved[2];
    uint32_t channelId[kNvMaxPowerEntries];
};

struct NvPowerTopologyStatusEntry {
    uint32_t channelId;
    uint32_t reserved0;
    uint32_t powerPcm;
    uint32_t reserved1;
};

struct NvPowerTopologyStatus {
    uint32_t version;
    uint8_t count;
    uint8_t reserved[3];
    NvPowerTopologyStatusEntry entries[kNvMaxPowerEntries];
};
static_assert(sizeof(NvPowerTopologyInfo) == 24);
static_assert(offsetof(NvPowerTopologyInfo, channelId) == 8);
static_assert(sizeof(NvPowerTopologyStatusEntry) == 16);
static_assert(sizeof(NvPowerTopologyStatus) == 72);
static_assert(offsetof(NvPowerTopologyStatus, entries) == 8);
inline constexpr uint32_t kNvPowerTopologyInfoVer1 = NvVersionWord(24, 1);
inline constexpr uint32_t kNvPowerTopologyStatusVer1 = NvVersionWord(72, 1);
static_assert(kNvPowerTopologyInfoVer1 == 0x10018 && kNvPowerTopologyStatusVer1 == 0x10048);

// ---- Power policies; limits in per-cent-mille ----
inline constexpr uint32_t kNvPowerPolicyFlagMask = 0x1;  // bit 0 of a status entry's flags

struct NvPowerPolicyInfoEntry {
    uint32_t policyId;
    uint32_t channel;
    uint32_t reserved0;
    uint32_t minPcm;
    uint32_t reserved1[2];
    uint32_t defaultPcm;
    uint32_t reserved2[2];
    uint32_t maxPcm;
    uint32_t reserved3;
};

struct NvPowerPoliciesInfo {
    uint32_t version;
    uint8_t supported;
    uint8_t count;
    uint8_t reserved[2];
    NvPowerPolicyInfoEntry entries[kNvMaxPowerEntries];
};

struct NvPowerPolicyStatusEntry {
    uint32_t policyId;
    uint32_t flags;
    uint32_t powerPcm;
    uint32_t reserved;
};

struct NvPowerPoliciesStatus {
    uint32_t version;
    uint8_t count;
    uint8_t reserved[3];
    NvPowerPolicyStatusEntry entries[kNvMaxPowerEntries];
};
static_assert(sizeof(NvPowerPolicyInfoEntry) == 44);
static_assert(offsetof(NvPowerPolicyInfoEntry, channel) == 4);
static_assert(offsetof(NvPowerPolicyInfoEntry, minPcm) == 12);
static_assert(offsetof(NvPowerPolicyInfoEntry, defaultPcm) == 24);
static_assert(offsetof(NvPowerPolicyInfoEntry, maxPcm) == 36);
static_assert(sizeof(NvPowerPoliciesInfo) == 184);
static_assert(offsetof(NvPowerPoliciesInfo, entries) == 8);
static_assert(sizeof(NvPowerPolicyStatusEntry) == 16);
static_assert(sizeof(NvPowerPoliciesStatus) == 72);
inline constexpr uint32_t kNvPowerPoliciesInfoVer1 = NvVersionWord(184, 1);
inline constexpr uint32_t kNvPowerPoliciesStatusVer1 = NvVersionWord(72, 1);
static_assert(kNvPowerPoliciesInfoVer1 == 0x100B8 && kNvPowerPoliciesStatusVer1 == 0x10048);

// ---- Thermal policies (version 2); limits in 1/256 degC ----
inline constexpr uint32_t kNvMaxThermalPolicies = 4;
inline constexpr uint8_t kNvThermalPoliciesSupported = 0x1;  // bit 0 of the info flags
inline constexpr uint8_t kNvThermalPriorityFlag = 0x1;       // bit 0 of a status entry's flags
inline constexpr int32_t kNvThermalUnitsPerDegree = 256;

struct NvThermalPolicyInfoEntry {
    uint32_t policyId;
    uint32_t reserved0;
    int32_t minLimit;
    int32_t defaultLimit;
    int32_t maxLimit;
    uint32_t reserved1;
};

struct NvThermalPoliciesInfoV2 {
    uint32_t version;
    uint8_t flags;
    uint8_t count;
    uint8_t reserved[2];
    NvThermalPolicyInfoEntry entries[kNvMaxThermalPolicies];
};

struct NvThermalPolicyStatusEntry {
    uint32_t policyId;
    int32_t value;
    uint8_t flags;
    uint8_t reserved[3];
};

struct NvThermalPoliciesStatusV2 {
    uint32_t version;
    uint8_t count;
    uint8_t reserved[3];
    NvThermalPolicyStatusEntry entries[kNvMaxThermalPolicies];
};
static_assert(sizeof(NvThermalPolicyInfoEntry) == 24);
static_assert(offsetof(NvThermalPolicyInfoEntry, minLimit) == 8);
static_assert(sizeof(NvThermalPoliciesInfoV2) == 104);
static_assert(offsetof(NvThermalPoliciesInfoV2, entries) == 8);
static_assert(sizeof(NvThermalPolicyStatusEntry) == 12);
static_assert(sizeof(NvThermalPoliciesStatusV2) == 56);
static_assert(offsetof(NvThermalPoliciesStatusV2, entries) == 8);
inline constexpr uint32_t kNvThermalPoliciesInfoVer2 = NvVersionWord(104, 2);
inline constexpr uint32_t kNvThermalPoliciesStatusVer2 = NvVersionWord(56, 2);
static_assert(kNvThermalPoliciesInfoVer2 == 0x20068 && kNvThermalPoliciesStatusVer2 == 0x20038);

// ---- Cooler settings and levels ----
inline constexpr uint32_t kNvCoolerTargetAll = 7;
inline constexpr uint32_t kNvMaxCoolers = 20;
inline constexpr uint32_t kNvMaxCoolersV1 = 3;
inline constexpr uint32_t kNvCoolerPolicyManual = 0x1;
inline constexpr uint32_t kNvCoolerPolicyDefault = 0x20;  // the driver's automatic control

struct NvCoolerEntryV4 {
    uint32_t type;
    uint32_t controller;
    uint32_t defaultMinLevel;
    uint32_t defaultMaxLevel;
    uint32_t currentMinLevel;
    uint32_t currentMaxLevel;
    uint32_t currentLevel;
    uint32_t defaultPolicy;
    uint32_t currentPolicy;
    uint32_t target;
    uint32_t controlType;
    uint32_t active;
    uint32_t reserved[5];
};

// Versions 1 and 2: the same fields without the five trailing words, so only the first
// cooler sits where version 4 puts it; further coolers follow at 48-byte steps.
struct NvCoolerEntryV1 {
    uint32_t type;
    uint32_t controller;
    uint32_t defaultMinLevel;
    uint32_t defaultMaxLevel;
    uint32_t currentMinLevel;
    uint32_t currentMaxLevel;
    uint32_t currentLevel;
    uint32_t defaultPolicy;
    uint32_t currentPolicy;
    uint32_t target;
    uint32_t controlType;
    uint32_t active;
};

struct NvCoolerSettingsV4 {
    uint32_t version;
    uint32_t count;
    NvCoolerEntryV4 cooler[kNvMaxCoolers];
};

struct NvCoolerSettingsV1 {
    uint32_t version;
    uint32_t count;
    NvCoolerEntryV1 cooler[kNvMaxCoolersV1];
};

struct NvCoolerSettingsV2 {
    uint32_t version;
    uint32_t count;
    NvCoolerEntryV1 cooler[kNvMaxCoolers];
};

struct NvCoolerLevel {
    uint32_t level;  // percent
    uint32_t policy;
};

struct NvCoolerLevels {
    uint32_t version;
    NvCoolerLevel levels[kNvMaxCoolers];
};
static_assert(sizeof(NvCoolerEntryV4) == 68);
static_assert(sizeof(NvCoolerEntryV1) == 48);
static_assert(sizeof(NvCoolerSettingsV4) == 1368);
static_assert(sizeof(NvCoolerSettingsV1) == 152);
static_assert(sizeof(NvCoolerSettingsV2) == 968);
static_assert(sizeof(NvCoolerLevels) == 164);
// Largest of the three, so one buffer serves every version.
inline constexpr size_t kNvCoolerSettingsMaxSize = sizeof(NvCoolerSettingsV4);
inline constexpr uint32_t kNvCoolerSettingsVer1 = NvVersionWord(152, 1);
inline constexpr uint32_t kNvCoolerSettingsVer2 = NvVersionWord(968, 2);
inline constexpr uint32_t kNvCoolerSettingsVer4 = NvVersionWord(1368, 4);
inline constexpr uint32_t kNvCoolerLevelsVer1 = NvVersionWord(164, 1);
static_assert(kNvCoolerSettingsVer1 == 0x10098 && kNvCoolerSettingsVer2 == 0x203C8);
static_assert(kNvCoolerSettingsVer4 == 0x40558 && kNvCoolerLevelsVer1 == 0x100A4);

// ---- Display driver version ----
struct NvDisplayDriverVersion {
    uint32_t version;
    uint32_t driverVersion;  // 41142 is release 411.42
    uint32_t buildChangelist;
    char buildBranch[kNvShortStringSize];
    char adapter[kNvShortStringSize];
};
static_assert(sizeof(NvDisplayDriverVersion) == 140);
inline constexpr uint32_t kNvDisplayDriverVersionVer1 = NvVersionWord(140, 1);
static_assert(kNvDisplayDriverVersionVer1 == 0x1008C);

// ---- Chipset info (versions 2, 3, 4 each extend the previous) ----
struct NvChipsetInfoV2 {
    uint32_t version;
    uint32_t vendorId;
    uint32_t deviceId;
    char vendorName[kNvShortStringSize];
    char chipsetName[kNvShortStringSize];
    uint32_t flags;
};

struct NvChipsetInfoV3 {
    uint32_t version;
    uint32_t vendorId;
    uint32_t deviceId;
    char vendorName[kNvShortStringSize];
    char chipsetName[kNvShortStringSize];
    uint32_t flags;
    uint32_t subSysVendorId;
    uint32_t subSysDeviceId;
    char subSysVendorName[kNvShortStringSize];
};

struct NvChipsetInfoV4 {
    uint32_t version;
    uint32_t vendorId;
    uint32_t deviceId;
    char vendorName[kNvShortStringSize];
    char chipsetName[kNvShortStringSize];
    uint32_t flags;
    uint32_t subSysVendorId;
    uint32_t subSysDeviceId;
    char subSysVendorName[kNvShortStringSize];
    uint32_t hostBridgeVendorId;
    uint32_t hostBridgeDeviceId;
    uint32_t hostBridgeSubSysVendorId;
    uint32_t hostBridgeSubSysDeviceId;
};
static_assert(sizeof(NvChipsetInfoV2) == 144);
static_assert(sizeof(NvChipsetInfoV3) == 216);
static_assert(sizeof(NvChipsetInfoV4) == 232);
static_assert(offsetof(NvChipsetInfoV4, vendorName) == 12);
inline constexpr uint32_t kNvChipsetInfoVer2 = NvVersionWord(144, 2);
inline constexpr uint32_t kNvChipsetInfoVer3 = NvVersionWord(216, 3);
inline constexpr uint32_t kNvChipsetInfoVer4 = NvVersionWord(232, 4);
static_assert(kNvChipsetInfoVer2 == 0x20090 && kNvChipsetInfoVer3 == 0x300D8);
static_assert(kNvChipsetInfoVer4 == 0x400E8);

// ---- I2C transaction (version 3) ----
// Holds two pointers, so its size follows the build: 44 bytes in 32-bit code, 64 in 64-bit.
inline constexpr uint32_t kNvI2cDisplayMask = 0x100;
inline constexpr uint32_t kNvI2cLegacySpeedDefault = 0xFFFF;  // "use the speed field"
inline constexpr uint32_t kNvI2cSpeed400kHz = 6;

struct NvI2cInfoV3 {
    uint32_t version;
    uint32_t displayMask;
    uint8_t isDdcPort;
    uint8_t deviceAddress;  // 8-bit (shifted) form
    const uint8_t* registerAddress;
    uint32_t registerAddressSize;
    const uint8_t* data;
    uint32_t size;
    uint32_t legacySpeed;
    uint32_t speed;
    uint8_t portId;
    uint32_t isPortIdSet;
};
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(NvI2cInfoV3) == 64);
static_assert(offsetof(NvI2cInfoV3, registerAddress) == 16);
static_assert(offsetof(NvI2cInfoV3, data) == 32);
static_assert(offsetof(NvI2cInfoV3, size) == 40);
static_assert(offsetof(NvI2cInfoV3, portId) == 52);
static_assert(offsetof(NvI2cInfoV3, isPortIdSet) == 56);
#else
static_assert(sizeof(NvI2cInfoV3) == 44);
#endif
inline constexpr uint32_t kNvI2cInfoVer3 = NvVersionWord(sizeof(NvI2cInfoV3), 3);

}  // namespace nvapi
