#include "settings/UiPage.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <algorithm>

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "settings_ids.h"
#include "toolkit/SkinPackReader.h"
#include "win32/ComPtr.h"
#include "win32/ComSupport.h"
#include "win32/GdiplusIncludes.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

constexpr wchar_t kPreviewPicture[] = L"Browse.png";
// The preview's place at 96 DPI, in the page's pixels.
constexpr RECT kPreviewRect96{5, 153, 349, 479};
constexpr int kBaseDpi = 96;

}  // namespace

CUIDlg::CUIDlg(SettingsHost& host) : CSettingsPage(IDD_PAGE_UI), host_(host) {}

CUIDlg::~CUIDlg() = default;

void CUIDlg::OnInit() {
    TakeOverCaptions({IDC_UI_CAPTION_SCREENSHOT, IDC_UI_CAPTION_SKIN});
    LoadPreview(host_.SkinPackFile());
    HWND list = Item(IDC_UI_SKIN);
    for (const wchar_t* name : kSkinNames) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);

    ConfigFile file;
    if (!file.Open()) return;
    std::wstring text;
    if (file.ReadText(kPathSaveToFilePath, text)) SetItemText(IDC_UI_FOLDER, text);
    if (file.ReadText(kPathUiName, text)) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(SkinIndexFromName(text)), 0);
    }
    int32_t modifiers = 0;
    if (file.ReadIntAttribute(kPathHotKey, kAttrModifiers, modifiers)) {
        int32_t key = 0;
        file.ReadIntAttribute(kPathHotKey, kAttrVirtualKeyCode, key);
        SendMessageW(Item(IDC_UI_HOTKEY), HKM_SETHOTKEY,
                     MAKEWORD(static_cast<BYTE>(key), static_cast<BYTE>(modifiers)), 0);
    }
}

bool CUIDlg::LoadPreview(const std::wstring& packFile) {
    SkinPackReader pack;
    if (packFile.empty() || !pack.Open(ProgramFileOrPath(packFile))) return false;
    std::unique_ptr<Gdiplus::Bitmap> picture;
    const bool loaded = pack.LoadImage(kPreviewPicture, picture) && picture;
    pack.Close();
    if (!loaded) return false;
    preview_ = std::move(picture);
    return true;
}

std::wstring CUIDlg::ChosenSkin() const {
    HWND list = Item(IDC_UI_SKIN);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

RECT CUIDlg::PreviewRect() const {
    WindowDc dc(Hwnd());
    const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : kBaseDpi;
    return RECT{
        MulDiv(kPreviewRect96.left, dpi, kBaseDpi), MulDiv(kPreviewRect96.top, dpi, kBaseDpi),
        MulDiv(kPreviewRect96.right, dpi, kBaseDpi), MulDiv(kPreviewRect96.bottom, dpi, kBaseDpi)};
}

SIZE CUIDlg::PreviewSize() const {
    if (!preview_) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(preview_->GetWidth()), static_cast<LONG>(preview_->GetHeight())};
}

void CUIDlg::Paint(HDC dc) const {
    if (!preview_) return;
    const RECT area = PreviewRect();
    const int areaW = area.right - area.left;
    const int areaH = area.bottom - area.top;
    int w = static_cast<int>(preview_->GetWidth());
    int h = static_cast<int>(preview_->GetHeight());
    if (w <= 0 || h <= 0) return;
    // The picture keeps its own pixels where the area holds it (a skin is seen at the size it
    // is drawn); only a picture larger than the area is shrunk, in proportion.
    if (w > areaW || h > areaH) {
        const double scale = std::min(double(areaW) / w, double(areaH) / h);
        w = static_cast<int>(w * scale);
        h = static_cast<int>(h * scale);
    }
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Centred across the page, right under the skin list.
    graphics.DrawImage(preview_.get(), area.left + (areaW - w) / 2, area.top, w, h);
}

void CUIDlg::SaveUiPage() {
    ConfigFile file;
    if (!file.Open()) return;
    const std::wstring folder = ItemText(IDC_UI_FOLDER);
    host_.SetScreenshotFolder(folder);
    file.WriteText(kPathSaveToFilePath, folder);

    const std::wstring skin = ChosenSkin();
    if (!skin.empty()) {
        if (!file.HasElement(kPathUiName)) file.AppendElement(kPathUIDlg, kElemUiName);
        file.WriteText(kPathUiName, skin);
    }

    const auto hotkey = static_cast<WORD>(SendMessageW(Item(IDC_UI_HOTKEY), HKM_GETHOTKEY, 0, 0));
    const UINT key = LOBYTE(hotkey);
    const UINT modifiers = HIBYTE(hotkey);
    file.WriteIntAttribute(kPathHotKey, kAttrVirtualKeyCode, static_cast<int32_t>(key));
    file.WriteIntAttribute(kPathHotKey, kAttrModifiers, static_cast<int32_t>(modifiers));
    // Both zero removes the hotkey; a combination another program holds fails silently.
    host_.SetScreenshotHotkey(key, modifiers);

    if (SkinSwitchNeeded(host_.SkinPackFile(), skin)) host_.ApplySkin(SkinPackFileOf(skin));
    file.Save();
}

void CUIDlg::BrowseFolder() {
    ComThreadInit com;  // declared first: released last
    if (!com.Usable()) return;
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, dialog.PutVoid()))) {
        return;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    {
        // Browsing must not take the process's current directory along, whatever the system's
        // dialog does with the option.
        const KeepCurrentFolder keep;
        if (FAILED(dialog->Show(Hwnd()))) return;
    }
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Put()))) return;
    wchar_t* path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return;
    SetItemText(IDC_UI_FOLDER, path);
    CoTaskMemFree(path);
}

bool CUIDlg::OnCommand(WORD id, WORD code, HWND) {
    if (id == IDC_UI_FOLDER_BROWSE && code == BN_CLICKED) {
        BrowseFolder();
        return true;
    }
    if (id == IDC_UI_SKIN && code == CBN_SELCHANGE) {
        const std::wstring skin = ChosenSkin();
        if (!skin.empty() && LoadPreview(SkinPackFileOf(skin))) {
            const RECT area = PreviewRect();
            InvalidateRect(Hwnd(), &area, TRUE);
        }
        return true;
    }
    return false;
}

bool CUIDlg::OnMessage(UINT msg, WPARAM, LPARAM) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd(), &ps);
    Paint(dc);
    EndPaint(Hwnd(), &ps);
    return true;
}

}  // namespace velmora
