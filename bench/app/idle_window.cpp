// The yardsticks of the idle benchmark, windows of the main window's size running the same
// timers (the one-second refresh and the eye's quarter second):
//   idle_window          an empty window that does nothing on them;
//   idle_window push     a per-pixel-alpha layered window that, on every eye tick, changes the
//                        eye's area and pushes that area, and nothing else: the floor that the
//                        push of a layered window under wine sets for the main window's idle cost.
//   idle_window libs     the same pushing window with the platform libraries the program stands
//                        on loaded and started (common controls, GDI+ with its PNG decoder,
//                        COM with an MSXML 3 document): the memory floor under wine.
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

#include <shlwapi.h>

namespace {

constexpr int kWidth = 475, kHeight = 440;
constexpr UINT_PTR kRefreshTimerId = 1034, kEyeTimerId = 500;
constexpr RECT kEye{149, 132, 323, 280};  // the main window's eye

HDC g_surfaceDc = nullptr;
uint32_t* g_bits = nullptr;
int g_frame = 0;

bool MakeSurface() {
    g_surfaceDc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(g_surfaceDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    SelectObject(g_surfaceDc, dib);
    g_bits = static_cast<uint32_t*>(bits);
    for (int i = 0; i < kWidth * kHeight; ++i) g_bits[i] = 0xFF203040;
    return true;
}

void PushEye(HWND w, bool whole) {
    const uint32_t shade = 0xFF000000u | uint32_t(g_frame * 17);
    for (int y = kEye.top; y < kEye.bottom; ++y)
        for (int x = kEye.left; x < kEye.right; ++x) g_bits[y * kWidth + x] = shade;
    g_frame = (g_frame + 1) % 13;
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    RECT r;
    GetWindowRect(w, &r);
    POINT dst{r.left, r.top};
    SIZE size{kWidth, kHeight};
    UPDATELAYEREDWINDOWINFO info{sizeof info,
                                 nullptr,
                                 whole ? &dst : nullptr,
                                 whole ? &size : nullptr,
                                 g_surfaceDc,
                                 &src,
                                 0,
                                 &blend,
                                 ULW_ALPHA,
                                 whole ? nullptr : &kEye};
    UpdateLayeredWindowIndirect(w, &info);
}

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (g_bits && wp == kEyeTimerId) PushEye(w, false);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(w, msg, wp, lp);
    }
}

}  // namespace

// What Velmora itself loads before its window shows: kept alive for the whole run.
void LoadProgramLibraries() {
    INITCOMMONCONTROLSEX icc{sizeof icc, 0xFF};
    InitCommonControlsEx(&icc);
    static ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    // A 1x1 PNG through GDI+, so its decoder is loaded as the skin pictures load it.
    static const unsigned char kPng[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
        0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F,
        0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x60,
        0x00, 0x02, 0x00, 0x00, 0x05, 0x00, 0x01, 0xE9, 0xFA, 0xDC, 0xD8, 0x00, 0x00, 0x00, 0x00,
        0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    if (IStream* stream = SHCreateMemStream(kPng, sizeof kPng)) {
        delete Gdiplus::Bitmap::FromStream(stream);
        stream->Release();
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // MSXML 3's DOM document, as the settings file is read.
    static const CLSID kDomDocument30 = {
        0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
    static IUnknown* document = nullptr;
    CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(&document));
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
    const bool libs = args && std::wcscmp(args, L"libs") == 0;
    const bool push = libs || (args && std::wcscmp(args, L"push") == 0);
    if (libs) LoadProgramLibraries();
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VelmoraIdleYardstick";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(push ? WS_EX_LAYERED : 0, wc.lpszClassName, L"Idle yardstick",
                             WS_POPUP | WS_VISIBLE, 400, 300, kWidth, kHeight, nullptr, nullptr,
                             instance, nullptr);
    if (push && MakeSurface()) PushEye(w, true);
    SetTimer(w, kRefreshTimerId, 1000, nullptr);
    SetTimer(w, kEyeTimerId, 250, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
