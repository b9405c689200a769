#include "LoadProfile.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {
namespace {

// One round of the game profile: menu idle, ramp into play, play, ramp out.
constexpr double kGameCycleS = 150.0;
constexpr double kIdleEndS = 25.0;
constexpr double kRampS = 5.0;
constexpr double kPlayEndS = kGameCycleS - kRampS;
constexpr double kPlayLoadPct = 86.0;
constexpr double kIdleLoadPct = 3.0;

uint32_t Hash(uint32_t seed, int64_t knot) {
    uint64_t x = static_cast<uint64_t>(knot) * 0x9E3779B97F4A7C15ull + seed * 0xBF58476D1CE4E5B9ull;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 29;
    return static_cast<uint32_t>(x);
}

double KnotValue(uint32_t seed, int64_t knot) {
    return Hash(seed, knot) / 4294967295.0 * 2.0 - 1.0;
}

double SmoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

}  // namespace

double SmoothNoise(uint32_t seed, double t, double period) {
    double x = t / period;
    double k = std::floor(x);
    double f = x - k;
    auto knot = static_cast<int64_t>(k);
    double a = KnotValue(seed, knot);
    double b = KnotValue(seed, knot + 1);
    return a + (b - a) * SmoothStep(f);
}

Utilisation LoadAt(LoadKind kind, double fixedPct, uint32_t seed, double t) {
    Utilisation u;
    switch (kind) {
        case LoadKind::Fixed:
            u.gpuPct = fixedPct;
            u.memoryPct = fixedPct * 0.6;
            return u;
        case LoadKind::Idle:
            u.gpuPct = kIdleLoadPct + 2.0 * SmoothNoise(seed, t, 4.0);
            u.memoryPct = 1.0 + 1.0 * std::abs(SmoothNoise(seed + 7, t, 5.0));
            return u;
        case LoadKind::Game:
            break;
    }
    // Seed 1 starts in play (the demo shows a busy card at once); each other seed starts at its
    // own place in the cycle, so two cards do not move in step.
    double phase = std::fmod(t + kIdleEndS + kRampS + ((seed - 1) % 97) * 41.0, kGameCycleS);
    double play =
        SmoothStep((phase - kIdleEndS) / kRampS) * (1.0 - SmoothStep((phase - kPlayEndS) / kRampS));
    double busy = kPlayLoadPct + 9.0 * SmoothNoise(seed, t, 3.0) +
                  5.0 * SmoothNoise(seed + 1, t, 0.9) +
                  // an occasional heavy dip: a loading screen or a cut scene
                  std::min(0.0, 40.0 * SmoothNoise(seed + 2, t, 17.0) + 22.0);
    double idle = kIdleLoadPct + 2.0 * SmoothNoise(seed + 3, t, 4.0);
    u.gpuPct = std::clamp(idle + (busy - idle) * play, 0.0, 100.0);
    u.memoryPct = std::clamp(u.gpuPct * 0.55 + 6.0 * SmoothNoise(seed + 4, t, 2.0), 0.0, 100.0);
    return u;
}

}  // namespace velmora::sim
