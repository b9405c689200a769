// What the simulated card is asked to do over time: GPU and memory-controller utilisation as
// smooth, deterministic functions of the simulated time, so a test that steps the clock sees
// the same readings on every run.
#pragma once

#include <cstdint>

#include "Scenario.h"

namespace velmora::sim {

struct Utilisation {
    double gpuPct = 0.0;
    double memoryPct = 0.0;
};

// Utilisation of a card with this load profile at time t (seconds since the simulator
// started). The game profile alternates menu/desktop idle periods with play, where the load
// wanders between roughly 65 and 100 %.
Utilisation LoadAt(LoadKind kind, double fixedPct, uint32_t seed, double t);

// Smooth noise in [-1, 1] with about one wiggle per `period` seconds.
double SmoothNoise(uint32_t seed, double t, double period);

}  // namespace velmora::sim
