// Reading the fan curve ("/Velmora/FanDlg/FanMap") through an open configuration access.
#pragma once

#include <cstdint>

#include "tuning/FanCurve.h"

namespace velmora {

class ConfigFile;

// What "FanMap" holds; each has* is false when its attribute is missing, so the caller can keep
// its previous value for that field.
struct FanMapValues {
    bool hasTemperature[kFanCurvePointCount] = {};
    bool hasFanPercent[kFanCurvePointCount] = {};
    FanCurvePoint points[kFanCurvePointCount] = {};
    bool hasSteps = false;
    int32_t steps = 0;  // "blLine": nonzero = step curve
};

// False when the access is not open or "FanMap" is missing (values untouched).
bool ReadFanMap(const ConfigFile& config, FanMapValues& values);

}  // namespace velmora
