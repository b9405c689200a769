// Frame animation: a strip of frames of the control's size, advanced by the control's timer.
#pragma once

#include "toolkit/Controls.h"

namespace velmora {

class CAnimation : public CControls {
  public:
    static constexpr UINT_PTR kTimerId = 500;
    static constexpr UINT kDefaultIntervalMs = 500;

    void SetFrameCount(int n) { frameCount_ = n > 0 ? n : 1; }
    void SetInterval(UINT ms);
    int Frame() const { return frame_; }
    int FrameCount() const { return frameCount_; }

    void OnCreate() override;
    void OnTimer(UINT_PTR timerId) override;
    void Draw(Gdiplus::Graphics& g) override;

  private:
    int frame_ = 0;
    int frameCount_ = 2;
};

}  // namespace velmora
