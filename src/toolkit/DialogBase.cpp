#include "toolkit/DialogBase.h"

#include <windowsx.h>
#include "win32/GdiplusIncludes.h"

#include <algorithm>
#include <cstring>

#include "toolkit/Controls.h"
#include "toolkit/SkinDraw.h"
#include "toolkit/SkinPackReader.h"
#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {
double NowUs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) * 1e6 / double(frequency.QuadPart);
}
}  // namespace

// Screen-compatible memory DC with a top-down 32-bit premultiplied DIB selected into it.
class LayeredSurface {
  public:
    LayeredSurface(HDC screen, int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(screen);
        if (!dc_ || width <= 0 || height <= 0) return;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~LayeredSurface() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    LayeredSurface(const LayeredSurface&) = delete;
    LayeredSurface& operator=(const LayeredSurface&) = delete;
    bool Ok() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    uint32_t* Row(int y) const { return static_cast<uint32_t*>(bits_) + size_t(y) * width_; }
    BYTE* Bits() const { return static_cast<BYTE*>(bits_); }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
    int width_;
    int height_;
};

CDialogBase::CDialogBase(UINT templateId, std::wstring_view skinPackFile,
                         std::wstring_view backgroundName, HWND parent)
    : templateId_(templateId),
      skinPackFile_(skinPackFile),
      backgroundName_(backgroundName),
      parent_(parent) {}

CDialogBase::~CDialogBase() {
    if (hwnd_) {
        // The derived parts are gone: no message may reach this object any more.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        if (!modal_) DestroyWindow(h);
    }
    for (CControls* c : controls_) c->ReleasePictures();
}

INT_PTR CDialogBase::DoModal() {
    modal_ = true;
    const INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                                      parent_, DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return r;
}

bool CDialogBase::CreateModeless() {
    if (hwnd_) return false;
    modal_ = false;
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

void CDialogBase::CloseDialog(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_)
        EndDialog(hwnd_, result);
    else
        DestroyWindow(hwnd_);
}

bool CDialogBase::LoadSkin(std::wstring_view skinPackFile, bool redraw, bool reload) {
    SkinPackReader pack;
    if (!pack.Open(std::filesystem::path(ProgramFileOrPath(skinPackFile)))) return false;
    if (reload) {
        background_.Release();
        for (CControls* c : controls_) c->ReleasePictures();
    }
    ForgetBackgroundPixels();
    memo_.Clear();
    background_.Load(pack, backgroundName_);
    for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->LoadPictures(pack);
    pack.Close();
    if (redraw) RepaintNow();
    return true;
}

void CDialogBase::AddControl(CControls* control) {
    if (control && std::find(controls_.begin(), controls_.end(), control) == controls_.end())
        controls_.push_back(control);
}

void CDialogBase::RemoveControl(CControls* control) {
    if (control) StopControlTimers(*control);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    memo_.Clear();  // its pictures go with it; their addresses may come back for others
}

void CDialogBase::StartControlTimer(CControls& control, UINT_PTR timerId, UINT periodMs) {
    if (!hwnd_) return;
    auto it = std::find_if(
        controlTimers_.begin(), controlTimers_.end(),
        [&](const ControlTimer& t) { return t.control == &control && t.timerId == timerId; });
    if (it == controlTimers_.end()) {
        controlTimers_.push_back(ControlTimer{&control, timerId, nextControlTimerId_++});
        it = controlTimers_.end() - 1;
    }
    if (!SetTimer(hwnd_, it->windowTimerId, periodMs, nullptr)) controlTimers_.erase(it);
}

void CDialogBase::StopControlTimer(CControls& control, UINT_PTR timerId) {
    for (auto it = controlTimers_.begin(); it != controlTimers_.end(); ++it) {
        if (it->control != &control || it->timerId != timerId) continue;
        if (hwnd_) KillTimer(hwnd_, it->windowTimerId);
        controlTimers_.erase(it);
        return;
    }
}

void CDialogBase::StopControlTimers(CControls& control) {
    for (auto it = controlTimers_.begin(); it != controlTimers_.end();) {
        if (it->control != &control) {
            ++it;
            continue;
        }
        if (hwnd_) KillTimer(hwnd_, it->windowTimerId);
        it = controlTimers_.erase(it);
    }
}

UINT_PTR CDialogBase::ControlTimerWindowId(const CControls& control, UINT_PTR timerId) const {
    for (const ControlTimer& t : controlTimers_)
        if (t.control == &control && t.timerId == timerId) return t.windowTimerId;
    return 0;
}

bool CDialogBase::DispatchControlTimer(UINT_PTR windowTimerId) {
    for (const ControlTimer& t : controlTimers_) {
        if (t.windowTimerId != windowTimerId) continue;
        // A copy: the tick may start or stop timers and so change the list.
        const ControlTimer tick = t;
        tick.control->HandleTimer(tick.timerId);
        return true;
    }
    return false;
}

void CDialogBase::Compose(Gdiplus::Graphics& g) {
    ++compositions_;
    DrawLayers(g, true, nullptr);
}

void CDialogBase::DrawLayers(Gdiplus::Graphics& g, bool withBackground, const RECT* area) {
    if (withBackground) {
        if (!backgroundPixels_.empty()) {
            // The decoded picture's own pixels, kept in place of it.
            Gdiplus::Bitmap bg(backgroundWidth_, backgroundHeight_, backgroundWidth_ * 4,
                               PixelFormat32bppPARGB,
                               reinterpret_cast<BYTE*>(backgroundPixels_.data()));
            DrawImagePart(g, &bg, 0, 0, 0, 0, backgroundWidth_, backgroundHeight_);
        } else if (Gdiplus::Bitmap* bg = background_.Image()) {
            DrawImagePart(g, bg, 0, 0, 0, 0, static_cast<int>(bg->GetWidth()),
                          static_cast<int>(bg->GetHeight()));
        }
    }
    if (phases_) phases_->controlUs.assign(controls_.size(), 0.0);
    for (size_t i = 0; i < controls_.size(); ++i) {
        CControls* c = controls_[i];
        if (!c->IsShown()) continue;
        RECT bounds = c->PaintBounds(), overlap;
        if (area && !IntersectRect(&overlap, &bounds, area)) continue;
        const double t0 = phases_ ? NowUs() : 0;
        c->Draw(g);
        if (phases_) {
            g.Flush(Gdiplus::FlushIntentionSync);
            phases_->controlUs[i] = NowUs() - t0;
        }
    }
}

bool CDialogBase::RenderTo(Gdiplus::Bitmap& target) {
    Gdiplus::Graphics g(&target);
    if (g.GetLastStatus() != Gdiplus::Ok) return false;
    Compose(g);
    return true;
}

const std::vector<uint32_t>* CDialogBase::BackgroundPixels() {
    if (!backgroundPixelsTried_) {
        backgroundPixelsTried_ = true;
        Gdiplus::Bitmap* bg = background_.Image();
        if (!bg) return nullptr;
        const int w = static_cast<int>(bg->GetWidth()), h = static_cast<int>(bg->GetHeight());
        Gdiplus::Rect all(0, 0, w, h);
        Gdiplus::BitmapData data{};
        if (w <= 0 || h <= 0 ||
            bg->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) !=
                Gdiplus::Ok)
            return nullptr;
        backgroundPixels_.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            std::memcpy(&backgroundPixels_[size_t(y) * w],
                        static_cast<const BYTE*>(data.Scan0) + ptrdiff_t(y) * data.Stride,
                        size_t(w) * 4);
        bg->UnlockBits(&data);
        backgroundWidth_ = w;
        backgroundHeight_ = h;
        // The copy is the picture from now on; the decoded one would be a second copy all day.
        background_.DropDecoded();
    }
    return backgroundPixels_.empty() ? nullptr : &backgroundPixels_;
}

