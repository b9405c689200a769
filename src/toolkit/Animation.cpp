#include "toolkit/Animation.h"

#include "toolkit/SkinDraw.h"

namespace velmora {

void CAnimation::OnCreate() {
    StartTimer(kTimerId, kDefaultIntervalMs);
}

void CAnimation::SetInterval(UINT ms) {
    StopTimer(kTimerId);
    StartTimer(kTimerId, ms);
}

void CAnimation::OnTimer(UINT_PTR timerId) {
    frame_ = frame_ + 1 >= frameCount_ ? 0 : frame_ + 1;
    // Four frames a second: only the animation's own area (and what changed meanwhile) is
    // composed again, not the whole window.
    RepaintOwnArea();
}

void CAnimation::Draw(Gdiplus::Graphics& g) {
    DrawFrame(g, FirstImage(), frame_, Rect());
}

}  // namespace velmora
