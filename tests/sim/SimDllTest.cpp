// The built nvapi64.dll under wine: loaded by path, reached only through its one export,
// with a scenario and a state file given through the environment as the program would run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "gpu/NvapiEntries.h"

namespace {
using namespace nvapi;

std::string WinePath(std::string p) {
    if (!p.empty() && p[0] == '/') {
        for (char& c : p) c = c == '/' ? '\\' : c;
        p = "Z:" + p;
    }
    return p;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(SimDll, AnswersThroughQueryInterfaceAndFollowsItsScenarioFile) {
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    std::string scenario = std::string(temp) + "velmora_sim_dll_scenario.txt";
    std::string state = std::string(temp) + "velmora_sim_dll_state.txt";
    {
        std::ofstream out(scenario, std::ios::trunc);
        out << "name = Dll Card\nload = 40\ntemperature = 55\n";
    }
    DeleteFileA(state.c_str());
    SetEnvironmentVariableA("VELMORA_SIM_SCENARIO", scenario.c_str());
    SetEnvironmentVariableA("VELMORA_SIM_STATE", state.c_str());

    HMODULE dll = LoadLibraryA(WinePath(VELMORA_SIM_DLL_PATH).c_str());
    ASSERT_NE(dll, nullptr) << GetLastError();
    // FARPROC to the export's real type, through void* as Windows code does.
    auto query = reinterpret_cast<NvQueryInterfaceFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "nvapi_QueryInterface")));
    ASSERT_NE(query, nullptr);
    NvapiEntries nv = ResolveNvapiEntries(query);
    EXPECT_EQ(query(0x12345678u), nullptr);

    ASSERT_EQ(nv.initialize(), kNvStatusOk);
    NvPhysicalGpu gpus[kNvMaxPhysicalGpus] = {};
    uint32_t count = 0;
    ASSERT_EQ(nv.enumPhysicalGpus(gpus, &count), kNvStatusOk);
    ASSERT_EQ(count, 1u);
    char name[kNvShortStringSize] = {};
    ASSERT_EQ(nv.gpuGetFullName(gpus[0], name), kNvStatusOk);
    EXPECT_STREQ(name, "Dll Card");
    NvThermalSettingsV2 t{};
    t.version = kNvThermalSettingsVer2;
    ASSERT_EQ(nv.gpuGetThermalSettings(gpus[0], 0, &t), kNvStatusOk);
    EXPECT_EQ(t.sensor[0].currentC, 55);

    NvCoolerLevels levels{};
    levels.version = kNvCoolerLevelsVer1;
    levels.levels[0] = {70, kNvCoolerPolicyManual};
    ASSERT_EQ(nv.gpuSetCoolerLevels(gpus[0], kNvCoolerTargetAll, &levels), kNvStatusOk);
    std::string text = ReadAll(state);
    EXPECT_NE(text.find("gpu0.cooler_set_level = 70"), std::string::npos) << text;
    EXPECT_NE(text.find("gpu0.cooler_policy = 1"), std::string::npos) << text;

    // Changing the file while running injects a failure.
    {
        std::ofstream out(scenario, std::ios::trunc);
        out << "name = Dll Card\nload = 40\ntemperature = 55\nfail GetThermalSettings -1\n";
    }
    NvStatus status = kNvStatusOk;
    for (int i = 0; i < 50 && status == kNvStatusOk; ++i) {  // polled every 100 ms
        Sleep(50);
        status = nv.gpuGetThermalSettings(gpus[0], 0, &t);
    }
    EXPECT_EQ(status, kNvStatusError);
    DeleteFileA(scenario.c_str());
    DeleteFileA(state.c_str());
}

}  // namespace
