#include "toolkit/ButtonEx.h"

#include "toolkit/SkinDraw.h"

namespace velmora {

namespace {
constexpr int kFrameIdle = 0;
constexpr int kFrameHover = 1;
constexpr int kFramePressed = 2;  // also "checked" for check buttons
}  // namespace

void CButtonEx::DrawCaption(Gdiplus::Graphics& g, uint32_t argb) {
    if (Caption().empty()) return;
    Gdiplus::RectF layout(float(Rect().left), float(Rect().top), float(RectWidth(Rect())),
                          float(RectHeight(Rect())));
    DrawTextRemembered(g, Caption(), kCaptionPoints, argb, layout, Gdiplus::StringAlignmentCenter,
                       Gdiplus::StringAlignmentCenter, Gdiplus::StringFormatFlagsNoFitBlackBox);
}

void CButtonEx::Draw(Gdiplus::Graphics& g) {
    const int frame = IsHover() ? kFrameHover : IsPressed() ? kFramePressed : kFrameIdle;
    DrawFrameRemembered(g, FirstImage(), frame, Rect());
    DrawCaption(g, captionColor_);
}

void CCheckButtonEx::Draw(Gdiplus::Graphics& g) {
    const int frame = (IsHover() && !noHoverFrame) ? kFrameHover
                      : checked_                   ? kFramePressed
                                                   : kFrameIdle;
    DrawFrameRemembered(g, FirstImage(), frame, Rect());
    DrawCaption(g, checkCaptionColor_);
}

void CCheckButtonEx::UncheckIfPeerChecked() {
    for (const CCheckButtonEx* p : peers_) {
        if (p->checked_) {
            checked_ = false;
            return;
        }
    }
    checked_ = true;
}

void CCheckButtonEx::SetCheck(bool check) {
    if (check) {
        checked_ = true;
        for (CCheckButtonEx* p : peers_) p->SetCheck(false);
    } else {
        UncheckIfPeerChecked();
    }
}

void CCheckButtonEx::OnLButtonUp(UINT flags, int x, int y) {
    if (!checked_) {
        checked_ = true;
        for (CCheckButtonEx* p : peers_) p->SetCheck(false);
    } else if (peers_.empty()) {
        checked_ = false;
    } else {
        UncheckIfPeerChecked();
    }
}

void MakeCheckGroup(std::initializer_list<CCheckButtonEx*> members) {
    for (CCheckButtonEx* a : members)
        for (CCheckButtonEx* b : members)
            if (a != b) a->AddGroupPeer(b);
}

}  // namespace velmora
