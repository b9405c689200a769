#include "Screenshot.h"

#include <memory>
#include <vector>

#include "BmpLayout.h"

namespace velmora {
namespace {

constexpr UINT kStoredShift = 1;
constexpr UINT kStoredCtrl = 2;
constexpr UINT kStoredAlt = 4;

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC compatible) : dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDc() {
        if (dc) DeleteDC(dc);
    }
};

struct Bitmap {
    HBITMAP bmp;
    explicit Bitmap(HBITMAP b) : bmp(b) {}
    ~Bitmap() {
        if (bmp) DeleteObject(bmp);
    }
};

struct File {
    HANDLE h;
    explicit File(HANDLE handle) : h(handle) {}
    ~File() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

std::wstring ScreenshotPath(const std::wstring& folder) { return folder + L"\\Velmora.bmp"; }

ATOM HotkeyAtom() { return GlobalAddAtomW(L"Velmora"); }

UINT HotkeyModifiersFromStored(UINT stored) {
    UINT mods = 0;
    if (stored & kStoredShift) mods |= MOD_SHIFT;
    if (stored & kStoredCtrl) mods |= MOD_CONTROL;
    if (stored & kStoredAlt) mods |= MOD_ALT;
    return mods;
}

bool RegisterScreenshotHotkey(HWND window, UINT virtualKey, UINT storedModifiers) {
    return RegisterHotKey(window, HotkeyAtom(), HotkeyModifiersFromStored(storedModifiers),
                          virtualKey) != FALSE;
}

void UnregisterScreenshotHotkey(HWND window) { UnregisterHotKey(window, HotkeyAtom()); }

bool CaptureScreenToFile(HWND mainWindow, const std::wstring& folder) {
    RECT windowRect{};
    if (mainWindow && GetWindowRect(mainWindow, &windowRect)) {
        SetWindowPos(mainWindow, HWND_TOPMOST, windowRect.left, windowRect.top, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
    }

    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (IsRectEmpty(&area)) return false;

    ScreenDc screen;
    if (!screen.dc) return false;
    // Clamp to the display's resolution.
    area.left = area.left < 0 ? 0 : area.left;
    area.top = area.top < 0 ? 0 : area.top;
    const int horzRes = GetDeviceCaps(screen.dc, HORZRES);
    const int vertRes = GetDeviceCaps(screen.dc, VERTRES);
    if (area.right > horzRes) area.right = horzRes;
    if (area.bottom > vertRes) area.bottom = vertRes;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    BmpLayout layout;
    const int displayBits = GetDeviceCaps(screen.dc, BITSPIXEL) * GetDeviceCaps(screen.dc, PLANES);
    if (!ComputeBmpLayout(width, height, displayBits, layout)) return false;

    Bitmap shot(CreateCompatibleBitmap(screen.dc, width, height));
    if (!shot.bmp) return false;
    {
        MemoryDc mem(screen.dc);
        if (!mem.dc) return false;
        HGDIOBJ old = SelectObject(mem.dc, shot.bmp);
        const BOOL copied = BitBlt(mem.dc, 0, 0, width, height, screen.dc, area.left, area.top,
                                   SRCCOPY | CAPTUREBLT);
        SelectObject(mem.dc, old);
        if (!copied) return false;
    }

    // Header, palette and pixels in one block, as the conversion fills them.
    std::vector<uint8_t> block(kBmpInfoHeaderBytes + layout.paletteBytes + layout.imageBytes);
    uint8_t info[kBmpInfoHeaderBytes];
    WriteBmpInfoHeader(layout, info);
    std::copy(std::begin(info), std::end(info), block.begin());
    auto* header = reinterpret_cast<BITMAPINFO*>(block.data());
    uint8_t* pixels = block.data() + kBmpInfoHeaderBytes + layout.paletteBytes;

    HPALETTE oldPalette =
        SelectPalette(screen.dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    RealizePalette(screen.dc);
    const int rows = GetDIBits(screen.dc, shot.bmp, 0, static_cast<UINT>(height), pixels, header,
                               DIB_RGB_COLORS);
    if (oldPalette) {
        SelectPalette(screen.dc, oldPalette, TRUE);
        RealizePalette(screen.dc);
    }
    if (rows == 0) return false;

    File file(CreateFileW(ScreenshotPath(folder).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.h == INVALID_HANDLE_VALUE) return false;
    uint8_t fileHeader[kBmpFileHeaderBytes];
    WriteBmpFileHeader(layout, fileHeader);
    return WriteAll(file.h, fileHeader, sizeof fileHeader) &&
           WriteAll(file.h, block.data(), static_cast<DWORD>(block.size()));
}

}  // namespace velmora
