#include <gtest/gtest.h>

#include <filesystem>

#include "sim/Scenario.h"
#include "sim/SimHost.h"

namespace velmora::sim {
namespace {

TEST(SimScenario, EmptyTextIsTheBuiltInSingleGameCard) {
    Scenario s;
    ASSERT_TRUE(ParseScenario("", s));
    ASSERT_EQ(s.gpus.size(), 1u);
    EXPECT_TRUE(s.driverPresent);
    EXPECT_FALSE(s.olderDriver);
    EXPECT_EQ(s.gpus[0].load, LoadKind::Game);
    EXPECT_TRUE(s.gpus[0].ledController);
}

TEST(SimScenario, GlobalGpuKeysApplyToEveryCardAndSectionsOverride) {
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario(R"(# two cards
gpus = 2
driver = 411.42
memory_type = GDDR5X
ambient = 30.5
fail GetThermalSettings -1
fail NvAPI_GPU_GetAllClockFrequencies -9 version 3
[gpu 1]
name = Second # card
device_id = 0x0FC8
load = 40
temperature = 70
led = no
)",
                              s, &error))
        << error;
    ASSERT_EQ(s.gpus.size(), 2u);
    EXPECT_EQ(s.driverVersion, 41142u);
    for (const GpuSpec& g : s.gpus) {
        EXPECT_EQ(g.memoryType, 10u);
        EXPECT_DOUBLE_EQ(g.ambientC, 30.5);
    }
    EXPECT_EQ(s.gpus[1].name, "Second");
    EXPECT_EQ(s.gpus[1].deviceId, 0x0FC8u);
    EXPECT_EQ(s.gpus[1].load, LoadKind::Fixed);
    EXPECT_DOUBLE_EQ(s.gpus[1].fixedLoadPct, 40.0);
    EXPECT_EQ(s.gpus[1].forcedTemperatureC, 70.0);
    EXPECT_FALSE(s.gpus[1].ledController);
    EXPECT_TRUE(s.gpus[0].ledController);
    EXPECT_FALSE(s.gpus[0].forcedTemperatureC.has_value());
    ASSERT_EQ(s.failures.size(), 2u);
    EXPECT_EQ(s.failures[0].entry, "GPU_GetThermalSettings");
    EXPECT_EQ(s.failures[0].status, -1);
    EXPECT_EQ(s.failures[0].version, 0u);
    EXPECT_EQ(s.failures[1].entry, "GPU_GetAllClockFrequencies");
    EXPECT_EQ(s.failures[1].version, 3u);
}

TEST(SimScenario, DriverAbsentAndOlderGeneration) {
    Scenario s;
    ASSERT_TRUE(ParseScenario("driver = none\n", s));
    EXPECT_FALSE(s.driverPresent);
    ASSERT_TRUE(ParseScenario("driver_generation = old\n", s));
    EXPECT_TRUE(s.olderDriver);
}

TEST(SimScenario, RejectsBadTextAndSaysWhichLine) {
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"nonsense\n", "line 1"},
        {"\nunknown_key = 1\n", "line 2"},
        {"device_id = zz\n", "line 1"},
        {"fail NoSuchEntry -1\n", "line 1"},
        {"fail GetThermalSettings 0\n", "line 1"},
        {"[gpu]\ndriver = 41142\n", "line 2"},
        {"[display]\n", "line 1"},
        {"power_limits = 100 50 120\n", "power_limits"},
        {"fan_range = 30 120\n", "fan_range"},
        {"gpus = 1\n[gpu 3]\nname = x\n", "gpus"},
        {"load = 150\n", "line 1"},
        {"thermal_time_constant = 0\n", "line 1"},
    };
    for (const Case& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, s, &error)) << c.text;
        EXPECT_NE(error.find(c.line), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(SimScenario, ClearRemovesAnEarlierFailure) {
    Scenario s;
    ASSERT_TRUE(ParseScenario("fail I2CWrite -1\nfail I2CWriteEx -1\nclear I2CWrite\n", s));
    ASSERT_EQ(s.failures.size(), 1u);
    EXPECT_EQ(s.failures[0].entry, "I2CWriteEx");
}

TEST(SimScenario, EntryNamesAcceptTheUsualSpellings) {
    EXPECT_EQ(CanonicalEntryName("GetThermalSettings"), "GPU_GetThermalSettings");
    EXPECT_EQ(CanonicalEntryName("NvAPI_GPU_GetThermalSettings"), "GPU_GetThermalSettings");
    EXPECT_EQ(CanonicalEntryName("getchipsetinfo"), "SYS_GetChipSetInfo");
    EXPECT_EQ(CanonicalEntryName("NvAPI_Initialize"), "Initialize");
    EXPECT_EQ(CanonicalEntryName("Bogus"), "");
}

}  // namespace
}  // namespace velmora::sim

namespace velmora::sim {
namespace {

// The examples shipped beside the simulator must stay loadable.
TEST(SimScenario, ShippedExamplesParse) {
    namespace fs = std::filesystem;
    size_t seen = 0;
#ifdef _WIN32
    const bool windows = true;
#else
    const bool windows = false;
#endif
    for (const auto& entry : fs::directory_iterator(HostPath(VELMORA_SIM_SCENARIO_DIR, windows))) {
        if (entry.path().extension() != ".txt") continue;
        std::string text, error;
        ASSERT_TRUE(ReadFileText(entry.path(), text)) << entry.path();
        Scenario s;
        EXPECT_TRUE(ParseScenario(text, s, &error)) << entry.path() << ": " << error;
        ++seen;
    }
    EXPECT_GE(seen, 1u);
}

}  // namespace
}  // namespace velmora::sim