void CDialogBase::ForgetBackgroundPixels() {
    backgroundPixels_.clear();
    backgroundPixels_.shrink_to_fit();
    backgroundWidth_ = backgroundHeight_ = 0;
    backgroundPixelsTried_ = false;
    frameValid_ = false;
}

void CDialogBase::ClearArea(const RECT& a) {
    for (int y = a.top; y < a.bottom; ++y)
        std::memset(surface_->Row(y) + a.left, 0, size_t(a.right - a.left) * 4);
}

void CDialogBase::CopyBackground(const std::vector<uint32_t>& px, const RECT& a) {
    const int right = std::min<int>(a.right, backgroundWidth_);
    const int bottom = std::min<int>(a.bottom, backgroundHeight_);
    if (right <= a.left) return;
    for (int y = a.top; y < bottom; ++y)
        std::memcpy(surface_->Row(y) + a.left, &px[size_t(y) * backgroundWidth_ + a.left],
                    size_t(right - a.left) * 4);
}

bool CDialogBase::ComposeToScreen(const RECT* dirty) {
    if (!hwnd_) return false;
    RECT wr;
    if (!GetWindowRect(hwnd_, &wr)) return false;
    const int w = RectWidth(wr), h = RectHeight(wr);
    if (!surface_ || surface_->Width() != w || surface_->Height() != h) {
        surface_.reset();
        frameValid_ = false;
        ScreenDc screen;
        auto fresh = std::make_unique<LayeredSurface>(screen.Get(), w, h);
        if (!fresh->Ok()) return false;
        surface_ = std::move(fresh);
    }

    const RECT whole{0, 0, w, h};
    RECT area = whole;
    const bool partial = dirty && frameValid_;
    if (partial) {
        UnionRect(&area, dirty, &pendingDirty_);
        IntersectRect(&area, &area, &whole);
        if (IsRectEmpty(&area)) return true;
    }
    pendingDirty_ = RECT{0, 0, 0, 0};

    ++compositions_;
    const double t0 = phases_ ? NowUs() : 0;
    if (phases_) phases_->area = area;
    ClearArea(area);
    const std::vector<uint32_t>* background = BackgroundPixels();
    if (background) CopyBackground(*background, area);
    {
        // The DIB's pixels, seen by GDI+ as premultiplied ARGB, as the layered window wants.
        Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB, surface_->Bits());
        Gdiplus::Graphics g(&canvas);
        if (g.GetLastStatus() != Gdiplus::Ok) return false;
        if (partial)
            g.SetClip(Gdiplus::Rect(area.left, area.top, RectWidth(area), RectHeight(area)));
        if (phases_) phases_->prepareUs = NowUs() - t0;
        if (memoOn_) {
            composing_ = FrameView{reinterpret_cast<uint32_t*>(surface_->Bits()), w, h};
            composingArea_ = area;
        }
        DrawLayers(g, background == nullptr, partial ? &area : nullptr);
        composing_ = FrameView{};
        g.Flush(Gdiplus::FlushIntentionSync);
    }
    frameValid_ = true;

    const double pushStart = phases_ ? NowUs() : 0;
    const bool pushed = Push(wr, partial ? &area : nullptr);
    if (phases_) phases_->pushUs = NowUs() - pushStart;
    return pushed;
}

