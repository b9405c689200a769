// The simulated driver: a machine of one or more cards (GpuModel), their LED controllers and
// the NVAPI entries answering as a driver would, with record versions, handle checks and the
// scenario's injected failures. Windows-free; the nvapi64.dll wraps one of these.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "GpuModel.h"
#include "LedController.h"
#include "Scenario.h"
#include "gpu/NvapiRecords.h"

namespace velmora::sim {

// Statuses beyond the ones the program tests for.
inline constexpr int32_t kNvStatusApiNotInitialized = -4;
inline constexpr int32_t kNvStatusDeviceNotFound = -6;

class Simulator {
  public:
    explicit Simulator(const Scenario& scenario = DefaultScenario());
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Replaces the scenario and keeps each card's state (settings, temperature, fan, LED);
    // cards beyond the new count are dropped, new ones start fresh.
    void SetScenario(const Scenario& scenario);
    bool LoadScenarioText(std::string_view text, std::string* error = nullptr);
    const Scenario& scenario() const { return scenario_; }

    // Simulated time, seconds.
    void Advance(double seconds);
    double Now() const { return now_; }

    // Observable state for tests and the state file.
    size_t GpuCount() const { return gpus_.size(); }
    const GpuModel& Gpu(size_t i) const { return gpus_.at(i); }
    GpuModel& Gpu(size_t i) { return gpus_.at(i); }
    const LedState& Led(size_t i) const { return leds_.at(i).state(); }
    nvapi::NvPhysicalGpu GpuHandle(size_t i) const;
    nvapi::NvDisplay DisplayHandle(size_t i) const;
    bool Initialized() const { return initCount_ > 0; }
    uint64_t SetOperations() const { return setOperations_; }

    // The "key = value" state text (keys in sim/README.md).
    std::string StateText() const;

