// The marker of held fans as a small file beside the program ("Velmora.fanhold"): written when
// the program first fixes a fan, removed when every fan is back with the driver. It outlives a
// killed process, so the fan guard and the next start know which fans to hand back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/FanHold.h"

namespace velmora {

inline constexpr wchar_t kFanHoldFileName[] = L"Velmora.fanhold";

class FanHoldFile : public FanHoldStore {
  public:
    explicit FanHoldFile(std::wstring path) : path_(std::move(path)) {}

    // Called once, the first time a fan is held (the fan guard starts then).
    void SetOnFirstHold(std::function<void()> onFirstHold) {
        onFirstHold_ = std::move(onFirstHold);
    }

    bool Store(uint64_t mask) override;
    const std::wstring& Path() const { return path_; }

  private:
    std::wstring path_;
    std::function<void()> onFirstHold_;
    bool firstHoldSeen_ = false;
};

// The GPUs a marker file names; 0 when there is none (or it cannot be read).
uint64_t ReadFanHoldFile(const std::wstring& path);
// Writes (or, for 0, removes) the marker file; the text reaches the disk before it replaces
// an older marker.
bool WriteFanHoldFile(const std::wstring& path, uint64_t mask);

}  // namespace velmora
