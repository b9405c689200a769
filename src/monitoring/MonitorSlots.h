// The monitoring window's ten sensors and its four graph slots: which sensor each graph shows
// with which scale, as the "MonitoringDlg" section and the settings window give them, and the
// readings of one sample. Windows-free.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class NvidiaGpu;

namespace velmora {

inline constexpr int kMonitorSensorCount = 10;
inline constexpr int kMonitorSlotCount = 4;

// Sensor indexes, also the columns of the history log.
enum MonitorSensor : int {
    kSensorGpuClock = 0,
    kSensorMemoryClock,
    kSensorGpuTemperature,
    kSensorGpuUsage,
    kSensorMemoryUsage,
    kSensorGpuVoltage,
    kSensorFanSpeed,
    kSensorFanTachometer,
    kSensorPowerTarget,
    kSensorShaderClock,
};

// "GPU Clock,MHz" ... for the sensor; empty for an index outside 0..9.
const wchar_t* SensorTitle(int sensor);

// One graph: what it shows and against which scale.
struct MonitorSlot {
    std::wstring title;
    int32_t scaleMax = 0;
    int32_t scaleMin = 0;
    int sensor = kSensorGpuClock;
};
using MonitorSlots = std::array<MonitorSlot, kMonitorSlotCount>;

// One sensor's element of the "MonitoringDlg" section as the file holds it.
struct SensorElement {
    bool exists = false;
    bool hasText = false;
    std::wstring text;  // the selection flag
    bool hasMax = false;
    std::wstring maxText;
    bool hasMin = false;
    std::wstring minText;
};
using SensorElements = std::array<SensorElement, kMonitorSensorCount>;

// The graphs chosen in the file, in sensor order, at most four. A sensor is taken when its
// text reads as a nonzero integer and it carries both bounds; one without its "Min" fills no
// slot. Slots nothing filled keep an empty title, scale 0..0 and sensor 0.
MonitorSlots SlotsFromSection(const SensorElements& elements);

// What the Monitoring settings page hands an open monitoring window.
struct MonitoringSettings {
    std::wstring periodText;
    bool logEnabled = false;
    std::wstring logPath;
    struct Sensor {
        bool selected = false;
        std::wstring maxText;
        std::wstring minText;
    };
    std::array<Sensor, kMonitorSensorCount> sensors;
};

// The selected sensors take the slots in order, at most four, with their titles and bounds;
// slots beyond the selected ones stay as they are. True in `changedSensor[s]` when slot s now
// shows another sensor (its history goes).
void ApplySettingsToSlots(const MonitoringSettings& settings, MonitorSlots& slots,
                          std::array<bool, kMonitorSlotCount>& changedSensor);

// The sampling period for a configured one: a missing or zero period is the graphs' own one
// second; anything else is kept within 100 ms ... 60 s, so the driver is never polled as fast as
// the system allows.
int32_t SamplingPeriodMs(int32_t configuredMs);
inline constexpr int32_t kDefaultSamplingPeriodMs = 1000;
inline constexpr int32_t kMinSamplingPeriodMs = 100;
inline constexpr int32_t kMaxSamplingPeriodMs = 60000;

// One reading of a sensor in its graph's unit; 0 when the reading fails or the index is none.
int32_t ReadSensor(NvidiaGpu& gpu, int sensor);

// One sample: each slot's sensor read (a sensor on two graphs is read twice, the later reading
// wins in the table), into `slotValues` per graph and `table` per sensor (zero where no graph
// shows the sensor).
void ReadSample(NvidiaGpu& gpu, const MonitorSlots& slots,
                std::array<int32_t, kMonitorSlotCount>& slotValues,
                int32_t (&table)[kMonitorSensorCount]);

}  // namespace velmora
