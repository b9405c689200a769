// libFuzzer entry: any bytes as a pack; every directory entry is then looked up.
#include <cstddef>
#include <cstdint>

#include "toolkit/SkinPackReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::SkinPackReader reader;
    if (!reader.OpenBytes(data, size)) return 0;
    std::vector<uint8_t> out;
    for (const velmora::PictureInfo& e : reader.Directory()) reader.GetImageBytes(e.Name(), out);
    reader.GetImageBytes(u"main.png", out);
    return 0;
}
