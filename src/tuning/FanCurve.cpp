#include "tuning/FanCurve.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace velmora {
namespace {

constexpr int kLast = kFanCurvePointCount - 1;

FanCurveLevels None() {
    return FanCurveLevels{0, {0, 0}};
}
FanCurveLevels One(int32_t level) {
    return FanCurveLevels{1, {level, 0}};
}
FanCurveLevels Two(int32_t first, int32_t second) {
    return FanCurveLevels{2, {first, second}};
}

// Truncation towards zero; a value the level type cannot hold (only from absurd stored points)
// lands on the nearest end instead of being undefined.
int32_t TruncateLevel(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// The level on segment k (X(k-1) < T <= Xk). The slope is worked out in double precision and
// kept as a float, and the line is measured from its lower end, so a falling segment is seen
// from its right end. Differences are taken in 64 bits: stored points may be any int32.
int32_t SegmentLevel(const FanCurvePoint& left, const FanCurvePoint& right, int32_t t) {
    const int64_t dy = std::llabs(int64_t{right.fanPercent} - left.fanPercent);
    const int64_t dx = std::llabs(int64_t{right.temperatureC} - left.temperatureC);
    const float slope = static_cast<float>(static_cast<double>(dy) / static_cast<double>(dx));
    float v;
    if (left.fanPercent < right.fanPercent) {
        v = slope * static_cast<float>(int64_t{t} - left.temperatureC) +
            static_cast<float>(left.fanPercent);
    } else {
        v = slope * static_cast<float>(int64_t{right.temperatureC} - t) +
            static_cast<float>(right.fanPercent);
    }
    return TruncateLevel(v);
}

FanCurveLevels EvaluateSteps(const FanCurvePoint (&p)[kFanCurvePointCount], int32_t t) {
    // X0 plays no part: up to X1 the fan runs at Y0 (Y1 exactly at X1).
    if (t <= p[1].temperatureC)
        return One(t == p[1].temperatureC ? p[1].fanPercent : p[0].fanPercent);
    for (int k = 2; k <= kLast; ++k) {
        if (p[k - 1].temperatureC < t && t <= p[k].temperatureC) {
            return One(t == p[k].temperatureC ? p[k].fanPercent : p[k - 1].fanPercent);
        }
    }
    if (p[kLast].temperatureC < t) return One(p[kLast].fanPercent);
    return None();
}

FanCurveLevels EvaluateLines(const FanCurvePoint (&p)[kFanCurvePointCount], int32_t t) {
    if (t <= p[0].temperatureC) {
        if (p[0].temperatureC == p[1].temperatureC) return Two(p[0].fanPercent, p[1].fanPercent);
        return One(p[0].fanPercent);
    }
    for (int k = 1; k <= kLast; ++k) {
        if (p[k - 1].temperatureC < t && t <= p[k].temperatureC) {
            // A vertical step to the next point: that point's level holds from here.
            if (k < kLast && p[k].temperatureC == p[k + 1].temperatureC) {
                return One(p[k + 1].fanPercent);
            }
            return One(SegmentLevel(p[k - 1], p[k], t));
        }
    }
    if (p[kLast].temperatureC < t) return One(p[kLast].fanPercent);
    return None();
}

}  // namespace

FanCurveLevels EvaluateFanCurve(const FanCurvePoint (&points)[kFanCurvePointCount], bool steps,
                                int32_t tempC) {
    return steps ? EvaluateSteps(points, tempC) : EvaluateLines(points, tempC);
}

}  // namespace velmora
