// The eight-point fan curve: which fan level(s) a temperature asks for, as straight-line
// segments or as steps. Windows-free, so the rule is tested natively.
#pragma once

#include <cstdint>

namespace velmora {

struct FanCurvePoint {
    int32_t temperatureC;
    int32_t fanPercent;
};

inline constexpr int kFanCurvePointCount = 8;

// The curve as found in the settings file ("FanMap"); each has* is false when its attribute is
// missing, so the caller can keep its previous value for that field.
struct FanMapValues {
    bool hasTemperature[kFanCurvePointCount] = {};
    bool hasFanPercent[kFanCurvePointCount] = {};
    FanCurvePoint points[kFanCurvePointCount] = {};
    bool hasSteps = false;
    int32_t steps = 0;  // "blLine": nonzero = step curve
};

// The levels to set, in order: none, one, or two (the second write of a curve whose first two
// points share a temperature).
struct FanCurveLevels {
    int count;
    int32_t levels[2];
};

// Points are evaluated as stored; the editor keeps them in temperature order, but the rule
// does not depend on it beyond "the first matching line wins".
FanCurveLevels EvaluateFanCurve(const FanCurvePoint (&points)[kFanCurvePointCount], bool steps,
                                int32_t tempC);

}  // namespace velmora
