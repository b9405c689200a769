// Radio of the LED window: six frames (idle, hover, pressed; each unchecked and checked) and a
// caption to its right.
#pragma once

#include <vector>

#include "toolkit/Controls.h"
#include "win32/GdiplusIncludes.h"

namespace velmora {

class CRadio : public CControls {
  public:
    bool GetCheck() const { return checked_; }
    // Checking unchecks the peers; unchecking the only checked member keeps it checked. Repaints.
    void SetCheck(bool check);
    void AddGroupPeer(CRadio* peer) { peers_.push_back(peer); }
    void SetFontSize(int points) { fontPoints_ = static_cast<BYTE>(points); }
    void SetTextInset(int inset) { textInset_ = inset; }
    void SetTextColor(uint32_t argb) { captionColor_ = argb; }

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    // The caption, right of the picture, is part of what the radio draws.
    RECT PaintBounds() const override;

  private:
    Gdiplus::RectF CaptionLayout(Gdiplus::Graphics& g);
    std::wstring captionMeasured_;
    BYTE measuredPoints_ = 0;
    Gdiplus::RectF captionLayout_;
    bool AnyPeerChecked() const;
    void SetCheckQuiet(bool check);

    bool checked_ = false;
    uint32_t captionColor_ = 0;
    int textInset_ = 0;
    BYTE fontPoints_ = 8;
    std::vector<CRadio*> peers_;
};

void MakeRadioGroup(std::initializer_list<CRadio*> members);

}  // namespace velmora
