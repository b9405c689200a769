#include "toolkit/Radio.h"

#include <algorithm>
#include <cmath>

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

    const Gdiplus::RectF layout = CaptionLayout(g);
    // One line: a caption broken inside a word ("Brigh t") reads as a fault.
    DrawSkinText(g, Fonts(), Caption(), fontPoints_, ArgbValue(captionColor_), layout,
                 Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentCenter,
                 Gdiplus::StringFormatFlagsNoWrap);
}

Gdiplus::RectF CRadio::CaptionLayout(Gdiplus::Graphics& g) {
    if (captionMeasured_ == Caption() && measuredPoints_ == fontPoints_) return captionLayout_;
    // The box is measured with the surface's default font, less the inset; it grows to what the
    // caption needs in its own font where that is wider, so the caption never wraps.
    SIZE extent{0, 0};
    const MemoryDc measure(nullptr);
    if (measure.Get()) {
        GetTextExtentPoint32W(measure.Get(), Caption().c_str(), static_cast<int>(Caption().size()),
                              &extent);
    }
    float width = float(extent.cx - textInset_);
    float height = float(extent.cy);
    if (Gdiplus::Font* font = Fonts() ? Fonts()->Get(fontPoints_) : nullptr) {
        Gdiplus::RectF needed;
        Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
        g.MeasureString(Caption().c_str(), static_cast<INT>(Caption().size()), font,
                        Gdiplus::PointF(0, 0), &format, &needed);
        width = std::max(width, std::ceil(needed.Width) + 1);
        height = std::max(height, std::ceil(needed.Height));
    }
    captionLayout_ = Gdiplus::RectF(float(Rect().right), float(Rect().top - 3), width, height);
    captionMeasured_ = Caption();
    measuredPoints_ = fontPoints_;
    return captionLayout_;
}

RECT CRadio::PaintBounds() const {
    RECT r = Rect();
    if (!captionMeasured_.empty()) {
        const RECT caption{static_cast<LONG>(std::floor(captionLayout_.X)) - 1,
                           static_cast<LONG>(std::floor(captionLayout_.Y)) - 1,
                           static_cast<LONG>(std::ceil(captionLayout_.GetRight())) + 1,
                           static_cast<LONG>(std::ceil(captionLayout_.GetBottom())) + 1};
        UnionRect(&r, &r, &caption);
    }
    return r;
}

void MakeRadioGroup(std::initializer_list<CRadio*> members) {
    for (CRadio* a : members)
        for (CRadio* b : members)
            if (a != b) a->AddGroupPeer(b);
}

}  // namespace velmora
