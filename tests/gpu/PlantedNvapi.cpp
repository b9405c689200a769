// A stand-in "nvapi64.dll" planted beside the loader test and in its current directory; the
// loader must never pick it up. Its Initialize answers a status no driver uses.
#include <cstdint>

#include "gpu/NvapiEntries.h"

namespace {
constexpr nvapi::NvStatus kPlantedMarker = 12345;
nvapi::NvStatus PlantedInitialize() {
    return kPlantedMarker;
}
}  // namespace

extern "C" __declspec(dllexport) void* nvapi_QueryInterface(uint32_t id) {
    return id == nvapi::id::kInitialize ? reinterpret_cast<void*>(&PlantedInitialize) : nullptr;
}
