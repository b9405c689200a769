// A small programmable stand-in for the driver: canned records in, written records captured.
// For the unit tests of single rules (version retries, refusals, record fields); whole
// sessions run against the simulated card instead.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gpu/NvapiEntries.h"

struct FakeNvapi {
    // Statuses per entry name; an entry answers its status for the listed versions (0: any).
    struct Failure {
        uint32_t version;
        nvapi::NvStatus status;
    };
    std::map<std::string, std::vector<Failure>> failures;
    void Fail(const std::string& entry, nvapi::NvStatus status, uint32_t version = 0) {
        failures[entry].push_back({version, status});
    }

    nvapi::NvStatus initializeStatus = nvapi::kNvStatusOk;
    int unloadCalls = 0;
    uint32_t gpuCount = 1;
    uint32_t displays = 1;

    nvapi::NvThermalSettingsV2 thermal = {};
    nvapi::NvClockFrequencies clocks[3] = {};  // by clock type
    nvapi::NvDynamicPstatesInfoEx utilization = {};
    nvapi::NvVoltageDomainsStatus voltageDomains = {};
    nvapi::NvPstates20V2 pstates = {};
    nvapi::NvMemoryInfoV3 memory = {};
    nvapi::NvPowerTopologyInfo topologyInfo = {};
    nvapi::NvPowerTopologyStatus topologyStatus = {};
    nvapi::NvPowerPoliciesInfo powerInfo = {};
    nvapi::NvPowerPoliciesStatus powerStatus = {};
    nvapi::NvThermalPoliciesInfoV2 thermalInfo = {};
    nvapi::NvThermalPoliciesStatusV2 thermalStatus = {};
    nvapi::NvCoolerSettingsV4 cooler = {};       // answered to version 4
    nvapi::NvCoolerSettingsV2 coolerOlder = {};  // answered to versions 1 and 2
    uint32_t tachRpm = 0;
    int32_t pstate = 0;
    std::string fullName = "Fake GPU";
    std::string vbios = "86.04.50.00.70";
    uint32_t extDeviceId = 0x1C03;
    uint32_t memoryType = 8;
    uint32_t busWidth = 192;
    nvapi::NvDisplayDriverVersion driver = {};
    nvapi::NvChipsetInfoV4 chipset = {};
    std::string errorText = "NVAPI_ERROR";

    // Captured writes, in order.
    std::vector<nvapi::NvPstates20V2> pstateWrites;
    std::vector<nvapi::NvPowerPoliciesStatus> powerWrites;
    std::vector<nvapi::NvThermalPoliciesStatusV2> thermalWrites;
    std::vector<nvapi::NvCoolerLevels> coolerWrites;
    std::vector<uint32_t> coolerTargets;
    std::vector<uint32_t> coolerReadVersions;
    std::vector<uint32_t> pstateReadVersions;
    std::vector<uint32_t> clockReadVersions;
    std::vector<nvapi::NvI2cInfoV3> i2cWrites;
    std::vector<std::vector<uint8_t>> i2cBytes;
    std::vector<nvapi::NvI2cInfoV3> i2cExWrites;
    std::vector<nvapi::NvPhysicalGpu> handlesSeen;
    int resetPrepareCalls = 0;

    // Handle of GPU i as the fake hands it out.
    static nvapi::NvPhysicalGpu Handle(uint32_t i);

    // The entry table, wired to this object (one fake at a time).
    nvapi::NvapiEntries Entries();
    ~FakeNvapi();

    // A plausible card: one P-state 0 with GPU/memory clocks, a core voltage, power policy 0
    // on channel 0, thermal policy 1, one cooler.
    void SetUpTypicalCard();
};
