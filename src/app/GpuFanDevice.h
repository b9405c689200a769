// The fan control's view of the card: the one NvidiaGpu object of the process.
#pragma once

#include <cstdint>

#include "app/FanControl.h"

class NvidiaGpu;

namespace velmora {

class GpuFanDevice : public FanDevice {
  public:
    explicit GpuFanDevice(NvidiaGpu& gpu) : gpu_(gpu) {}

    int SelectedGpu() override;
    bool ReadTemperature(int32_t& celsius) override;
    bool ReadLevelRange(int32_t& minPct, int32_t& maxPct) override;
    bool SetLevel(int32_t percent) override;
    bool RestoreDefault(int gpu) override;

  private:
    NvidiaGpu& gpu_;
};

// Hands back the fan of each GPU in `held` (a FanHold mask) through `gpu`, whichever GPU it has
// selected; returns the GPUs whose hand-back failed.
uint64_t HandBackFans(NvidiaGpu& gpu, uint64_t held);

}  // namespace velmora
