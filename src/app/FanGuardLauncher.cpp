#include "app/FanGuardLauncher.h"

namespace velmora {

bool StartFanGuard(const std::wstring& markerPath) {
    (void)markerPath;
    return false;
}

}  // namespace velmora