bool CDialogBase::Push(const RECT& windowRect, const RECT* area) {
    POINT dst{windowRect.left, windowRect.top};
    SIZE size{RectWidth(windowRect), RectHeight(windowRect)};
    POINT src{0, 0};
    // A window already where the last push left it is neither moved nor resized again: under
    // wine a position or size, even an unchanged one, costs a move of the window on every push.
    const bool placed = pushedOnce_ && EqualRect(&windowRect, &pushedWindowRect_);
    UPDATELAYEREDWINDOWINFO info{sizeof info,
                                 nullptr,
                                 placed ? nullptr : &dst,
                                 placed ? nullptr : &size,
                                 surface_->Dc(),
                                 &src,
                                 0,
                                 &blend_,
                                 ULW_ALPHA,
                                 area};
    bool ok = UpdateLayeredWindowIndirect(hwnd_, &info) != FALSE;
    if (!ok && area) {
        info.prcDirty = nullptr;
        ok = UpdateLayeredWindowIndirect(hwnd_, &info) != FALSE;
    }
    if (ok) {
        pushedOnce_ = true;
        pushedWindowRect_ = windowRect;
    }
    return ok;
}

bool CDialogBase::MemoCovers(const RECT& box) const {
    return composing_.pixels && box.left >= composingArea_.left && box.top >= composingArea_.top &&
           box.right <= composingArea_.right && box.bottom <= composingArea_.bottom;
}

void CDialogBase::FlushForMemo(Gdiplus::Graphics& g) {
    g.Flush(Gdiplus::FlushIntentionSync);
}

