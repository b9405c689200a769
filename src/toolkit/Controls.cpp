#include "toolkit/Controls.h"

#include "toolkit/DialogBase.h"
#include "toolkit/SkinDraw.h"

#include <cmath>

namespace velmora {

CControls::CControls() = default;

CControls::~CControls() {
    if (dialog_) dialog_->RemoveControl(this);
}

bool CControls::Create(CDialogBase* dialog, const RECT& rect, std::wstring_view imageName,
                       std::wstring_view caption, int id) {
    if (!dialog || dialog_) return false;
    dialog_ = dialog;
    rect_ = rect;
    imageName_ = imageName;
    caption_ = caption;
    id_ = id;
    dialog_->AddControl(this);
    OnCreate();
    return true;
}

bool CControls::CreateChild(CDialogBase* dialog, CControls* owner, const RECT& rect,
                            std::wstring_view imageName, std::wstring_view caption, int id,
                            BYTE flag) {
    owner_ = owner;
    flag_ = flag;
    return Create(dialog, rect, imageName, caption, id);
}

void CControls::ShowControl(int showState) {
    showState_ = showState;
    RepaintWindow();
}

void CControls::SetCaption(std::wstring_view caption) {
    caption_ = caption;
    RepaintWindow();
}

void CControls::SetCaptionQuietly(std::wstring_view caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    MarkChanged();
}

void CControls::StartTimer(UINT_PTR timerId, UINT periodMs) {
    if (dialog_) dialog_->StartControlTimer(*this, timerId, periodMs);
}

void CControls::StopTimer(UINT_PTR timerId) {
    if (dialog_) dialog_->StopControlTimer(*this, timerId);
}

void CControls::HandleTimer(UINT_PTR timerId) {
    if (showState_ != kShown || !enabled_) return;
    OnTimer(timerId);
    Notify(kCodeTimer);
}

void CControls::Notify(WORD code) const {
    if (dialog_ && dialog_->Hwnd())
        PostMessageW(dialog_->Hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id_ & 0xFFFF), code),
                     0);
}

void CControls::NotifyOwner(WORD code) const {
    if (owner_ && owner_->IsEnabled()) owner_->OnControlEvent(id_, code);
}

SkinFonts* CControls::Fonts() const {
    return dialog_ ? &dialog_->Fonts() : nullptr;
}

void CControls::RepaintWindow() const {
    if (dialog_) dialog_->RepaintNow();
}

void CControls::RepaintOwnArea() const {
    if (dialog_) dialog_->RepaintRect(PaintBounds());
}

void CControls::MarkChanged() const {
    if (dialog_) dialog_->MarkDirty(PaintBounds());
}

void CControls::DrawTextRemembered(Gdiplus::Graphics& g, std::wstring_view text, float points,
                                   uint32_t argb, const Gdiplus::RectF& layout, int horizontal,
                                   int vertical, int formatFlags) const {
    SkinFonts* fonts = Fonts();
    auto draw = [&] {
        DrawSkinText(g, fonts, text, points, ArgbValue(argb), layout,
                     static_cast<Gdiplus::StringAlignment>(horizontal),
                     static_cast<Gdiplus::StringAlignment>(vertical), formatFlags);
    };
    if (!dialog_ || text.empty()) {
        draw();
        return;
    }
    MemoKey& key = dialog_->ScratchKey();
    key.Add('T').Add(points).Add(argb).Add(layout.X).Add(layout.Y).Add(layout.Width);
    key.Add(layout.Height).Add(horizontal).Add(vertical).Add(formatFlags).Add(text);
    // Text is clipped to its layout rectangle (no StringFormatFlagsNoClip here); one pixel of
    // margin all round for the anti-aliased edge.
    const RECT box{static_cast<LONG>(std::floor(layout.X)) - 1,
                   static_cast<LONG>(std::floor(layout.Y)) - 1,
                   static_cast<LONG>(std::ceil(layout.X + layout.Width)) + 1,
                   static_cast<LONG>(std::ceil(layout.Y + layout.Height)) + 1};
    dialog_->Memoized(g, box, key, draw);
}

void CControls::DrawFrameRemembered(Gdiplus::Graphics& g, Gdiplus::Bitmap* strip, int frame,
                                    const RECT& r) const {
    auto draw = [&] { DrawFrame(g, strip, frame, r); };
    if (!dialog_ || !strip) {
        draw();
        return;
    }
    MemoKey& key = dialog_->ScratchKey();
    key.Add('F').Add(strip).Add(frame).Add(r);
    dialog_->Memoized(g, r, key, draw);
}

void CControls::LoadPictures(SkinPackReader& pack) {
    if (!imageName_.empty()) first_.Load(pack, imageName_);
    if (!secondImageName_.empty()) second_.Load(pack, secondImageName_);
}

void CControls::ReleasePictures() {
    first_.Release();
    second_.Release();
}

void CControls::DropDecodedPictures() {
    first_.DropDecoded();
    second_.DropDecoded();
}

void CControls::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (showState_ != kShown || !dialog_) return;
    // Positions are unsigned 16-bit: a point left of or above the dialog is far outside.
    const int x = LOWORD(lParam);
    const int y = HIWORD(lParam);
    const bool inside = InRect(rect_, x, y);
    const HWND hwnd = dialog_->Hwnd();
    bool repaint = false;

    switch (msg) {
        case WM_MOUSEMOVE:
            if (!enabled_) break;
            if (inside) {
                if (InRect(rect_, lastPoint_.x, lastPoint_.y)) {
                    OnMouseMove(0, x, y);
                } else {
                    OnMouseEnter(0, x, y);
                    hover_ = true;
                    outside_ = false;
                    if (hwnd) SetCapture(hwnd);
                    repaint = true;
                }
            } else if (InRect(rect_, lastPoint_.x, lastPoint_.y)) {
                OnMouseLeave(0, x, y);
                outside_ = true;
                hover_ = false;
                repaint = true;
                if (!dialog_->BackgroundPressed() && !pressed_) ReleaseCapture();
            }
            lastPoint_ = {x, y};
            break;
        case WM_LBUTTONDOWN:
            if (!inside) break;
            dialog_->ClearBackgroundPressAllowed();
            if (!enabled_) break;
            if (hwnd) SetCapture(hwnd);
            OnLButtonDown(0, x, y);
            pressed_ = true;
            hover_ = false;
            repaint = true;
            break;
        case WM_LBUTTONUP:
            if (!enabled_ || !pressed_) break;
            OnLButtonUp(0, x, y);
            ReleaseCapture();
            pressed_ = false;
            hover_ = !outside_;
            repaint = true;
            if (inside) {
                Notify(kCodeClick);
                NotifyOwner(kCodeClick);
            }
            break;
        case WM_LBUTTONDBLCLK:
            if (enabled_) OnLButtonDblClk(0, x, y);
            break;
        case WM_RBUTTONDBLCLK:
            if (enabled_) OnRButtonDblClk(0, x, y);
            break;
        default:
            break;
    }
    if (repaint) RepaintWindow();
}

}  // namespace velmora