    // NVAPI entries.
    int32_t Initialize();
    int32_t Unload();
    int32_t GetErrorMessage(int32_t status, char* text);
    int32_t EnumPhysicalGPUs(nvapi::NvPhysicalGpu* handles, uint32_t* count);
    int32_t EnumNvidiaDisplayHandle(uint32_t index, nvapi::NvDisplay* display);
    int32_t GetAssociatedDisplayOutputId(nvapi::NvDisplay display, uint32_t* outputId);
    int32_t GetDisplayDriverMemoryInfo(nvapi::NvDisplay display, nvapi::NvMemoryInfoV3* info);
    int32_t GpuGetMemoryInfo(nvapi::NvPhysicalGpu gpu, nvapi::NvMemoryInfoV3* info);
    int32_t GetDisplayDriverVersion(nvapi::NvDisplay display, nvapi::NvDisplayDriverVersion* info);
    int32_t SysGetChipSetInfo(nvapi::NvChipsetInfoV4* info);
    int32_t GetFullName(nvapi::NvPhysicalGpu gpu, char* name);
    int32_t GetPciIdentifiers(nvapi::NvPhysicalGpu gpu, uint32_t* deviceId, uint32_t* subSystemId,
                              uint32_t* revisionId, uint32_t* extDeviceId);
    int32_t GetVbiosVersionString(nvapi::NvPhysicalGpu gpu, char* text);
    int32_t GetAllClockFrequencies(nvapi::NvPhysicalGpu gpu, nvapi::NvClockFrequencies* clocks);
    int32_t GetDynamicPstatesInfoEx(nvapi::NvPhysicalGpu gpu, nvapi::NvDynamicPstatesInfoEx* info);
    int32_t GetCurrentPstate(nvapi::NvPhysicalGpu gpu, int32_t* pstate);
    int32_t GetPstates20(nvapi::NvPhysicalGpu gpu, nvapi::NvPstates20V2* info);
    int32_t SetPstates20(nvapi::NvPhysicalGpu gpu, const nvapi::NvPstates20V2* info);
    int32_t GetThermalSettings(nvapi::NvPhysicalGpu gpu, uint32_t sensorIndex,
                               nvapi::NvThermalSettingsV2* settings);
    int32_t GetTachReading(nvapi::NvPhysicalGpu gpu, uint32_t* rpm);
    int32_t ThermalPoliciesGetInfo(nvapi::NvPhysicalGpu gpu, nvapi::NvThermalPoliciesInfoV2* info);
    int32_t ThermalPoliciesGetStatus(nvapi::NvPhysicalGpu gpu,
                                     nvapi::NvThermalPoliciesStatusV2* status);
    int32_t ThermalPoliciesSetStatus(nvapi::NvPhysicalGpu gpu,
                                     const nvapi::NvThermalPoliciesStatusV2* status);
    int32_t I2cWrite(nvapi::NvPhysicalGpu gpu, nvapi::NvI2cInfoV3* info);
    int32_t I2cWriteEx(nvapi::NvPhysicalGpu gpu, nvapi::NvI2cInfoV3* info, uint32_t* unknown);
    int32_t GetMemoryType(nvapi::NvPhysicalGpu gpu, uint32_t* type);
    int32_t GetMemoryBusWidth(nvapi::NvPhysicalGpu gpu, uint32_t* bits);
    int32_t GetVoltageDomainsStatus(nvapi::NvPhysicalGpu gpu,
                                    nvapi::NvVoltageDomainsStatus* status);
    int32_t GetCoolerSettings(nvapi::NvPhysicalGpu gpu, uint32_t target,
                              nvapi::NvCoolerSettingsV4* settings);
    int32_t SetCoolerLevels(nvapi::NvPhysicalGpu gpu, uint32_t target,
                            const nvapi::NvCoolerLevels* levels);
    int32_t PowerTopologyGetInfo(nvapi::NvPhysicalGpu gpu, nvapi::NvPowerTopologyInfo* info);
    int32_t PowerTopologyGetStatus(nvapi::NvPhysicalGpu gpu, nvapi::NvPowerTopologyStatus* status);
    int32_t PowerPoliciesGetInfo(nvapi::NvPhysicalGpu gpu, nvapi::NvPowerPoliciesInfo* info);
    int32_t PowerPoliciesGetStatus(nvapi::NvPhysicalGpu gpu, nvapi::NvPowerPoliciesStatus* status);
    int32_t PowerPoliciesSetStatus(nvapi::NvPhysicalGpu gpu,
                                   const nvapi::NvPowerPoliciesStatus* status);
    int32_t ResetPrepare(nvapi::NvPhysicalGpu gpu, uint32_t mode);

  private:
    // The first checks of every entry: driver present, initialised, injected failure.
    int32_t Gate(std::string_view entry, uint32_t version = 0) const;
    // Gate plus the GPU handle; *index is the card on success.
    int32_t GateGpu(std::string_view entry, nvapi::NvPhysicalGpu gpu, size_t* index,
                    uint32_t version = 0) const;
    int32_t ResolveDisplay(nvapi::NvDisplay display, size_t* index) const;
    // One card's memory record, in the version the caller asked for (1 or 3).
    int32_t FillMemoryInfo(const GpuModel& g, nvapi::NvMemoryInfoV3* info) const;
    int32_t I2cTransfer(size_t gpu, const nvapi::NvI2cInfoV3* info);
    void Changed() { ++setOperations_; }

    Scenario scenario_;
    std::vector<GpuModel> gpus_;
    std::vector<LedController> leds_;
    int initCount_ = 0;
    double now_ = 0.0;
    uint64_t setOperations_ = 0;
    // Handles are addresses of these tokens: unique, stable and checkable. Each driver restart
    // moves the GPU handles to the next block of tokens, so older ones are recognised as stale.
    static constexpr size_t kHandleGenerations = 16;
    std::array<char, nvapi::kNvMaxPhysicalGpus * kHandleGenerations> gpuTokens_{};
    size_t handleGeneration_ = 0;
    std::array<char, nvapi::kNvMaxDisplays> displayTokens_{};
};

}  // namespace velmora::sim
