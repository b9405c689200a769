// The marker of held fans as a small file beside the program ("Velmora.fanhold"): written when
// the program first fixes a fan, removed when every fan is back with the driver. It outlives a
// killed process, so the next start knows which fans a run that is gone left fixed. The fan
// guard learns the run's fans from a channel of its own (a small section it inherits), so it
// knows them even where the file cannot be written.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/FanHold.h"
#include "app/FanHoldMarker.h"
#include "win32/Handles.h"

namespace velmora {

inline constexpr wchar_t kFanHoldFileName[] = L"Velmora.fanhold";

// This process as a run, and the run of another process (a handle with query access).
FanHoldOwner CurrentRun();
FanHoldOwner RunOfProcess(HANDLE process);
// Whether that run's process is still running.
bool RunStillRunning(const FanHoldOwner& run);

// The marker file, each access under a lock every run, guard and start takes.
class FanHoldMarkerFile : public FanHoldMarkerStore {
  public:
    explicit FanHoldMarkerFile(std::wstring path) : path_(std::move(path)) {}
    bool Read(FanHoldMarker& out) override;
    bool ReplaceIf(const std::optional<FanHoldMarker>& expected,
                   const FanHoldMarker& next) override;
    const std::wstring& Path() const { return path_; }

  private:
    std::wstring path_;
};

// The run's record of held fans: the section first (the guard's channel: it cannot fail once
// made), then the marker file.
class FanHoldFile : public FanHoldStore {
  public:
    FanHoldFile(std::wstring path, FanHoldOwner self) : file_(std::move(path)), self_(self) {}

    // Called once, the first time a fan is held (the fan guard starts then).
    void SetOnFirstHold(std::function<void()> onFirstHold) {
        onFirstHold_ = std::move(onFirstHold);
    }

    bool Store(uint64_t mask) override;
    const std::wstring& Path() const { return file_.Path(); }
    // The section the held mask lives in (8 bytes); null until the first hold, or when it
    // could not be made.
    HANDLE Section() const { return section_.Get(); }

  private:
    void MakeSection();

    FanHoldMarkerFile file_;
    FanHoldOwner self_;
    KernelHandle section_;
    MappedView view_;
    std::function<void()> onFirstHold_;
    bool firstHoldSeen_ = false;
};

// The held mask a section holds (the guard's side); false when it cannot be read.
bool ReadHeldSection(HANDLE section, uint64_t& held);

}  // namespace velmora
