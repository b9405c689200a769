// The program's own update version: the integer the update check compares with the server's
// descriptor and keeps in "/Velmora/Version". Defined once, beside the product version in the
// top CMakeLists.txt; the delivered "Velmora.xml" is made with the same number.
#pragma once

#include <cstdint>

namespace velmora {

class ConfigFile;

// Windows-free.
int32_t ProgramUpdateVersion();

// An upgrade keeps the user's "Velmora.xml", and with it the old program's number: the update
// check would offer the update just installed at every start. So an existing
// "/Velmora/Version" whose value (read as the update check reads it) is not this program's is
// replaced and the file saved; nothing else changes. A file without the element stays without
// it: without a version the update check does not run, and the program adds no element beyond
// its three. `cfg` is open. True when the file was changed.
bool StoreProgramUpdateVersion(ConfigFile& cfg);

}  // namespace velmora
