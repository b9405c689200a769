#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "gpu/NvapiEntries.h"
#include "sim/SimHost.h"
#include "sim/SimInterface.h"
#include "sim/StateText.h"

namespace velmora::sim {
namespace {
namespace fs = std::filesystem;

std::map<std::string, std::string> ReadState(const fs::path& p) { return ReadStateFile(p); }

class SimHostFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("velmora_sim_host_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        scenario = dir / "scenario.txt";
        state = dir / "state.txt";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void WriteScenario(const std::string& text) {
        ASSERT_TRUE(WriteFileAtomically(scenario, text));
    }

    fs::path dir, scenario, state;
    double now = 100.0;
    Simulator sim;
};

TEST_F(SimHostFiles, ReloadsTheScenarioWhenItChangesAndKeepsTheCardsState) {
    WriteScenario("load = idle\n");
    SimHost host(sim, scenario, state, [this] { return now; });
    ASSERT_EQ(sim.Gpu(0).gpuSpec().load, LoadKind::Idle);
    ASSERT_EQ(sim.Gpu(0).SetClockOffset(0, 100000), kOk);

    WriteScenario("load = idle\ntemperature = 70\nfail GetThermalSettings -1\n");
    now += 0.05;  // polled at most every 100 ms
    host.BeforeCall();
    EXPECT_FALSE(sim.Gpu(0).gpuSpec().forcedTemperatureC.has_value());
    now += 0.1;
    host.BeforeCall();
    EXPECT_EQ(sim.Gpu(0).TemperatureC(), 70);
    EXPECT_EQ(sim.scenario().failures.size(), 1u);
    EXPECT_EQ(sim.Gpu(0).state().gpuOffsetKHz, 100000);  // the reload kept the offset

    // A broken text keeps the running scenario; fixing it applies the fix.
    WriteScenario("temperature = hot\n");
    now += 0.2;
    host.BeforeCall();
    EXPECT_EQ(sim.Gpu(0).TemperatureC(), 70);
    EXPECT_NE(host.lastError().find("line 1"), std::string::npos);
    WriteScenario("temperature = off\n");
    now += 0.2;
    host.BeforeCall();
    EXPECT_TRUE(host.lastError().empty());
    EXPECT_TRUE(sim.scenario().failures.empty());
    EXPECT_FALSE(sim.Gpu(0).gpuSpec().forcedTemperatureC.has_value());
}

TEST_F(SimHostFiles, StepsTheModelByTheClock) {
    SimHost host(sim, {}, {}, [this] { return now; });
    now += 12.5;
    host.BeforeCall();
    EXPECT_DOUBLE_EQ(sim.Now(), 12.5);
}

TEST_F(SimHostFiles, WritesStateAfterEverySetAndOtherwiseAtMostEvery250ms) {
    SimHost host(sim, {}, state, [this] { return now; });
    ScopedBinding bind(sim, &host);
    auto nv = nvapi::ResolveNvapiEntries(&QueryInterface);
    ASSERT_EQ(nv.initialize(), 0);
    host.WriteState();
    nvapi::NvPhysicalGpu gpu = sim.GpuHandle(0);

    nvapi::NvCoolerLevels levels{};
    levels.version = nvapi::kNvCoolerLevelsVer1;
    levels.levels[0] = {60, 1};
    ASSERT_EQ(nv.gpuSetCoolerLevels(gpu, 7, &levels), 0);  // no time has passed: written anyway
    auto keys = ReadState(state);
    EXPECT_EQ(keys["gpu0.cooler_policy"], "1");
    EXPECT_EQ(keys["gpu0.cooler_set_level"], "60");
    EXPECT_EQ(keys["gpu_count"], "1");
    EXPECT_EQ(keys["initialized"], "1");
    EXPECT_FALSE(fs::exists(state.string() + ".tmp"));

    // A reading 100 ms later does not rewrite; one 300 ms later does.
    std::string before = keys["time_s"];
    uint32_t rpm = 0;
    now += 0.1;
    ASSERT_EQ(nv.gpuGetTachReading(gpu, &rpm), 0);
    EXPECT_EQ(ReadState(state)["time_s"], before);
    now += 0.2;
    ASSERT_EQ(nv.gpuGetTachReading(gpu, &rpm), 0);
    EXPECT_NE(ReadState(state)["time_s"], before);
}

TEST_F(SimHostFiles, AtomicWriteReplacesTheWholeFile) {
    ASSERT_TRUE(WriteFileAtomically(state, std::string(10000, 'a')));
    ASSERT_TRUE(WriteFileAtomically(state, "short\n"));
    std::string text;
    ASSERT_TRUE(ReadFileText(state, text));
    EXPECT_EQ(text, "short\n");
    EXPECT_FALSE(fs::exists(state.string() + ".tmp"));
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "state.txt", "x"));
}

TEST(SimHostPath, ConvertsBetweenUnixAndWinePaths) {
    struct Case {
        const char* in;
        bool windows;
        const char* out;
    } cases[] = {
        {"/tmp/a/s.txt", true, "Z:\\tmp\\a\\s.txt"}, {"C:\\x\\s.txt", true, "C:\\x\\s.txt"},
        {"Z:\\tmp\\s.txt", false, "/tmp/s.txt"},     {"z:/tmp/s.txt", false, "/tmp/s.txt"},
        {"/tmp/s.txt", false, "/tmp/s.txt"},         {"rel/s.txt", true, "rel/s.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(HostPath(c.in, c.windows), c.out) << c.in;
}

}  // namespace
}  // namespace velmora::sim
