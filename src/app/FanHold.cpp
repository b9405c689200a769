#include "app/FanHold.h"

#include <chrono>

namespace velmora {

std::string FormatHeldGpus(uint64_t mask) {
    std::string text;
    for (int gpu = 0; gpu < kFanHoldMaxGpus; ++gpu) {
        if (!((mask >> gpu) & 1u)) continue;
        if (!text.empty()) text += ' ';
        text += std::to_string(gpu);
    }
    text += '\n';
    return text;
}

uint64_t ParseHeldGpus(std::string_view text) {
    uint64_t mask = 0;
    size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
        while (i < text.size() && blank(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !blank(text[i])) ++i;
        const std::string_view word = text.substr(start, i - start);
        // Only the spellings FormatHeldGpus writes: no sign, no leading zero.
        if (word.empty() || word.size() > 2 || (word.size() == 2 && word[0] == '0')) continue;
        int value = 0;
        bool digits = true;
        for (char c : word) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (digits && value < kFanHoldMaxGpus) mask |= uint64_t{1} << value;
    }
    return mask;
}

void FanHold::Take(int gpu) {
    const uint64_t bit = uint64_t{1} << gpu;
    const uint64_t before = held_.fetch_or(bit);
    // The marker is written only when the set grows, not on every tick of the curve.
    if (!(before & bit) && store_) store_->Store(before | bit);
}

void FanHold::Released(int gpu) {
    if (gpu < 0 || gpu >= kFanHoldMaxGpus) return;
    const uint64_t bit = uint64_t{1} << gpu;
    const uint64_t before = held_.fetch_and(~bit);
    if ((before & bit) && store_) store_->Store(before & ~bit);
}

void FanHold::RefuseWrites(int timeoutMs) {
    refused_.store(true);
    // Wait for a write in flight; if the writer is the crashed thread the lock never comes
    // back, and the hand-back goes ahead after the timeout.
    if (writeLock_.try_lock_for(std::chrono::milliseconds(timeoutMs))) writeLock_.unlock();
}

}  // namespace velmora
