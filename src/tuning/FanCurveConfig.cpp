#include "tuning/FanCurveConfig.h"

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"

namespace velmora {

bool ReadFanMap(const ConfigFile& config, FanMapValues& values) {
    if (!config.HasElement(kPathFanMap)) return false;
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        values.hasTemperature[i] =
            config.ReadIntAttribute(kPathFanMap, kFanMapAttrX[i], values.points[i].temperatureC);
        values.hasFanPercent[i] =
            config.ReadIntAttribute(kPathFanMap, kFanMapAttrY[i], values.points[i].fanPercent);
    }
    values.hasSteps = config.ReadIntAttribute(kPathFanMap, kAttrBlLine, values.steps);
    return true;
}

}  // namespace velmora
