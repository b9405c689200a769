// Push button and check button: picture strips of three frames (idle, hover, pressed/checked).
#pragma once

#include <vector>

#include "toolkit/Controls.h"

namespace velmora {

class CButtonEx : public CControls {
  public:
    static constexpr int kCaptionPoints = 10;
    void SetTextColor(uint32_t argb) { captionColor_ = argb; }
    void Draw(Gdiplus::Graphics& g) override;

  protected:
    void DrawCaption(Gdiplus::Graphics& g, uint32_t argb);

  private:
    uint32_t captionColor_ = 0xFF000000;
};

class CCheckButtonEx : public CButtonEx {
  public:
    bool GetCheck() const { return checked_; }
    // Checking unchecks every peer; unchecking keeps the check when no peer holds one.
    void SetCheck(bool check);
    void AddGroupPeer(CCheckButtonEx* peer) { peers_.push_back(peer); }
    void SetTextColor(uint32_t argb) { checkCaptionColor_ = argb; }
    void Draw(Gdiplus::Graphics& g) override;
    void OnLButtonUp(UINT flags, int x, int y) override;

    bool noHoverFrame = false;

  private:
    // Unchecked when some peer is checked; stays checked otherwise.
    void UncheckIfPeerChecked();

    bool checked_ = false;
    uint32_t checkCaptionColor_ = 0xFF000000;
    std::vector<CCheckButtonEx*> peers_;
};

// Makes every member a peer of every other member.
void MakeCheckGroup(std::initializer_list<CCheckButtonEx*> members);

}  // namespace velmora
