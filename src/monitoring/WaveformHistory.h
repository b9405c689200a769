// What one monitoring graph holds and how it maps onto its pixels: the samples, clamped to the
// scale as it was when each arrived, at most one per pixel column inside the frame, oldest
// first; the lowest and highest values seen; the phase of the scrolling grid.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class WaveformHistory {
  public:
    // A time text of a sample ("23:59:59"), kept in place so a sample costs no allocation.
    static constexpr size_t kTimeTextMax = 15;
    // The vertical grid lines repeat every this many samples (pixels).
    static constexpr int kGridPeriod = 18;
    // The horizontal grid lines are this many pixels apart.
    static constexpr int kGridRowStep = 9;

    // One sample per pixel column of a graph `widthPx` wide, less its two edge columns.
    explicit WaveformHistory(int widthPx = 0);

    // What Add changed besides the history itself.
    struct AddResult {
        int32_t stored;  // the value after clamping
        bool lowestChanged;
        bool highestChanged;
    };
    // Appends one sample (the oldest goes once the history is full).
    AddResult Add(int32_t value, std::wstring_view timeText);
    // New bounds; the stored samples keep the clamping of the bounds they met.
    void SetScale(int32_t minimum, int32_t maximum);
    // Forgets the samples; the scale, the extremes seen and the grid phase stay.
    void Clear();

    size_t Capacity() const { return capacity_; }
    size_t Count() const { return count_; }
    // i = 0 is the oldest sample.
    int32_t Value(size_t i) const;
    std::wstring_view Time(size_t i) const;
    int32_t ScaleMin() const { return scaleMin_; }
    int32_t ScaleMax() const { return scaleMax_; }
    int32_t Lowest() const { return lowest_; }
    int32_t Highest() const { return highest_; }
    int ScrollPhase() const { return phase_; }

    // The curve's y for a value on a graph from `top` to `bottom`, kept inside the frame (an
    // older sample may lie outside bounds set after it). A scale without height draws every
    // value on the bottom edge.
    float CurveY(int32_t value, int top, int bottom) const;
    // The sample under the pointer at `pointerX` on a graph whose right edge is `right`: the
    // newest sits one pixel left of the edge. False when the pointer is on the edge or left of
    // the oldest sample.
    bool SampleAt(int right, int pointerX, size_t& index) const;

  private:
    struct Sample {
        int32_t value = 0;
        uint8_t timeLength = 0;
        std::array<wchar_t, kTimeTextMax> time{};
    };
    // A ring of `capacity_` samples: `first_` is the oldest.
    std::vector<Sample> ring_;
    size_t capacity_ = 0;
    size_t first_ = 0;
    size_t count_ = 0;
    int32_t scaleMin_ = 0;
    int32_t scaleMax_ = 100;
    int32_t lowest_ = 0;
    int32_t highest_ = 0;
    int phase_ = 0;
};

}  // namespace velmora
