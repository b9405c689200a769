// skinpack: builds a skin pack from a folder of PNG files, lists a pack, extracts a pack.
//   skinpack build <folder> <pack>     every *.png of the folder, sorted by name
//   skinpack list <pack>               index, name, offset, size, PNG dimensions
//   skinpack extract <pack> <folder>   every entry with bytes, written under its name
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PackWriter.h"
#include "PngInfo.h"
#include "toolkit/SkinPackReader.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: skinpack build <folder> <pack>\n"
                 "       skinpack list <pack>\n"
                 "       skinpack extract <pack> <folder>\n");
    return 2;
}

bool ReadFile(const fs::path& p, std::vector<uint8_t>& out) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int Build(const fs::path& folder, const fs::path& pack) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file() && e.path().extension() == ".png") files.push_back(e.path());
    if (ec) {
        std::fprintf(stderr, "skinpack: cannot read folder %s\n", folder.string().c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    PackWriter writer;
    for (const fs::path& f : files) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(f, bytes)) {
            std::fprintf(stderr, "skinpack: cannot read %s\n", f.string().c_str());
            return 1;
        }
        const std::u16string wide = f.filename().u16string();
        const std::string name = Utf16ToUtf8(wide);
        if (!writer.Add(wide, std::move(bytes))) {
            std::fprintf(stderr, "skinpack: name too long (31 characters at most): %s\n",
                         name.c_str());
            return 1;
        }
    }
    if (!WriteFile(pack, writer.Build())) {
        std::fprintf(stderr, "skinpack: cannot write %s\n", pack.string().c_str());
        return 1;
    }
    std::printf("%zu pictures -> %s\n", files.size(), pack.string().c_str());
    return 0;
}

int List(const fs::path& pack) {
    SkinPackReader reader;
    if (!reader.Open(pack)) {
        std::fprintf(stderr, "skinpack: not a skin pack: %s\n", pack.string().c_str());
        return 1;
    }
    const auto& dir = reader.Directory();
    for (size_t i = 0; i < dir.size(); ++i) {
        const PictureInfo& e = dir[i];
        std::vector<uint8_t> bytes;
        uint32_t w = 0, h = 0;
        const bool png =
            reader.GetImageBytes(e.Name(), bytes) && ReadPngSize(bytes.data(), bytes.size(), w, h);
        std::printf("%4zu  %-32s offset %10lld  size %8lld  ", i, Utf16ToUtf8(e.Name()).c_str(),
                    static_cast<long long>(e.offset), static_cast<long long>(e.size));
        if (png)
            std::printf("%u x %u\n", w, h);
        else
            std::printf("-\n");
    }
    return 0;
}

int Extract(const fs::path& pack, const fs::path& folder) {
    SkinPackReader reader;
    if (!reader.Open(pack)) {
        std::fprintf(stderr, "skinpack: not a skin pack: %s\n", pack.string().c_str());
        return 1;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    int written = 0;
    for (const PictureInfo& e : reader.Directory()) {
        const std::string name = Utf16ToUtf8(e.Name());
        // Only plain file names: nothing may land outside the target folder.
        if (name.empty() || name.find_first_of("/\\:") != std::string::npos || name == "." ||
            name == "..") {
            std::fprintf(stderr, "skinpack: skipped unsafe name %s\n", name.c_str());
            continue;
        }
        std::vector<uint8_t> bytes;
        if (!reader.GetImageBytes(e.Name(), bytes)) continue;
        if (!WriteFile(folder / fs::path(std::u16string(e.Name())), bytes)) {
            std::fprintf(stderr, "skinpack: cannot write %s\n", name.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d pictures -> %s\n", written, folder.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string cmd = argv[1];
    if (cmd == "build" && argc == 4) return Build(argv[2], argv[3]);
    if (cmd == "list" && argc == 3) return List(argv[2]);
    if (cmd == "extract" && argc == 4) return Extract(argv[2], argv[3]);
    return Usage();
}
