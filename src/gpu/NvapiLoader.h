// Loads the NVIDIA driver's NVAPI library and gives its entry table. Windows only.
#pragma once

#include "gpu/NvapiEntries.h"

// Loads "nvapi64.dll" from the system directory only (never the program folder or the
// current directory, where a planted copy could sit) and resolves every entry once into
// `entries`. The library stays loaded for the life of the process. False when there is no
// driver library or it lacks its query function; `entries` is then empty, and NvidiaGpu
// reports the library as not found.
bool LoadNvapiEntries(nvapi::NvapiEntries& entries);
