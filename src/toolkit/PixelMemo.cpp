#include "toolkit/PixelMemo.h"

namespace velmora {

void PixelMemo::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
}

size_t PixelMemo::HeldPixels() const {
    size_t n = 0;
    for (const Entry& e : entries_) n += e.before.size() + e.after.size();
    return n;
}

bool PixelMemo::Fits(const FrameView& frame, const MemoBox& box) {
    return frame.pixels && box.left >= 0 && box.top >= 0 && box.right <= frame.width &&
           box.bottom <= frame.height && box.left < box.right && box.top < box.bottom;
}

size_t PixelMemo::Find(const MemoBox& box, std::string_view key) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].box == box && entries_[i].key == key) return i;
    return kNone;
}

size_t PixelMemo::Make(const MemoBox& box, std::string_view key) {
    entries_.push_back(Entry{box, std::string(key), {}, {}, 0});
    return entries_.size() - 1;
}

bool PixelMemo::Matches(const FrameView& frame, const MemoBox& box,
                        const std::vector<uint32_t>& pixels) {
    const size_t w = static_cast<size_t>(box.Width());
    if (pixels.size() != w * static_cast<size_t>(box.Height())) return false;
    for (int y = box.top; y < box.bottom; ++y) {
        const uint32_t* row = frame.pixels + static_cast<size_t>(y) * frame.width + box.left;
        if (std::memcmp(row, &pixels[static_cast<size_t>(y - box.top) * w], w * 4) != 0)
            return false;
    }
    return true;
}

void PixelMemo::CopyIn(const FrameView& frame, const MemoBox& box,
                       const std::vector<uint32_t>& pixels) {
    const size_t w = static_cast<size_t>(box.Width());
    for (int y = box.top; y < box.bottom; ++y)
        std::memcpy(frame.pixels + static_cast<size_t>(y) * frame.width + box.left,
                    &pixels[static_cast<size_t>(y - box.top) * w], w * 4);
}

void PixelMemo::CopyOut(const FrameView& frame, const MemoBox& box, std::vector<uint32_t>& pixels) {
    const size_t w = static_cast<size_t>(box.Width());
    pixels.resize(w * static_cast<size_t>(box.Height()));
    for (int y = box.top; y < box.bottom; ++y)
        std::memcpy(&pixels[static_cast<size_t>(y - box.top) * w],
                    frame.pixels + static_cast<size_t>(y) * frame.width + box.left, w * 4);
}

void PixelMemo::Trim(size_t keep) {
    while (entries_.size() > 1 && HeldPixels() > budget_) {
        size_t oldest = kNone;
        for (size_t i = 0; i < entries_.size(); ++i)
            if (i != keep && (oldest == kNone || entries_[i].lastUse < entries_[oldest].lastUse))
                oldest = i;
        if (oldest == kNone) return;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(oldest));
        if (oldest < keep) --keep;
    }
}

}  // namespace velmora
