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
    const int h = align_ == kNear  ? Gdiplus::StringAlignmentNear
                  : align_ == kFar ? Gdiplus::StringAlignmentFar
                                   : Gdiplus::StringAlignmentCenter;
    DrawTextRemembered(g, Caption(), float(points_), color_,
                       Gdiplus::RectF(float(Rect().left), float(Rect().top),
                                      float(RectWidth(Rect())), float(RectHeight(Rect()))),
                       h, Gdiplus::StringAlignmentCenter);
}

}  // namespace velmora
