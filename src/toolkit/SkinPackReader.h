// Reader of a skin's image pack: named, encoded images with a directory at the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
struct IStream;
namespace Gdiplus {
class Bitmap;
}
#endif

namespace velmora {

// One directory entry as stored in the pack (80 bytes on disk).
struct PictureInfo {
    static constexpr size_t kNameUnits = 32;  // 64 bytes of UTF-16LE
    char16_t name[kNameUnits] = {};
    int64_t offset = 0;
    int64_t size = 0;

    // The stored name up to its first zero, or all 32 units when it has none.
    std::u16string_view Name() const;
};

namespace skinpack {
inline constexpr char kTrailerMagic[9] = {'t', 'e', 's', 's', 'a', 'r', 'i', 'n', '\0'};
inline constexpr size_t kTrailerBytes = sizeof(kTrailerMagic);
inline constexpr size_t kCountBytes = 4;
inline constexpr size_t kFooterBytes = kTrailerBytes + kCountBytes;  // 13
inline constexpr size_t kEntryBytes = 80;
inline constexpr size_t kOffsetField = 64;
inline constexpr size_t kSizeField = 72;
}  // namespace skinpack

// Random-access bytes the reader parses: a file or a block in memory.
class PackSource {
  public:
    virtual ~PackSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `count` bytes at `pos`; false when that range is not available.
    virtual bool ReadAt(uint64_t pos, void* out, size_t count) = 0;
};

class SkinPackReader {
  public:
    SkinPackReader() = default;
    ~SkinPackReader();
    SkinPackReader(const SkinPackReader&) = delete;
    SkinPackReader& operator=(const SkinPackReader&) = delete;

    // Opens a pack file and reads its directory. A pack that is too short, has a wrong trailer,
    // a negative count or a directory larger than the file is rejected. Entries whose bytes lie
    // outside the file are left out of the directory.
    bool Open(const std::filesystem::path& file);
    // The same over a copy of bytes in memory (tests, fuzzing).
    bool OpenBytes(const void* data, size_t size);
    void Close();
    bool IsOpen() const { return source_ != nullptr; }

    const std::vector<PictureInfo>& Directory() const { return directory_; }

    // The encoded bytes of the first entry named exactly `name`. false when the name is
    // missing, its size is 0 or the bytes cannot be read; `out` is then empty.
    bool GetImageBytes(std::u16string_view name, std::vector<uint8_t>& out);

#ifdef _WIN32
    // An IStream over a private copy of the entry's bytes; *out is null on failure.
    bool GetImageStream(std::wstring_view name, IStream** out);
    // The entry decoded into a bitmap (needs a running GDI+); out is empty on failure.
    bool LoadImage(std::wstring_view name, std::unique_ptr<Gdiplus::Bitmap>& out);
#endif

  private:
    bool ReadDirectory();
    const PictureInfo* Find(std::u16string_view name) const;

    std::unique_ptr<PackSource> source_;
    std::vector<PictureInfo> directory_;
};

}  // namespace velmora
