#include "toolkit/SkinPackReader.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#define VELMORA_FSEEK fseeko64
#define VELMORA_FTELL ftello64
#else
#define VELMORA_FSEEK fseeko
#define VELMORA_FTELL ftello
#endif

namespace velmora {
namespace {

class FileSource final : public PackSource {
  public:
    explicit FileSource(std::FILE* f, uint64_t size) : file_(f), size_(size) {}
    ~FileSource() override { std::fclose(file_); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t pos, void* out, size_t count) override {
        if (pos > size_ || count > size_ - pos) return false;
        if (VELMORA_FSEEK(file_, static_cast<int64_t>(pos), SEEK_SET) != 0) return false;
        return std::fread(out, 1, count, file_) == count;
    }

  private:
    std::FILE* file_;
    uint64_t size_;
};

class MemorySource final : public PackSource {
  public:
    MemorySource(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t pos, void* out, size_t count) override {
        if (pos > bytes_.size() || count > bytes_.size() - pos) return false;
        if (count != 0) std::memcpy(out, bytes_.data() + pos, count);
        return true;
    }

  private:
    std::vector<uint8_t> bytes_;
};

std::FILE* OpenForReading(const std::filesystem::path& file) {
#ifdef _WIN32
    return _wfopen(file.c_str(), L"rb");
#else
    return std::fopen(file.c_str(), "rb");
#endif
}

int64_t LoadInt64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return static_cast<int64_t>(v);
}

int32_t LoadInt32(const uint8_t* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return static_cast<int32_t>(v);
}

}  // namespace

std::u16string_view PictureInfo::Name() const {
    size_t n = 0;
    while (n < kNameUnits && name[n] != 0) ++n;
    return std::u16string_view(name, n);
}

SkinPackReader::~SkinPackReader() {
    Close();
}

bool SkinPackReader::Open(const std::filesystem::path& file) {
    Close();
    std::FILE* f = OpenForReading(file);
    if (!f) return false;
    if (VELMORA_FSEEK(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        return false;
    }
    const int64_t size = VELMORA_FTELL(f);
    if (size < 0) {
        std::fclose(f);
        return false;
    }
    source_ = std::make_unique<FileSource>(f, static_cast<uint64_t>(size));
    if (!ReadDirectory()) {
        Close();
        return false;
    }
    return true;
}

bool SkinPackReader::OpenBytes(const void* data, size_t size) {
    Close();
    source_ = std::make_unique<MemorySource>(data, size);
    if (!ReadDirectory()) {
        Close();
        return false;
    }
    return true;
}

void SkinPackReader::Close() {
    source_.reset();
    directory_.clear();
}

bool SkinPackReader::ReadDirectory() {
    using namespace skinpack;
    const uint64_t size = source_->Size();
    if (size < kFooterBytes) return false;

    char trailer[kTrailerBytes];
    if (!source_->ReadAt(size - kTrailerBytes, trailer, kTrailerBytes)) return false;
    if (std::memcmp(trailer, kTrailerMagic, kTrailerBytes) != 0) return false;

    uint8_t countBytes[kCountBytes];
    if (!source_->ReadAt(size - kFooterBytes, countBytes, kCountBytes)) return false;
    const int32_t count = LoadInt32(countBytes);
    if (count < 0) return false;
    // A directory that would start before the file does cannot be real.
    if (static_cast<uint64_t>(count) > (size - kFooterBytes) / kEntryBytes) return false;

    directory_.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t raw[kEntryBytes];
        const uint64_t pos = size - kFooterBytes - kEntryBytes * (uint64_t(i) + 1);
        if (!source_->ReadAt(pos, raw, kEntryBytes)) return false;
        PictureInfo info;
        for (size_t u = 0; u < PictureInfo::kNameUnits; ++u)
            info.name[u] = static_cast<char16_t>(raw[2 * u] | raw[2 * u + 1] << 8);
        info.offset = LoadInt64(raw + kOffsetField);
        info.size = LoadInt64(raw + kSizeField);
        // Bytes outside the file: leave the entry out, so it can never be read.
        if (info.offset < 0 || info.size < 0 || static_cast<uint64_t>(info.offset) > size ||
            static_cast<uint64_t>(info.size) > size - static_cast<uint64_t>(info.offset))
            continue;
        directory_.push_back(info);
    }
    return true;
}

const PictureInfo* SkinPackReader::Find(std::u16string_view name) const {
    for (const PictureInfo& e : directory_)
        if (e.Name() == name) return &e;
    return nullptr;
}

bool SkinPackReader::GetImageBytes(std::u16string_view name, std::vector<uint8_t>& out) {
    out.clear();
    if (!source_) return false;
    const PictureInfo* e = Find(name);
    if (!e || e->size == 0) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(e->size));
    if (!source_->ReadAt(static_cast<uint64_t>(e->offset), bytes.data(), bytes.size()))
        return false;
    out = std::move(bytes);
    return true;
}

}  // namespace velmora
