#include "Screenshot.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "BmpLayout.h"
#include "win32/Handles.h"

namespace velmora {
namespace {

constexpr UINT kStoredShift = 1;
constexpr UINT kStoredCtrl = 2;
constexpr UINT kStoredAlt = 4;

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

std::wstring PicturesFolder() {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &path)) && path) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
}

std::wstring ScreenshotPath(const std::wstring& folder) {
    // An empty folder would name the root of the current drive, which a standard user cannot
    // write; the Pictures folder is where a user looks for a screenshot.
    if (folder.empty()) {
        const std::wstring pictures = PicturesFolder();
        return pictures.empty() ? std::wstring() : pictures + L"\\Velmora.bmp";
    }
    return folder + L"\\Velmora.bmp";
}

ATOM HotkeyAtom() {
    return GlobalAddAtomW(L"Velmora");
}

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

void UnregisterScreenshotHotkey(HWND window) {
    UnregisterHotKey(window, HotkeyAtom());
}

bool CaptureScreenToFile(HWND mainWindow, const std::wstring& folder) {
    RECT windowRect{};
    if (mainWindow && GetWindowRect(mainWindow, &windowRect)) {
        SetWindowPos(mainWindow, HWND_TOPMOST, windowRect.left, windowRect.top, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
    }

    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (IsRectEmpty(&area)) return false;

    ScreenDc screen;
    if (!screen.Get()) return false;
    // Clamp to the display's resolution.
    area.left = area.left < 0 ? 0 : area.left;
    area.top = area.top < 0 ? 0 : area.top;
    const int horzRes = GetDeviceCaps(screen.Get(), HORZRES);
    const int vertRes = GetDeviceCaps(screen.Get(), VERTRES);
    if (area.right > horzRes) area.right = horzRes;
    if (area.bottom > vertRes) area.bottom = vertRes;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    BmpLayout layout;
    const int displayBits =
        GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
    if (!ComputeBmpLayout(width, height, displayBits, layout)) return false;

    GdiObject<HBITMAP> shot(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!shot.Get()) return false;
    {
        MemoryDc mem(screen.Get());
        if (!mem.Get()) return false;
        HGDIOBJ old = SelectObject(mem.Get(), shot.Get());
        const BOOL copied = BitBlt(mem.Get(), 0, 0, width, height, screen.Get(), area.left,
                                   area.top, SRCCOPY | CAPTUREBLT);
        SelectObject(mem.Get(), old);
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
        SelectPalette(screen.Get(), static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
    RealizePalette(screen.Get());
    const int rows = GetDIBits(screen.Get(), shot.Get(), 0, static_cast<UINT>(height), pixels,
                               header, DIB_RGB_COLORS);
    if (oldPalette) {
        SelectPalette(screen.Get(), oldPalette, TRUE);
        RealizePalette(screen.Get());
    }
    if (rows == 0) return false;

    const std::wstring path = ScreenshotPath(folder);
    if (path.empty()) return false;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return false;
    uint8_t fileHeader[kBmpFileHeaderBytes];
    WriteBmpFileHeader(layout, fileHeader);
    return WriteAll(file.Get(), fileHeader, sizeof fileHeader) &&
           WriteAll(file.Get(), block.data(), static_cast<DWORD>(block.size()));
}

}  // namespace velmora
