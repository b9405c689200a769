// NvidiaGpu: the one object through which the program reads and sets an NVIDIA card. It turns
// NVAPI records into readings in everyday units and settings back into records. It owns no
// driver: the entry table comes from the loader (or, in tests, from the simulated card) and
// is attached before Initialize(). Called from the user-interface thread only; no locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "gpu/GpuReadings.h"
#include "gpu/NvapiEntries.h"

// Where the few messages meant for the user go; the application shows them as message boxes
// without an owner window. iconFlags uses the message-box icon values below.
using UserMessageSink =
    std::function<void(const std::wstring& text, const std::wstring& caption, unsigned iconFlags)>;
inline constexpr unsigned kUserMessageIconError = 0x10;        // MB_ICONERROR
inline constexpr unsigned kUserMessageIconInformation = 0x40;  // MB_ICONINFORMATION

// Cooler policy codes accepted by SetCoolerLevel (the windows use kCoolerCodeManual).
inline constexpr int32_t kCoolerCodeManual = 1;
inline constexpr int32_t kCoolerCodeDefault = 20;
// SetCoolerLevel's level that asks for the driver's default minimum level and policy.
inline constexpr int32_t kCoolerLevelDriverDefault = -1;

// PCI device ids whose base-clock query includes the user's offset (see GetInfoStrings).
inline constexpr uint32_t kDeviceIdOffsetInBaseGpuAndMemory = 0x0FC8;
inline constexpr uint32_t kDeviceIdOffsetInBaseMemory = 0x1402;

class NvidiaGpu {
  public:
    NvidiaGpu() = default;
    explicit NvidiaGpu(const nvapi::NvapiEntries& entries) : nv_(entries) {}
    NvidiaGpu(const NvidiaGpu&) = delete;
    NvidiaGpu& operator=(const NvidiaGpu&) = delete;

    // Replaces the entry table; call before Initialize().
    void Attach(const nvapi::NvapiEntries& entries) { nv_ = entries; }
    void SetUserMessageSink(UserMessageSink sink) { messageSink_ = std::move(sink); }

    // ---- start-up, GPU table, selection ----
    bool Initialize();
    bool EnumerateGpus();
    nvapi::NvStatus EnumerateDisplays();

    uint32_t gpuCount() const { return gpuCount_; }
    int32_t selectedIndex() const { return selectedIndex_; }
    uint32_t displayCount() const { return displayCount_; }
    uint32_t outputId() const { return outputId_; }
    nvapi::NvPhysicalGpu gpuHandle(uint32_t index) const;
    // Makes every later operation concern GPU `index`; refused outside 0 .. gpuCount-1.
    bool SelectGpu(int32_t index);

    // ---- readings ----
    // Degrees C, or a negative failure code (never a temperature).
    int32_t ReadGpuTemperature(GpuTemperature& out);
    bool ReadClocks(ClockReading& out, int32_t clockType);
    bool ReadUtilization(int32_t out[2]);
    bool ReadVoltage(VoltageReading& out);
    bool ReadMemoryUsage(MemoryUsage& out);
    bool ReadPower(PowerReading& out);
    bool ReadCooler(CoolerReading& out);
    bool GetCurrentPstate(int32_t& out);

    // ---- clocks, voltage, power and thermal targets ----
    void ReadPstateClocks(int32_t values[2], bool deltaRange);
    int32_t ReadClockOffset(int32_t clockIndex);
    bool SetClockOffset(uint32_t domainId, int32_t offsetMHz);
    bool SetVoltageDelta(int32_t deltaUv);
    bool SetOverVoltage(int32_t deltaUv);
    bool ReadOverVoltage(OverVoltage& out);
    bool ReadVoltageRange(VoltageRange& out);
    bool SetPowerTarget(uint32_t policyId, int32_t percent);
    bool SetTemperatureTarget(uint32_t policyId, float degC, bool priority);
    void SetTemperaturePriority(uint32_t policyId, bool priority);
    bool ReadTemperatureTarget(ThermalLimits& out);
    bool TemperatureForPower(uint32_t powerPolicyId, uint32_t thermalPolicyId, float powerPct,
                             float out[2]);
    bool PowerForTemperature(uint32_t powerPolicyId, uint32_t thermalPolicyId, float tempC,
                             float currentPowerPct, float out[2]);
    bool ResetToDefaults();

