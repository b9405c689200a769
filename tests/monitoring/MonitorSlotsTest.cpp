// Which sensors the four graphs show, from the file and from the settings window, the sampling
// period, and one sample's readings on the simulated card.
#include "monitoring/MonitorSlots.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gpu/NvidiaGpu.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"

namespace velmora {
namespace {

SensorElement Graph(const wchar_t* text, const wchar_t* max, const wchar_t* min) {
    SensorElement e;
    e.exists = true;
    e.hasText = text != nullptr;
    if (text) e.text = text;
    e.hasMax = max != nullptr;
    if (max) e.maxText = max;
    e.hasMin = min != nullptr;
    if (min) e.minText = min;
    return e;
}

void ExpectSlot(const MonitorSlot& s, int sensor, int32_t min, int32_t max, const char* what) {
    EXPECT_EQ(s.sensor, sensor) << what;
    EXPECT_EQ(s.title, SensorTitle(sensor)) << what;
    EXPECT_EQ(s.scaleMin, min) << what;
    EXPECT_EQ(s.scaleMax, max) << what;
}

void ExpectEmpty(const MonitorSlot& s, const char* what) {
    EXPECT_EQ(s.sensor, 0) << what;
    EXPECT_EQ(s.title, L"") << what;
    EXPECT_EQ(s.scaleMin, 0) << what;
    EXPECT_EQ(s.scaleMax, 0) << what;
}

TEST(MonitorSlots, SixGraphsEnabledShowTheFirstFourInSensorOrder) {
    SensorElements e;
    for (int k = 0; k < kMonitorSensorCount; ++k) e[k] = Graph(L"0", L"100", L"0");
    for (int k : {1, 2, 4, 6, 7, 9}) e[k] = Graph(L"1", std::to_wstring(k * 100).c_str(), L"5");
    const MonitorSlots s = SlotsFromSection(e);
    ExpectSlot(s[0], 1, 5, 100, "slot 0");
    ExpectSlot(s[1], 2, 5, 200, "slot 1");
    ExpectSlot(s[2], 4, 5, 400, "slot 2");
    ExpectSlot(s[3], 6, 5, 600, "slot 3");
}

TEST(MonitorSlots, AGraphMissingItsElementTextOrMinFillsNoSlot) {
    SensorElements e;
    e[0] = Graph(L"1", L"2500", nullptr);  // no Min
    e[1] = Graph(nullptr, L"6500", L"0");  // no text
    e[2] = Graph(L"0", L"100", L"0");      // not selected
    e[3] = Graph(L" 2x", L"100", L"0");    // leading digits: selected
    e[5] = Graph(L"abc", L"2000", L"0");   // no digits reads 0
    e[6] = Graph(L"1", L"100", L"-10");    // taken
    const MonitorSlots s = SlotsFromSection(e);
    ExpectSlot(s[0], 3, 0, 100, "the first complete graph takes slot 0");
    ExpectSlot(s[1], 6, -10, 100, "negative bounds are bounds");
    ExpectEmpty(s[2], "nothing filled it");
    ExpectEmpty(s[3], "nothing filled it");
}

TEST(MonitorSlots, WithoutMaxTheSlotKeepsItsTitleAndSensorAndTakesTheMin) {
    SensorElements e;
    e[4] = Graph(L"1", nullptr, L"7");
    const MonitorSlots s = SlotsFromSection(e);
    EXPECT_EQ(s[0].title, L"");
    EXPECT_EQ(s[0].sensor, 0);
    EXPECT_EQ(s[0].scaleMax, 0);
    EXPECT_EQ(s[0].scaleMin, 7);
}

TEST(MonitorSlots, NoSectionShowsSensorZeroWithoutTitleOnScaleZero) {
    const MonitorSlots s = SlotsFromSection(SensorElements{});
    for (const MonitorSlot& slot : s) ExpectEmpty(slot, "no section");
}

MonitoringSettings Selected(std::initializer_list<int> sensors) {
    MonitoringSettings m;
    for (int k : sensors) {
        m.sensors[k].selected = true;
        m.sensors[k].maxText = std::to_wstring(k * 10 + 100);
        m.sensors[k].minText = std::to_wstring(k);
    }
    return m;
}

TEST(MonitorSlots, SettingsClearOnlyTheGraphsWhoseSensorChanged) {
    SensorElements e;
    for (int k : {0, 2, 3, 6}) e[k] = Graph(L"1", L"100", L"0");
    MonitorSlots slots = SlotsFromSection(e);
    std::array<bool, kMonitorSlotCount> changed{};

    // Same sensors, other scales: no history is lost.
    ApplySettingsToSlots(Selected({0, 2, 3, 6}), slots, changed);
    EXPECT_EQ(changed, (std::array<bool, 4>{false, false, false, false}));
    ExpectSlot(slots[0], 0, 0, 100, "slot 0");
    ExpectSlot(slots[3], 6, 6, 160, "slot 3");

    // Sensor 2 replaced by 7: slots 1..3 shift, each of them now shows another sensor.
    ApplySettingsToSlots(Selected({0, 3, 6, 7, 9}), slots, changed);
    EXPECT_EQ(changed, (std::array<bool, 4>{false, true, true, true}));
    ExpectSlot(slots[1], 3, 3, 130, "slot 1");
    ExpectSlot(slots[3], 7, 7, 170, "slot 3 (sensor 9 is the fifth and left out)");

    // Fewer than four selected: the slots beyond keep what they had.
    ApplySettingsToSlots(Selected({5}), slots, changed);
    EXPECT_EQ(changed, (std::array<bool, 4>{true, false, false, false}));
    ExpectSlot(slots[0], 5, 5, 150, "slot 0");
    ExpectSlot(slots[1], 3, 3, 130, "slot 1 untouched");
}

TEST(MonitorSlots, SamplingPeriodIsKeptWithinTheSettingsPagesRange) {
    const struct {
        int32_t configured, used;
    } cases[] = {{0, 1000},    {-5, 1000},     {1, 100},       {99, 100},  {100, 100},
                 {1000, 1000}, {60000, 60000}, {60001, 60000}, {250, 250}, {INT32_MAX, 60000}};
    for (const auto& c : cases) EXPECT_EQ(SamplingPeriodMs(c.configured), c.used) << c.configured;
}

class SamplesOnSimulatedCard : public testing::Test {
  protected:
    void Start(const std::string& scenario) {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(scenario, &error)) << error;
        binding = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        sim.Advance(20.0);
    }
    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding;
    NvidiaGpu gpu;
};

TEST_F(SamplesOnSimulatedCard, EverySensorReadsTheCardInItsGraphsUnit) {
    Start("load = 80\ntemperature = 71\n");
    const sim::GpuModel& card = sim.Gpu(0);
    const int32_t expected[kMonitorSensorCount] = {
        static_cast<int32_t>(card.GpuClockKHz() / 1000),
        static_cast<int32_t>(card.MemoryClockKHz() / 1000),
        71,
        static_cast<int32_t>(card.state().loadPct),
        static_cast<int32_t>(card.MemoryUsedKB() / 1024),
        static_cast<int32_t>(card.VoltageUv() / 1000),
        static_cast<int32_t>(card.CoolerLevel()),
        static_cast<int32_t>(card.TachRpm()),
        static_cast<int32_t>(card.PowerPcm() / 1000),
        static_cast<int32_t>(card.ProcessorClockKHz() / 1000),
    };
    for (int k = 0; k < kMonitorSensorCount; ++k) {
        EXPECT_EQ(ReadSensor(gpu, k), expected[k]) << SensorTitle(k);
        EXPECT_NE(ReadSensor(gpu, k), 0) << SensorTitle(k);
    }
    EXPECT_EQ(ReadSensor(gpu, 10), 0);
    EXPECT_EQ(ReadSensor(gpu, -1), 0);
}

TEST_F(SamplesOnSimulatedCard, AFailedReadingIsZeroNotWhatCameBefore) {
    Start(
        "load = 80\ntemperature = 71\n"
        "fail GetThermalSettings\nfail GetAllClockFrequencies\nfail GetCoolerSettings\n"
        "fail GetTachReading\nfail GetDynamicPstatesInfoEx\n");
    for (int k : {kSensorGpuTemperature, kSensorGpuClock, kSensorMemoryClock, kSensorShaderClock,
                  kSensorGpuUsage}) {
        EXPECT_EQ(ReadSensor(gpu, k), 0) << SensorTitle(k);
    }
}

TEST_F(SamplesOnSimulatedCard, OneSampleFillsTheTableOnlyForTheSensorsShown) {
    Start("load = 60\ntemperature = 64\n");
    MonitorSlots slots{};
    slots[0].sensor = kSensorGpuTemperature;
    slots[1].sensor = kSensorGpuUsage;
    slots[2].sensor = kSensorGpuTemperature;  // on two graphs: read twice
    slots[3].sensor = kSensorFanTachometer;
    std::array<int32_t, kMonitorSlotCount> perSlot{};
    int32_t table[kMonitorSensorCount];
    std::fill(std::begin(table), std::end(table), -1);
    ReadSample(gpu, slots, perSlot, table);
    EXPECT_EQ(perSlot[0], 64);
    EXPECT_EQ(perSlot[2], 64);
    EXPECT_EQ(table[kSensorGpuTemperature], 64);
    EXPECT_EQ(table[kSensorGpuUsage], 60);
    EXPECT_EQ(table[kSensorFanTachometer], perSlot[3]);
    for (int k : {0, 1, 4, 5, 6, 8, 9}) EXPECT_EQ(table[k], 0) << k;
}

}  // namespace
}  // namespace velmora
