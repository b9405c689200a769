#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ProgramVersion.h"

namespace velmora {

bool StoreProgramUpdateVersion(ConfigFile& cfg) {
    int32_t stored = 0;
    if (!cfg.ReadInt(kPathVersion, stored) || stored == ProgramUpdateVersion()) return false;
    return cfg.WriteInt(kPathVersion, ProgramUpdateVersion()) && cfg.Save();
}

}  // namespace velmora
