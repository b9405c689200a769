// The "UI" page: the screenshot folder and hotkey, and the skin of every window with a preview
// of the chosen skin (the "UIDlg" section).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "settings/PageRules.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsPage.h"

namespace Gdiplus {
class Bitmap;
}

namespace velmora {

class CUIDlg : public CSettingsPage {
  public:
    explicit CUIDlg(SettingsHost& host);
    ~CUIDlg() override;

    // OK: stores the folder, the skin name and the hotkey, and applies them; nothing at all when
    // the file cannot be opened.
    void SaveUiPage();

    // The preview's place on the page: (5, 153)-(349, 479) at 96 DPI, in proportion at others.
    RECT PreviewRect() const;
    // The preview picture's size in pixels; 0 x 0 when none is loaded.
    SIZE PreviewSize() const;
    // The skin list's selected entry text (empty when none).
    std::wstring ChosenSkin() const;

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    // The pack's "Browse.png" as the preview; false (preview unchanged) when it cannot be read.
    bool LoadPreview(const std::wstring& packFile);
    void Paint(HDC dc) const;
    void BrowseFolder();

    SettingsHost& host_;
    std::unique_ptr<Gdiplus::Bitmap> preview_;
};

}  // namespace velmora
