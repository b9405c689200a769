#include "toolkit/StaticEx.h"

#include <commctrl.h>

#include <string>

#include "win32/Handles.h"

namespace velmora {

namespace {
constexpr UINT_PTR kSubclassId = 0x5E1;
const COLORREF kBandColor = RGB(192, 0, 0);
const COLORREF kTextColor = RGB(255, 255, 255);
constexpr int kTextMargin = 5;
}  // namespace

CStaticEx::~CStaticEx() {
    Unsubclass();
}

bool CStaticEx::Subclass(HWND staticControl) {
    Unsubclass();
    if (!staticControl || !SetWindowSubclass(staticControl, Proc, kSubclassId, 0)) return false;
    hwnd_ = staticControl;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

void CStaticEx::Unsubclass() {
    if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, Proc, kSubclassId);
    hwnd_ = nullptr;
}

void CStaticEx::Paint(HWND hwnd, HDC dc, const RECT& client) {
    const GdiObject<HBRUSH> band(CreateSolidBrush(kBandColor));
    if (band) FillRect(dc, &client, band.Get());
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    HGDIOBJ oldFont = nullptr;
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)))
        oldFont = SelectObject(dc, font);
    SetTextColor(dc, kTextColor);
    SetBkMode(dc, TRANSPARENT);
    // The margin indents the text inside the band; the band itself keeps the control's size.
    RECT r = client;
    r.left += kTextMargin;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (oldFont) SelectObject(dc, oldFont);
}

LRESULT CALLBACK CStaticEx::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            Paint(hwnd, dc, client);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, Proc, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace velmora
