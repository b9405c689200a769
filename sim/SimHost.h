// Runs a Simulator against files and a clock: re-reads the scenario file when its content
// changes, steps the model to the clock's time before each call and rewrites the state file
// atomically after every set operation and at most every 250 ms otherwise. Windows-free; the
// dll gives it the steady clock, tests a manual one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "Simulator.h"

namespace velmora::sim {

class SimHost {
  public:
    using Clock = std::function<double()>;  // monotonic seconds

    // Either path may be empty (no scenario file: the simulator's scenario stays; no state
    // file: nothing is written).
    SimHost(Simulator& sim, std::filesystem::path scenarioFile, std::filesystem::path stateFile,
            Clock clock);

    void BeforeCall();
    void AfterCall();

    // Re-reads the scenario file if its text changed; true when a new scenario was applied.
    // A text that does not parse leaves the running scenario and is reported once.
    bool PollScenario();
    bool WriteState();
    const std::string& lastError() const { return lastError_; }

  private:
    Simulator& sim_;
    std::filesystem::path scenarioFile_;
    std::filesystem::path stateFile_;
    Clock clock_;
    double lastTime_ = 0.0;
    double lastPoll_ = -1e9;
    double lastWrite_ = -1e9;
    uint64_t writtenSetOperations_ = 0;
    bool stateDirty_ = true;
    std::string scenarioText_;
    bool scenarioSeen_ = false;
    std::string lastError_;
};

// Writes text to path through a temporary file and a rename, so a reader sees the old or the
// new file, never a part.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text);

// The scenario path as this platform opens it: under Windows a Unix path "/x/y" becomes
// "Z:\x\y" (wine's view of the Unix root); natively "Z:\x\y" becomes "/x/y".
std::string HostPath(const std::string& path, bool windows);

bool ReadFileText(const std::filesystem::path& path, std::string& text);

}  // namespace velmora::sim
