// Which GPUs' fans this run has fixed at a level. Every level write of the program passes
// through here, so each way out (exit, another GPU chosen, a crash, a kill) hands back exactly
// those fans and leaves a fan that another tool or the user set alone. The set also lives in a
// marker outside the process, so the fan guard and the next start know it after a kill.
// Windows-free: the marker's storage is an interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace velmora {

// GPU indexes 0..63, as the driver enumerates them.
inline constexpr int kFanHoldMaxGpus = 64;

// The marker's text: the held GPU indexes, ascending, separated by blanks, then a line end.
std::string FormatHeldGpus(uint64_t mask);
// Any text at all (the marker may be damaged or planted): only whole decimal numbers 0..63
// separated by white space count; anything else in the text is skipped.
uint64_t ParseHeldGpus(std::string_view text);

// Keeps the marker. Store(0) removes it.
class FanHoldStore {
  public:
    virtual ~FanHoldStore() = default;
    virtual bool Store(uint64_t mask) = 0;
};

class FanHold {
  public:
    // initiallyHeld: fans an earlier run left fixed that could not be handed back yet; they
    // stay recorded so this run's exit (or its guard) tries again.
    explicit FanHold(FanHoldStore* store = nullptr, uint64_t initiallyHeld = 0)
        : store_(store), held_(initiallyHeld) {}
    FanHold(const FanHold&) = delete;
    FanHold& operator=(const FanHold&) = delete;

    // Runs write() to fix the fan of `gpu` unless level writes are refused. The GPU is recorded
    // as held first (here and in the marker), so a crash or kill between the two still finds
    // it. Returns write()'s result; false when refused or gpu is out of range.
    template <typename Write>
    bool WriteLevel(int gpu, Write&& write) {
        if (gpu < 0 || gpu >= kFanHoldMaxGpus) return false;
        std::lock_guard<std::timed_mutex> lock(writeLock_);
        if (refused_.load()) return false;
        Take(gpu);
        return write();
    }

    // After gpu's fan went back to the driver's automatic control.
    void Released(int gpu);

    // Readable from any thread (the crash path reads it).
    uint64_t HeldMask() const { return held_.load(); }
    bool Holds(int gpu) const {
        return gpu >= 0 && gpu < kFanHoldMaxGpus && (HeldMask() >> gpu) & 1u;
    }

    // The crash path: once this returns, no level write starts again in this process, and a
    // write that was in flight has ended or timeoutMs has passed (the writer may be the thread
    // that crashed).
    void RefuseWrites(int timeoutMs);
    bool WritesRefused() const { return refused_.load(); }

  private:
    void Take(int gpu);

    FanHoldStore* store_;
    std::atomic<uint64_t> held_{0};
    std::atomic<bool> refused_{false};
    std::timed_mutex writeLock_;
};

}  // namespace velmora
