#include "app/FanHoldMarker.h"

#include "app/FanHold.h"

namespace velmora {
namespace {

constexpr std::string_view kHeader = "Velmora fan hold 2";
constexpr std::string_view kRunKey = "run ";
constexpr std::string_view kGpusKey = "gpus ";
// Another writer may change the marker between a look and a change: a few tries are enough,
// since every writer changes it rarely.
constexpr int kStoreAttempts = 3;

std::string_view Trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A whole decimal number up to `max`; false for anything else.
bool ParseNumber(std::string_view word, uint64_t max, uint64_t& out) {
    if (word.empty() || word.size() > 20) return false;
    uint64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10) return false;
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

// "<pid> <start>"; an unknown owner when damaged.
FanHoldOwner ParseOwner(std::string_view text) {
    text = Trimmed(text);
    const size_t gap = text.find(' ');
    if (gap == std::string_view::npos) return {};
    uint64_t pid = 0;
    uint64_t start = 0;
    if (!ParseNumber(text.substr(0, gap), UINT32_MAX, pid) || pid == 0 ||
        !ParseNumber(Trimmed(text.substr(gap + 1)), UINT64_MAX, start)) {
        return {};
    }
    return FanHoldOwner{static_cast<uint32_t>(pid), start};
}

}  // namespace

std::string FormatFanHoldMarker(const FanHoldMarker& marker) {
    std::string text(kHeader);
    text += '\n';
    text += kRunKey;
    text += std::to_string(marker.owner.processId) + ' ' + std::to_string(marker.owner.startTime);
    text += '\n';
    text += kGpusKey;
    text += FormatHeldGpus(marker.held);
    return text;
}

FanHoldMarker ParseFanHoldMarker(std::string_view text) {
    size_t pos = 0;
    auto nextLine = [&] {
        const size_t end = text.find('\n', pos);
        const std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        return Trimmed(line);
    };
    if (nextLine() != kHeader) return FanHoldMarker{{}, ParseHeldGpus(text)};
    FanHoldMarker marker;
    bool haveOwner = false;
    while (pos < text.size()) {
        const std::string_view line = nextLine();
        if (line.substr(0, kRunKey.size()) == kRunKey && !haveOwner) {
            marker.owner = ParseOwner(line.substr(kRunKey.size()));
            haveOwner = true;
        } else if (line.substr(0, kGpusKey.size()) == kGpusKey) {
            marker.held |= ParseHeldGpus(line.substr(kGpusKey.size()));
        }
    }
    return marker;
}

MarkerOwnership WhoseMarker(const FanHoldMarker& marker, const FanHoldOwner& self,
                            const RunIsRunning& isRunning) {
    if (marker.owner.Known() && marker.owner == self) return MarkerOwnership::Mine;
    if (marker.owner.Known() && isRunning && isRunning(marker.owner)) {
        return MarkerOwnership::RunningRun;
    }
    return MarkerOwnership::GoneRun;
}

bool StoreOwnMarker(FanHoldMarkerStore& store, const FanHoldOwner& self, uint64_t held,
                    const RunIsRunning& isRunning) {
    for (int attempt = 0; attempt < kStoreAttempts; ++attempt) {
        FanHoldMarker current;
        std::optional<FanHoldMarker> expected;
        if (store.Read(current)) expected = current;
        if (!expected && held == 0) return true;
        if (expected && WhoseMarker(*expected, self, isRunning) != MarkerOwnership::Mine) {
            // Nothing of ours to remove; and a running run's record is not ours to overwrite.
            if (held == 0) return true;
            if (WhoseMarker(*expected, self, isRunning) == MarkerOwnership::RunningRun) {
                return false;
            }
        }
        if (store.ReplaceIf(expected, FanHoldMarker{self, held})) return true;
    }
    return false;
}

uint64_t HandBackLeftByGoneRun(FanHoldMarkerStore& store, const FanHoldOwner& self,
                               const RunIsRunning& isRunning, const HandBackMask& handBack) {
    FanHoldMarker left;
    if (!store.Read(left) || WhoseMarker(left, self, isRunning) != MarkerOwnership::GoneRun) {
        return 0;
    }
    const uint64_t remaining = left.held != 0 && handBack ? handBack(left.held) : left.held;
    // Only that marker: the gone run's guard may have changed it meanwhile. What is left is
    // this run's from now on.
    store.ReplaceIf(left, FanHoldMarker{self, remaining});
    return remaining;
}

uint64_t GuardHandBack(FanHoldMarkerStore& store, const FanHoldOwner& run, bool haveChannel,
                       uint64_t channelHeld, const RunIsRunning& isRunning,
                       const HandBackMask& handBack) {
    uint64_t held = haveChannel ? channelHeld : 0;
    FanHoldMarker now;
    if (store.Read(now)) {
        const MarkerOwnership whose = WhoseMarker(now, run, isRunning);
        if (whose == MarkerOwnership::Mine && !haveChannel) held = now.held;
        // A quick restart fixed these again; they are that run's to hand back.
        if (whose == MarkerOwnership::RunningRun) held &= ~now.held;
    }
    const uint64_t remaining = held != 0 && handBack ? handBack(held) : held;

    FanHoldMarker after;
    if (store.Read(after)) {
        if (WhoseMarker(after, run, isRunning) == MarkerOwnership::Mine) {
            store.ReplaceIf(after, FanHoldMarker{run, remaining});
        }
    } else if (remaining != 0) {
        // For the next start: the run is gone, so what its marker names is handed back then.
        store.ReplaceIf(std::nullopt, FanHoldMarker{run, remaining});
    }
    return remaining;
}

}  // namespace velmora
