#include "monitoring/WaveformHistory.h"

#include <algorithm>

namespace velmora {

WaveformHistory::WaveformHistory(int widthPx)
    : capacity_(widthPx > 2 ? static_cast<size_t>(widthPx - 2) : 0) {
    ring_.resize(capacity_);
}

WaveformHistory::AddResult WaveformHistory::Add(int32_t value, std::wstring_view timeText) {
    if (value > scaleMax_) {
        value = scaleMax_;
    } else if (value < scaleMin_) {
        value = scaleMin_;
    }
    if (capacity_ > 0) {
        size_t slot;
        if (count_ < capacity_) {
            slot = (first_ + count_) % capacity_;
            ++count_;
        } else {
            slot = first_;
            first_ = (first_ + 1) % capacity_;
        }
        Sample& s = ring_[slot];
        s.value = value;
        s.timeLength = static_cast<uint8_t>(std::min(timeText.size(), kTimeTextMax));
        std::copy_n(timeText.begin(), s.timeLength, s.time.begin());
    }
    phase_ = phase_ >= kGridPeriod - 1 ? 0 : phase_ + 1;

    AddResult r{value, false, false};
    if (value > highest_) {
        highest_ = value;
        r.highestChanged = true;
    }
    // The first sample of a history sets the lowest seen even above the initial 0.
    if (value < lowest_ || count_ == 1) {
        r.lowestChanged = value != lowest_ || count_ == 1;
        lowest_ = value;
    }
    return r;
}

void WaveformHistory::SetScale(int32_t minimum, int32_t maximum) {
    scaleMin_ = minimum;
    scaleMax_ = maximum;
}

void WaveformHistory::Clear() {
    first_ = 0;
    count_ = 0;
}

int32_t WaveformHistory::Value(size_t i) const {
    return i < count_ ? ring_[(first_ + i) % capacity_].value : 0;
}

std::wstring_view WaveformHistory::Time(size_t i) const {
    if (i >= count_) return {};
    const Sample& s = ring_[(first_ + i) % capacity_];
    return std::wstring_view(s.time.data(), s.timeLength);
}

float WaveformHistory::CurveY(int32_t value, int top, int bottom) const {
    if (scaleMax_ <= scaleMin_) return static_cast<float>(bottom);
    const double height = bottom - top;
    const double y = bottom - height * (static_cast<double>(value) - scaleMin_) /
                                  (static_cast<double>(scaleMax_) - scaleMin_);
    return static_cast<float>(std::clamp(y, static_cast<double>(top), static_cast<double>(bottom)));
}

bool WaveformHistory::SampleAt(int right, int pointerX, size_t& index) const {
    const long long d = static_cast<long long>(right) - pointerX;
    if (d < 1 || d > static_cast<long long>(count_)) return false;
    index = count_ - static_cast<size_t>(d);
    return true;
}

}  // namespace velmora
