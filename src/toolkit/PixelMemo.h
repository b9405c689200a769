// Remembers what a drawing did to a box of a frame: the pixels under the box before and after,
// under a key that names everything the drawing depends on. The same drawing onto the same
// pixels gives the same result, so the next time the result is copied instead of drawn. What the
// window shows is therefore exactly what drawing again would show, whatever the drawing does
// inside its box. Windows-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace velmora {

// Rows of premultiplied ARGB pixels, top-down, `width` pixels apart.
struct FrameView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

struct MemoBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const MemoBox&) const = default;
};

// The bytes of a drawing's inputs, compared whole (no hash, so no collisions).
class MemoKey {
  public:
    template <typename T>
    MemoKey& Add(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    MemoKey& Add(std::wstring_view text) {
        Add(text.size());
        bytes_.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        return *this;
    }
    std::string_view Bytes() const { return bytes_; }
    // Empties the key and keeps its storage, so a reused key does not allocate.
    void Clear() { bytes_.clear(); }

  private:
    std::string bytes_;
};

class PixelMemo {
  public:
    // Keeps at most about `budgetPixels` pixels of before and after images together.
    explicit PixelMemo(size_t budgetPixels) : budget_(budgetPixels) {}

    // Runs `draw` (which changes pixels inside `box` only) or copies its remembered result.
    // A box that does not lie wholly in the frame is simply drawn.
    template <typename Draw>
    void Run(const FrameView& frame, const MemoBox& box, std::string_view key, Draw&& draw) {
        if (!Fits(frame, box)) {
            draw();
            return;
        }
        const size_t found = Find(box, key);
        if (found != kNone && Matches(frame, box, entries_[found].before)) {
            CopyIn(frame, box, entries_[found].after);
            entries_[found].lastUse = ++clock_;
            ++hits_;
            return;
        }
        const size_t slot = found != kNone ? found : Make(box, key);
        CopyOut(frame, box, entries_[slot].before);
        draw();
        CopyOut(frame, box, entries_[slot].after);
        entries_[slot].lastUse = ++clock_;
        ++misses_;
        Trim(slot);
    }

    void Clear();
    size_t HeldPixels() const;
    size_t Entries() const { return entries_.size(); }
    uint64_t Hits() const { return hits_; }
    uint64_t Misses() const { return misses_; }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    struct Entry {
        MemoBox box;
        std::string key;
        std::vector<uint32_t> before;
        std::vector<uint32_t> after;
        uint64_t lastUse = 0;
    };

    static bool Fits(const FrameView& frame, const MemoBox& box);
    size_t Find(const MemoBox& box, std::string_view key) const;
    size_t Make(const MemoBox& box, std::string_view key);
    static bool Matches(const FrameView& frame, const MemoBox& box,
                        const std::vector<uint32_t>& pixels);
    static void CopyIn(const FrameView& frame, const MemoBox& box,
                       const std::vector<uint32_t>& pixels);
    static void CopyOut(const FrameView& frame, const MemoBox& box, std::vector<uint32_t>& pixels);
    // Drops the least recently used entries, never `keep`, until the budget holds.
    void Trim(size_t keep);

    size_t budget_;
    std::vector<Entry> entries_;
    uint64_t clock_ = 0;
    uint64_t hits_ = 0;
    uint64_t misses_ = 0;
};

}  // namespace velmora