    // ---- cooler ----
    // Both act on the selected GPU. After a driver restart the GPU handles go stale: a fan
    // write or hand-back that meets a stale handle enumerates afresh and tries once more.
    bool SetCoolerLevel(int32_t levelPct, int32_t policyCode);
    bool RestoreCoolerDefault();
    // The hand-back for GPU `index` whichever GPU is selected: the fan that was taken is the
    // one to give back.
    bool RestoreCoolerDefaultOf(int32_t index);

    // ---- information sheet ----
    void GetInfoStrings(std::vector<std::wstring>& list);
    void GetClockStrings(std::vector<std::wstring>& list);
    void GetGpuName(std::wstring& out, nvapi::NvPhysicalGpu gpuHandle);
    // The name of GPU `index` of the table (empty when it cannot be read or there is none).
    void GetGpuNameOf(int32_t index, std::wstring& out);
    uint32_t GetDeviceId();
    int32_t gpuBaseClockMHz() const { return gpuBaseClockMHz_; }
    int32_t memoryBaseClockMHz() const { return memoryBaseClockMHz_; }
    int32_t memoryRateFactor() const { return memoryRateFactor_; }

    // ---- LED controller on the GPU's I2C bus ----
    bool I2cWrite(uint8_t deviceAddress, const uint8_t* data, uint32_t size);
    bool WriteLedPacket(const uint8_t* colours, size_t n, uint8_t effect, uint8_t brightness,
                        uint8_t speed);

  private:
    nvapi::NvPhysicalGpu SelectedGpu() const { return gpuHandles_[selectedIndex_]; }
    // The lazy GPU check: re-enumerate when the selected slot is empty.
    nvapi::NvPhysicalGpu SelectedGpuLazy();
    std::string ErrorText(nvapi::NvStatus status);
    // The chosen GPU's memory record (version 3, then 1); a driver without the per-GPU query
    // answers from the display query, which concerns the GPU driving the default display.
    nvapi::NvStatus ReadMemoryInfo(nvapi::NvMemoryInfoV3& info);
    // P-states 2.0 read, version 3 then 1 on an incompatible-version answer.
    nvapi::NvStatus ReadPstates20(nvapi::NvPstates20V2& info, uint32_t* versionUsed = nullptr);
    bool ReadClockOffsetChecked(int32_t clockIndex, int32_t& offsetMHz);
    bool ReadPowerPolicy(uint32_t policyId, nvapi::NvPowerPolicyInfoEntry& entry);
    bool ReadThermalPolicyForLink(uint32_t policyId, float& tmin, float& tdef, float& tmax);
    bool ReadVoltageCommon(int32_t& baseUv, int32_t& minUv, int32_t& maxUv, int32_t& absDeltaMinUv,
                           int32_t& currentUv, bool& currentValid);
    nvapi::NvStatus ReadCoolerSettings(nvapi::NvPhysicalGpu gpu, nvapi::NvCoolerSettingsV4& record,
                                       nvapi::NvStatus& firstStatus, uint32_t& version);
    void ShowCoolerFailureOnce(nvapi::NvStatus status);
    nvapi::NvStatus SetCoolerEntry(nvapi::NvPhysicalGpu gpu, uint32_t level, uint32_t policy);
    // Runs call(handle of GPU index); on a stale-handle answer, enumerates again and runs it
    // once more with the fresh handle.
    template <typename Call>
    nvapi::NvStatus WithFreshHandleRetry(int32_t index, Call call);
    // A base-clock read with the offset of `domainId` briefly at zero; false leaves baseMHz.
    bool ReadBaseClockWithoutOffset(uint32_t domainId, int32_t offsetMHz, bool memory,
                                    int32_t& baseMHz);

    nvapi::NvapiEntries nv_;
    UserMessageSink messageSink_;
    std::set<nvapi::NvStatus> coolerFailuresShown_;

    uint32_t gpuCount_ = 0;
    nvapi::NvPhysicalGpu gpuHandles_[nvapi::kNvMaxPhysicalGpus] = {};
    int32_t selectedIndex_ = 0;
    nvapi::NvDisplay displayHandles_[nvapi::kNvMaxDisplays] = {};
    uint32_t displayCount_ = 0;
    uint32_t outputId_ = 0;
    int32_t gpuBaseClockMHz_ = 0;
    int32_t memoryBaseClockMHz_ = 0;
    int32_t memoryRateFactor_ = 0;
};
