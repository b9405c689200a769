// What a simulated machine looks like: its driver, its cards and the faults to inject.
// Parsed from a small "key = value" text (format in sim/README.md). Only parameters live
// here; the changing state of a card is in GpuModel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim {

enum class LoadKind { Game, Idle, Fixed };

struct GpuSpec {
    std::string name = "GeForce GTX 1060 6GB";
    // False: the name query answers an error for this card.
    bool nameReadable = true;
    uint32_t deviceId = 0x1C03;  // PCI device id; the vendor id is always NVIDIA's 0x10DE
    uint32_t subSystemId = 0x37331462;
    uint32_t revisionId = 0xA1;
    std::string vbios = "86.06.3C.00.1A";
    uint32_t memoryType = 8;  // GDDR5
    uint32_t memoryMB = 6144;
    uint32_t busWidthBits = 192;

    // Clocks, MHz.
    int32_t baseClockMHz = 1506;
    int32_t boostClockMHz = 1809;
    int32_t idleClockMHz = 300;
    int32_t memoryClockMHz = 4004;
    int32_t idleMemoryClockMHz = 405;
    // Allowed P-state 0 offsets, MHz.
    int32_t gpuOffsetMinMHz = -200;
    int32_t gpuOffsetMaxMHz = 1200;
    int32_t memoryOffsetMinMHz = -1000;
    int32_t memoryOffsetMaxMHz = 1000;
    bool pstatesEditable = true;

    // Voltages, microvolts. The core base-voltage delta may go down to -baseVoltage (the
    // floor is then only the clock's own voltage curve).
    int32_t baseVoltageUv = 850000;
    int32_t voltageDeltaMaxUv = 150000;
    int32_t topVoltageUv = 1050000;  // voltage at the boost clock
    int32_t idleVoltageUv = 650000;
    int32_t overVoltageMaxUv = 100000;

    // Power policy 0, percent of the board's default power.
    int32_t powerMinPct = 50;
    int32_t powerDefaultPct = 100;
    int32_t powerMaxPct = 120;
    bool powerSupported = true;
    uint32_t powerTopologyChannel = 0;
    uint32_t powerPolicyChannel = 0;

    // Thermal policy 1, degC.
    int32_t thermalMinC = 60;
    int32_t thermalDefaultC = 83;
    int32_t thermalMaxC = 92;
    bool thermalPoliciesSupported = true;

    // Cooler.
    int32_t fanMinPct = 30;
    int32_t fanMaxPct = 100;
    int32_t fanMaxRpm = 3000;

    // Thermal model.
    double ambientC = 25.0;
    double thermalTimeConstantS = 25.0;
    std::optional<double> forcedTemperatureC;

    // Load.
    LoadKind load = LoadKind::Game;
    double fixedLoadPct = 0.0;
    uint32_t seed = 1;

    bool ledController = true;
};

// A status an entry answers instead of doing its work; version 0 means every version.
struct InjectedFailure {
    std::string entry;  // canonical entry name, e.g. "GPU_GetThermalSettings"
    int32_t status = -1;
    uint32_t version = 0;
};

struct Scenario {
    bool driverPresent = true;
    bool olderDriver = false;
    uint32_t driverVersion = 41142;
    uint32_t buildChangelist = 24957401;
    std::string buildBranch = "r411_31";
    uint32_t displayCount = 1;
    uint32_t chipsetVendorId = 0x8086;
    uint32_t chipsetDeviceId = 0x3E30;
    std::string chipsetVendorName = "Intel";
    std::string chipsetName = "Host Bridge";
    std::vector<GpuSpec> gpus{GpuSpec{}};
    std::vector<InjectedFailure> failures;
    // How many times the display driver has restarted. Raising it makes every GPU handle
    // given out before stale (-10), as a driver crash or update does; cards keep their state.
    uint32_t driverRestarts = 0;
};

// Parses a scenario text; on error returns false and says which line in *error.
bool ParseScenario(std::string_view text, Scenario& out, std::string* error = nullptr);

// The built-in scenario: one card with a lively game-like load.
Scenario DefaultScenario();

// Canonical entry name for a name as a scenario may write it ("GetThermalSettings",
// "NvAPI_GPU_GetThermalSettings", "GPU_GetThermalSettings"); empty when unknown.
std::string CanonicalEntryName(std::string_view name);

// Every canonical entry name, in interface-table order.
const std::vector<std::string>& EntryNames();

}  // namespace velmora::sim
