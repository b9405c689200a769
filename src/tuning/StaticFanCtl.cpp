#include "tuning/StaticFanCtl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>

#include "toolkit/SkinDraw.h"
#include "win32/GdiplusIncludes.h"
#include "win32/Handles.h"

namespace velmora {
namespace {

constexpr UINT_PTR kSubclassId = 0x46414E;  // "FAN"
constexpr UINT_PTR kDragTimerId = 1;
constexpr COLORREF kGridMajor = RGB(200, 100, 0);
constexpr COLORREF kGridMinor = RGB(150, 0, 0);
constexpr uint32_t kCurveColor = 0xFFC8C8C8;   // (255, 200, 200, 200)
constexpr uint32_t kHandleColor = 0xFF969696;  // (255, 150, 150, 150)
constexpr uint32_t kLabelColor = 0xFFFFFF00;   // (255, 255, 255, 0)
constexpr float kLabelPoints = 7;
constexpr int kAxisPoints = 9;
constexpr wchar_t kAxisFace[] = L"\u5B8B\u4F53";  // the CJK system face; others fall back

RECT ToRect(const EditorRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

void DrawAxisText(HDC dc, const wchar_t* text, RECT r, UINT align) {
    DrawTextW(dc, text, -1, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
}

}  // namespace

CStaticFanCtl::~CStaticFanCtl() {
    Detach();
}

bool CStaticFanCtl::Attach(HWND button) {
    if (!IsWindow(button) || hwnd_) return false;
    hwnd_ = button;
    // Owner-drawn: the button's own state changes then never draw over the plot; its press
    // handling (the mouse held while the button is down) stays.
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    if (!SetWindowSubclass(button, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        hwnd_ = nullptr;
        return false;
    }
    InvalidateRect(button, nullptr, FALSE);
    return true;
}

void CStaticFanCtl::Detach() {
    if (!hwnd_) return;
    if (timerRunning_) KillTimer(hwnd_, kDragTimerId);
    timerRunning_ = false;
    RemoveWindowSubclass(hwnd_, Proc, kSubclassId);
    hwnd_ = nullptr;
}

void CStaticFanCtl::SetPoints(const int (&values)[16]) {
    RECT client{0, 0, 0, 0};
    if (hwnd_) {
        GetClientRect(hwnd_, &client);
        WindowDc screen(hwnd_);
        if (screen.Get()) editor_.SetScale(GetDeviceCaps(screen.Get(), LOGPIXELSY) / 96.0);
    }
    editor_.SetPoints(values, client.right, client.bottom);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CStaticFanCtl::Repaint(const EditorRect& area) {
    if (!hwnd_) return;
    const RECT r = ToRect(area);
    InvalidateRect(hwnd_, &r, FALSE);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK CStaticFanCtl::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
    return reinterpret_cast<CStaticFanCtl*>(self)->Handle(msg, wParam, lParam);
}

LRESULT CStaticFanCtl::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND w = hwnd_;
    switch (msg) {
        case WM_ERASEBKGND:
            // Everything is drawn in one go off-screen: nothing to erase, nothing flickers.
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            Paint(dc, ps.rcPaint);
            EndPaint(w, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (editor_.Press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
                Repaint(editor_.Plot());
            }
            break;
        case WM_MOUSEMOVE: {
            const FanCurveEditor::Move m =
                editor_.MoveTo(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (m.dragging && !m.repaint.Empty()) {
                // Shown at most every 25 ms: the areas of the moves meanwhile are collected.
                const RECT band = ToRect(m.repaint);
                UnionRect(&pending_, &pending_, &band);
                if (!timerRunning_) {
                    timerRunning_ = SetTimer(w, kDragTimerId, kDragRepaintMs, nullptr) != 0;
                    if (!timerRunning_) {
                        InvalidateRect(w, &pending_, FALSE);
                        pending_ = RECT{0, 0, 0, 0};
                    }
                }
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kDragTimerId) {
                KillTimer(w, kDragTimerId);
                timerRunning_ = false;
                InvalidateRect(w, &pending_, FALSE);
                pending_ = RECT{0, 0, 0, 0};
                UpdateWindow(w);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (editor_.Release()) {
                if (timerRunning_) KillTimer(w, kDragTimerId);
                timerRunning_ = false;
                pending_ = RECT{0, 0, 0, 0};
                Repaint(editor_.Plot());
            }
            break;
        case WM_LBUTTONDBLCLK:
            Repaint(editor_.ToggleForm());
            break;
        case WM_NCDESTROY: {
            const LRESULT r = DefSubclassProc(w, msg, wParam, lParam);
            RemoveWindowSubclass(w, Proc, kSubclassId);
            hwnd_ = nullptr;
            return r;
        }
        default:
            break;
    }
    return DefSubclassProc(w, msg, wParam, lParam);
}

void CStaticFanCtl::DrawBackground(HDC dc, const RECT& client) const {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const EditorRect& p = editor_.Plot();
    const int cellW = (p.right - p.left) / 10;
    const int cellH = (p.bottom - p.top) / 10;
    GdiObject<HPEN> major(CreatePen(PS_SOLID, 1, kGridMajor));
    GdiObject<HPEN> minor(CreatePen(PS_SOLID, 1, kGridMinor));
    HGDIOBJ old = SelectObject(dc, minor.Get());
    for (int i = 0; i <= 10; ++i) {
        SelectObject(dc, (i == 0 || i == 6) ? major.Get() : minor.Get());
        MoveToEx(dc, p.left, p.top + i * cellH, nullptr);
        LineTo(dc, p.right, p.top + i * cellH);
    }
    SelectObject(dc, minor.Get());
    for (int j = 0; j <= 10; ++j) {
        MoveToEx(dc, p.left + j * cellW, p.top, nullptr);
        LineTo(dc, p.left + j * cellW, p.bottom);
    }
    SelectObject(dc, old);

    const int height = -MulDiv(kAxisPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
    GdiObject<HFONT> font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kAxisFace));
    HGDIOBJ oldFont = SelectObject(dc, font.Get());
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    // The 96 DPI layout's offsets, grown with the text on larger screens.
    auto px = [this](int v) { return editor_.Scaled(v); };
    DrawAxisText(dc, L"Fan speed,%", RECT{p.left, p.top - px(30), p.right, p.top}, DT_LEFT);
    DrawAxisText(dc, L"0", RECT{p.left, p.bottom, p.left + px(10), p.bottom + px(15)}, DT_LEFT);
    DrawAxisText(dc, L"100", RECT{p.left - px(23), p.top - px(5), p.left + px(2), p.top + px(10)},
                 DT_RIGHT);
    wchar_t text[8];
    for (int k = 1; k <= 9; ++k) {
        std::swprintf(text, 8, L"%d", 100 - 10 * k);
        const int y = p.top + k * cellH;
        DrawAxisText(dc, text, RECT{p.left - px(20), y - px(5), p.left - px(5), y + px(10)},
                     DT_RIGHT);
    }
    for (int k = 1; k <= 10; ++k) {
        std::swprintf(text, 8, L"%d", 10 * k);
        const int x = p.left + k * cellW;
        DrawAxisText(
            dc, text,
            RECT{x - px(10), p.bottom + px(5), x + px(k == 10 ? 15 : 10), p.bottom + px(20)},
            DT_CENTER);
    }
    DrawAxisText(dc, L"Teperature,\u2103",
                 RECT{p.right - px(110), p.bottom + px(20), p.right, p.bottom + px(45)}, DT_RIGHT);
    SelectObject(dc, oldFont);
}

void CStaticFanCtl::Paint(HDC target, const RECT& area) {
    ++paints_;
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // The whole control off-screen, then only the area asked for onto the screen.
    MemoryDc mem(target);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!mem.Get() || !bitmap.Get()) return;
    HGDIOBJ oldBitmap = SelectObject(mem.Get(), bitmap.Get());
    DrawBackground(mem.Get(), client);
    {
        Gdiplus::Graphics g(mem.Get());
        Gdiplus::Pen pen(ArgbValue(kCurveColor), 1.0f);
        Gdiplus::Point points[FanCurveEditor::kStepPoints];
        int n = 0;
        if (editor_.steps) {
            for (const EditorPoint& p : editor_.StepPoints())
                points[n++] = Gdiplus::Point(p.x, p.y);
        } else {
            for (const EditorPoint& p : editor_.LinePoints())
                points[n++] = Gdiplus::Point(p.x, p.y);
        }
        g.DrawLines(&pen, points, n);
        Gdiplus::SolidBrush handle(ArgbValue(kHandleColor));
        for (int i = 0; i < FanCurveEditor::kPoints; ++i) {
            const EditorRect& h = editor_.Handle(i);
            g.FillRectangle(&handle, h.left, h.top, h.right - h.left, h.bottom - h.top);
        }
        const EditorRect& l = editor_.LabelRect();
        if (!l.Empty()) {
            DrawSkinText(g, nullptr, editor_.LabelText(), kLabelPoints, ArgbValue(kLabelColor),
                         Gdiplus::RectF(float(l.left), float(l.top), float(l.right - l.left),
                                        float(l.bottom - l.top)),
                         Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear,
                         Gdiplus::StringFormatFlagsNoFitBlackBox);
        }
    }
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, mem.Get(),
           area.left, area.top, SRCCOPY);
    SelectObject(mem.Get(), oldBitmap);
}

}  // namespace velmora
