// The six readings a main-window gauge can show.
#pragma once

class NvidiaGpu;

namespace velmora {

struct GaugeSourceInfo {
    const wchar_t* title;
    float maximum;
};

constexpr int kGaugeSourceCount = 6;

// Title and scale of a source 0..5; null for any other value.
const GaugeSourceInfo* GaugeSourceFor(int source);

// The source's current value in the gauge's units; 0 when the reading fails.
float ReadGaugeValue(NvidiaGpu& gpu, int source);

}  // namespace velmora
