#include "config/ProgramVersion.h"

#ifndef VELMORA_UPDATE_VERSION
#error "VELMORA_UPDATE_VERSION comes from the top CMakeLists.txt"
#endif

namespace velmora {

int32_t ProgramUpdateVersion() {
    return VELMORA_UPDATE_VERSION;
}

}  // namespace velmora
