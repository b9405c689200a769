#include "toolkit/Radio.h"

#include "toolkit/SkinDraw.h"
#include "win32/Handles.h"

namespace velmora {

void CRadio::OnCreate() {
    checked_ = false;
    captionColor_ = Argb(254, 180, 180, 180);
    textInset_ = 15;
    fontPoints_ = 8;
}

bool CRadio::AnyPeerChecked() const {
    for (const CRadio* p : peers_)
        if (p->checked_) return true;
    return false;
}

void CRadio::SetCheckQuiet(bool check) {
    checked_ = check;
    if (check) {
        for (CRadio* p : peers_) p->SetCheckQuiet(false);
    } else if (!AnyPeerChecked()) {
        checked_ = true;
    }
}

void CRadio::SetCheck(bool check) {
    SetCheckQuiet(check);
    RepaintWindow();
}

void CRadio::OnLButtonUp(UINT flags, int x, int y) {
    checked_ = !checked_;
    if (checked_) {
        for (CRadio* p : peers_) p->SetCheckQuiet(false);
    } else if (!AnyPeerChecked()) {
        checked_ = true;
    }
}

void CRadio::Draw(Gdiplus::Graphics& g) {
    int frame;
    if (IsHover())
        frame = checked_ ? 4 : 1;
    else if (IsPressed())
        frame = checked_ ? 5 : 2;
    else
        frame = checked_ ? 3 : 0;
    DrawFrame(g, FirstImage(), frame, Rect());
    if (Caption().empty()) return;

    // The caption box is measured with the surface's default font, not the caption's own.
    SIZE extent{0, 0};
    const MemoryDc measure(nullptr);
    if (measure.Get()) {
        GetTextExtentPoint32W(measure.Get(), Caption().c_str(), static_cast<int>(Caption().size()),
                              &extent);
    }
    Gdiplus::RectF layout(float(Rect().right), float(Rect().top - 3), float(extent.cx - textInset_),
                          float(extent.cy));
    DrawSkinText(g, Fonts(), Caption(), fontPoints_, ArgbValue(captionColor_), layout,
                 Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter);
}

void MakeRadioGroup(std::initializer_list<CRadio*> members) {
    for (CRadio* a : members)
        for (CRadio* b : members)
            if (a != b) a->AddGroupPeer(b);
}

}  // namespace velmora
