// The marker of held fans ("Velmora.fanhold") names the run that wrote it, so that each reader
// acts only on what is its business: a run's guard hands back that run's fans and removes only
// that run's marker, and a start hands back what a run that is gone left, and only that. A
// quick restart has the new run write its own marker while the old run's guard is still at
// work. Windows-free: the file and the question whether a run is still running are
// interfaces.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A run of the program: its process id and its process's creation time (ids are reused, the
// pair is not). processId 0: unknown (a marker an older version wrote, or a damaged one).
struct FanHoldOwner {
    uint32_t processId = 0;
    uint64_t startTime = 0;
    bool Known() const { return processId != 0; }
    friend bool operator==(const FanHoldOwner&, const FanHoldOwner&) = default;
};

struct FanHoldMarker {
    FanHoldOwner owner;
    uint64_t held = 0;  // a FanHold mask
    friend bool operator==(const FanHoldMarker&, const FanHoldMarker&) = default;
};

// "Velmora fan hold 2", "run <pid> <start>", "gpus <indexes>", one a line.
std::string FormatFanHoldMarker(const FanHoldMarker& marker);
// Any text at all. Older versions wrote only a line of GPU indexes: such a marker (and one
// whose run line is damaged) has an unknown owner, which counts as a run that is gone.
FanHoldMarker ParseFanHoldMarker(std::string_view text);

enum class MarkerOwnership {
    Mine,
    // Another run, still running: its fans are its own business.
    RunningRun,
    // A run that ended, or one nobody can name: what it names is left over.
    GoneRun,
};

// Whether the run `owner` still runs.
using RunIsRunning = std::function<bool(const FanHoldOwner& owner)>;

MarkerOwnership WhoseMarker(const FanHoldMarker& marker, const FanHoldOwner& self,
                            const RunIsRunning& isRunning);

// The marker file, each call one access under the marker's lock.
class FanHoldMarkerStore {
  public:
    virtual ~FanHoldMarkerStore() = default;
    // False when there is none (or it cannot be read).
    virtual bool Read(FanHoldMarker& out) = 0;
    // When the marker is still `expected` (nullopt: there is none), it becomes `next`, or goes
    // when next names no GPU. False when it was not, or the file could not be changed.
    virtual bool ReplaceIf(const std::optional<FanHoldMarker>& expected,
                           const FanHoldMarker& next) = 0;
};

// Hands back the fans of a mask; returns those the driver did not take back.
using HandBackMask = std::function<uint64_t(uint64_t held)>;

// A run's own record of the fans it holds (0: it holds none): written over no marker, its own
// or a gone run's; a running run's is left alone, and only its own is removed.
bool StoreOwnMarker(FanHoldMarkerStore& store, const FanHoldOwner& self, uint64_t held,
                    const RunIsRunning& isRunning);

// At start-up: the fans a run that is gone left fixed (a kill its guard did not see through,
// a power cut) go back to the driver. Returns the GPUs that could not be handed back; they
// become this run's (its marker names them), so its exit or its guard tries again.
uint64_t HandBackLeftByGoneRun(FanHoldMarkerStore& store, const FanHoldOwner& self,
                               const RunIsRunning& isRunning, const HandBackMask& handBack);

// The fan guard of `run`, once that run ended: hands back what the run held, as the run's
// channel says (haveChannel) or else as its own marker says, but never a fan a running run's
// marker names (a quick restart that holds it now). Removes the run's own marker, or leaves it
// naming what could not be handed back; another run's marker is left alone. Returns the GPUs
// the driver did not take back.
uint64_t GuardHandBack(FanHoldMarkerStore& store, const FanHoldOwner& run, bool haveChannel,
                       uint64_t channelHeld, const RunIsRunning& isRunning,
                       const HandBackMask& handBack);

}  // namespace velmora