void CDialogBase::SetDrawMemo(bool on) {
    memoOn_ = on;
    if (!on) memo_.Clear();
}

void CDialogBase::RepaintNow() {
    if (hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED)) ComposeToScreen();
}

void CDialogBase::RepaintRect(const RECT& area) {
    if (hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED)) ComposeToScreen(&area);
}

bool CDialogBase::ReadFrame(std::vector<uint32_t>& pixels, int& width, int& height) const {
    if (!surface_ || !frameValid_) return false;
    width = surface_->Width();
    height = surface_->Height();
    pixels.assign(surface_->Row(0), surface_->Row(0) + size_t(width) * height);
    return true;
}

void CDialogBase::RepaintChanged() {
    const RECT nothing{0, 0, 0, 0};
    RepaintRect(nothing);
}

void CDialogBase::MarkDirty(const RECT& area) {
    // An empty rectangle takes no part in a union.
    UnionRect(&pendingDirty_, &pendingDirty_, &area);
}

void CDialogBase::DropDecodedPictures() {
    background_.DropDecoded();
    ForgetBackgroundPixels();
    memo_.Clear();
    for (CControls* c : controls_) c->DropDecodedPictures();
}

void CDialogBase::RouteToControls(UINT msg, WPARAM wParam, LPARAM lParam) {
    // By index: a control may add controls (a list creating its entries) while routing.
    for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->HandleMessage(msg, wParam, lParam);
}

LRESULT CDialogBase::CaptionHitTest(int screenX, int screenY) const {
    POINT p{screenX, screenY};
    if (hwnd_) ScreenToClient(hwnd_, &p);
    for (const CControls* c : controls_)
        if (InRect(c->Rect(), p.x, p.y)) return HTCLIENT;
    return HTCAPTION;
}

LRESULT CDialogBase::OnNcHitTest(int screenX, int screenY) {
    if (captionDrag_) return CaptionHitTest(screenX, screenY);
    return HTCLIENT;
}

BOOL CDialogBase::OnInitDialog() {
    blend_ = BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // The skin draws the whole window: no system frame or caption may sit between the window's
    // corner and the client area, or every control's hit test would be off by the caption height
    // (a CAPTION line in a template adds WS_CAPTION by itself).
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    if (style & (WS_CAPTION | WS_THICKFRAME)) {
        SetWindowLongPtrW(hwnd_, GWL_STYLE,
                          style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME));
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
    ComposeToScreen();
    return TRUE;
}

void CDialogBase::OnLButtonDown(int x, int y) {
    if (!backgroundPressAllowed_) return;
    backgroundPressed_ = true;
    SetCapture(hwnd_);
}

void CDialogBase::OnLButtonUp(int x, int y) {
    backgroundPressAllowed_ = true;
    backgroundPressed_ = false;
    ReleaseCapture();
}

void CDialogBase::OnClose() {
    CloseDialog(IDCANCEL);
}

LRESULT CDialogBase::Default() {
    useDefault_ = true;
    return 0;
}

LRESULT CDialogBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd_, &ps);
            EndPaint(hwnd_, &ps);
            ComposeToScreen();
            return 0;
        }
        case WM_ERASEBKGND:
            ComposeToScreen();
            return 1;
        case WM_TIMER:
            if (!DispatchControlTimer(wParam)) OnTimer(wParam);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
            RouteToControls(msg, wParam, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            RouteToControls(msg, wParam, lParam);
            OnLButtonDown(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_LBUTTONUP:
            RouteToControls(msg, wParam, lParam);
            OnLButtonUp(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NCHITTEST:
            return OnNcHitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return Default();
    }
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialogBase* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogBase*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return FALSE;

    const bool outer = self->useDefault_;
    self->useDefault_ = false;
    const LRESULT result = self->WindowProc(msg, wParam, lParam);
    const bool useDefault = self->useDefault_;
    self->useDefault_ = outer;

    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->controlTimers_.clear();  // they ended with the window
        return FALSE;
    }
    if (useDefault) return FALSE;
    switch (msg) {
        // These answer through the dialog procedure's return value itself.
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return static_cast<INT_PTR>(result);
        default:
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

}  // namespace velmora
