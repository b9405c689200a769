// Reading the fan curve ("/Velmora/FanDlg/FanMap") through an open configuration access.
#pragma once

#include "tuning/FanCurve.h"

namespace velmora {

class ConfigFile;

// False when the access is not open or "FanMap" is missing (values untouched).
bool ReadFanMap(const ConfigFile& config, FanMapValues& values);

}  // namespace velmora
