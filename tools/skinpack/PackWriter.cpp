#include "PackWriter.h"

#include "toolkit/SkinPackReader.h"

namespace velmora {
namespace {

void Put64(std::vector<uint8_t>& out, size_t at, int64_t v) {
    for (int i = 0; i < 8; ++i)
        out[at + i] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
}

}  // namespace

bool PackWriter::Add(std::u16string_view name, std::vector<uint8_t> bytes) {
    if (name.empty() || name.size() >= PictureInfo::kNameUnits) return false;
    entries_.push_back(PackEntry{std::u16string(name), std::move(bytes)});
    return true;
}

std::vector<uint8_t> PackWriter::Build() const {
    using namespace skinpack;
    std::vector<uint8_t> out;
    std::vector<int64_t> offsets;
    for (const PackEntry& e : entries_) {
        offsets.push_back(static_cast<int64_t>(out.size()));
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    // Entry 0 lies directly before the count: write the last entry first.
    for (size_t k = entries_.size(); k-- > 0;) {
        const PackEntry& e = entries_[k];
        const size_t at = out.size();
        out.resize(at + kEntryBytes, 0);
        for (size_t u = 0; u < e.name.size(); ++u) {
            out[at + 2 * u] = static_cast<uint8_t>(e.name[u] & 0xFF);
            out[at + 2 * u + 1] = static_cast<uint8_t>(e.name[u] >> 8);
        }
        Put64(out, at + kOffsetField, offsets[k]);
        Put64(out, at + kSizeField, static_cast<int64_t>(e.bytes.size()));
    }
    const uint32_t n = static_cast<uint32_t>(entries_.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
    out.insert(out.end(), kTrailerMagic, kTrailerMagic + kTrailerBytes);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c >> 5) == 6 && i + 1 < s.size()) {
            cp = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
            len = 2;
        } else if ((c >> 4) == 14 && i + 2 < s.size()) {
            cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6 |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
            len = 3;
        } else {
            cp = u'?';
            len = 1;
        }
        out.push_back(static_cast<char16_t>(cp));
        i += len;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace velmora
