#include "toolkit/StaticText.h"

#include "toolkit/SkinDraw.h"

namespace velmora {

bool CStaticText::CreateText(CDialogBase* dialog, const RECT& rect, std::wstring_view text, int id,
                             uint32_t argb, int align, int points) {
    color_ = argb;
    align_ = align;
    points_ = DpiAdjustedPoints(points);
    return Create(dialog, rect, L"", text, id);
}

void CStaticText::Draw(Gdiplus::Graphics& g) {
    if (Caption().empty()) return;
    const Gdiplus::StringAlignment h = align_ == kNear  ? Gdiplus::StringAlignmentNear
                                       : align_ == kFar ? Gdiplus::StringAlignmentFar
                                                        : Gdiplus::StringAlignmentCenter;
    DrawSkinText(g, Fonts(), Caption(), float(points_), ArgbValue(color_),
                 Gdiplus::RectF(float(Rect().left), float(Rect().top), float(RectWidth(Rect())),
                                float(RectHeight(Rect()))),
                 h, Gdiplus::StringAlignmentCenter);
}

}  // namespace velmora
