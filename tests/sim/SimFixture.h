// A simulator bound as the process' driver, reached through the same entry table the program
// uses, so tests exercise the driver surface and then look at the card's state.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "gpu/NvapiEntries.h"
#include "sim/SimInterface.h"

namespace velmora::sim::testing {

class SimTest : public ::testing::Test {
  protected:
    // Loads the scenario, initialises and enumerates; gpu is the first card's handle.
    void Start(std::string_view scenario = "") {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(scenario, &error)) << error;
        ASSERT_EQ(nv.initialize(), nvapi::kNvStatusOk);
        nvapi::NvPhysicalGpu handles[nvapi::kNvMaxPhysicalGpus] = {};
        uint32_t count = 0;
        ASSERT_EQ(nv.enumPhysicalGpus(handles, &count), nvapi::kNvStatusOk);
        ASSERT_GE(count, 1u);
        gpu = handles[0];
    }

    int32_t SetOffsetKHz(uint32_t domain, int32_t deltaKHz) {
        nvapi::NvPstates20V2 p{};
        p.version = nvapi::kNvPstates20Ver1;
        p.numPstates = 1;
        p.numClocks = 1;
        p.pstates[0].clocks[0].domainId = domain;
        p.pstates[0].clocks[0].freqDeltaKHz.value = deltaKHz;
        return nv.gpuSetPstates20(gpu, &p);
    }

    int32_t SetCooler(uint32_t level, uint32_t policy) {
        nvapi::NvCoolerLevels l{};
        l.version = nvapi::kNvCoolerLevelsVer1;
        l.levels[0] = {level, policy};
        return nv.gpuSetCoolerLevels(gpu, nvapi::kNvCoolerTargetAll, &l);
    }

    const GpuState& State(size_t i = 0) const { return sim.Gpu(i).state(); }

    Simulator sim;
    ScopedBinding binding{sim};
    nvapi::NvapiEntries nv = nvapi::ResolveNvapiEntries(&QueryInterface);
    nvapi::NvPhysicalGpu gpu = nullptr;
};

}  // namespace velmora::sim::testing
