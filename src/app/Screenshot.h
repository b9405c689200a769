// The screenshot hotkey's capture: the whole primary screen, layered windows included, saved
// as an uncompressed "Velmora.bmp" in the chosen folder.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// The file the capture writes: folder + "\Velmora.bmp". An empty folder (the delivered setting)
// means the user's Pictures folder; empty when that folder cannot be found.
std::wstring ScreenshotPath(const std::wstring& folder);

// The user's Pictures folder, without a trailing backslash; empty when the system has none.
std::wstring PicturesFolder();

// Raises mainWindow to the top-most z-order, captures the primary screen and writes the file.
// False when nothing was written (empty screen, folder missing or not writable).
bool CaptureScreenToFile(HWND mainWindow, const std::wstring& folder);

// The hotkey's registration id: the global atom of "Velmora".
ATOM HotkeyAtom();

// Registers the screenshot hotkey from the stored key code and the settings page's modifier
// flags (Shift 1, Ctrl 2, Alt 4; the extended-key flag 8 has no counterpart and is dropped).
bool RegisterScreenshotHotkey(HWND window, UINT virtualKey, UINT storedModifiers);
void UnregisterScreenshotHotkey(HWND window);
UINT HotkeyModifiersFromStored(UINT storedModifiers);

}  // namespace velmora
