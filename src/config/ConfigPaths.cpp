#include "config/ConfigPaths.h"

namespace velmora {

std::vector<ConfigKey> AllConfigKeys() {
    std::vector<ConfigKey> keys = {
        {kPathVersion, nullptr},     {kPathStartMinized, nullptr}, {kPathUpadteCheck, nullptr},
        {kPathUpadteDay, nullptr},   {kPathUpdateWeek, nullptr},   {kPathUpadteMonth, nullptr},
        {kPathRefreshRate, nullptr}, {kPathBlLogToFile, nullptr},  {kPathLogToFilePath, nullptr},
    };
    for (const wchar_t* sensor : kPathSensors) {
        keys.push_back({sensor, nullptr});
        keys.push_back({sensor, kAttrMax});
        keys.push_back({sensor, kAttrMin});
    }
    keys.push_back({kPathQuickSightLeft, nullptr});
    keys.push_back({kPathQuickSightRight, nullptr});
    keys.push_back({kPathSaveToFilePath, nullptr});
    keys.push_back({kPathUiName, nullptr});
    keys.push_back({kPathHotKey, kAttrVirtualKeyCode});
    keys.push_back({kPathHotKey, kAttrModifiers});
    keys.push_back({kPathEnableFan, nullptr});
    keys.push_back({kPathAutoSystem, nullptr});
    keys.push_back({kPathUpdateTime, nullptr});
    for (int i = 0; i < kFanMapPointCount; ++i) {
        keys.push_back({kPathFanMap, kFanMapAttrX[i]});
        keys.push_back({kPathFanMap, kFanMapAttrY[i]});
    }
    keys.push_back({kPathFanMap, kAttrBlLine});
    keys.push_back({kPathFanManual, nullptr});
    for (const wchar_t* profile : kPathProfiles) {
        for (const wchar_t* attr : kProfileAttrs) keys.push_back({profile, attr});
    }
    for (const wchar_t* tmp : kPathLedTmp) {
        keys.push_back({tmp, kAttrNMin});
        keys.push_back({tmp, kAttrNMax});
        keys.push_back({tmp, kAttrRgb});
    }
    return keys;
}

}  // namespace velmora
