// Builds skin pack bytes: image data first, then the directory stored back to front, the entry
// count and the trailer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct PackEntry {
    std::u16string name;  // at most 31 units to keep its terminating zero
    std::vector<uint8_t> bytes;
};

class PackWriter {
  public:
    // false when the name does not fit in the 64-byte field with its zero.
    bool Add(std::u16string_view name, std::vector<uint8_t> bytes);
    const std::vector<PackEntry>& Entries() const { return entries_; }
    std::vector<uint8_t> Build() const;

  private:
    std::vector<PackEntry> entries_;
};

// Converts an ASCII/UTF-8 name to UTF-16 (names of the packs are plain ASCII).
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

}  // namespace velmora
