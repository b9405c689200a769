// Writes a few small packs as the fuzzer's seed corpus.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "PackWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream f(dir / name, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    };
    velmora::PackWriter empty;
    write("empty.dll", empty.Build());
    velmora::PackWriter two;
    two.Add(u"main.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    two.Add(u"main_close.png", {4, 5});
    two.Add(u"main.png", {});
    write("three.dll", two.Build());
    return 0;
}
