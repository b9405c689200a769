#include "settings/SettingsPage.h"

namespace velmora {

CSettingsPage::~CSettingsPage() {
    captions_.clear();
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool CSettingsPage::Create(HWND parent) {
    if (hwnd_) return false;
    white_ = GdiObject<HBRUSH>(CreateSolidBrush(RGB(255, 255, 255)));
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                              Proc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

std::wstring CSettingsPage::ItemText(int id) const {
    HWND item = Item(id);
    const int length = item ? GetWindowTextLengthW(item) : 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    if (length > 0) GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void CSettingsPage::SetItemText(int id, const std::wstring& text) const {
    SetDlgItemTextW(hwnd_, id, text.c_str());
}

bool CSettingsPage::IsChecked(int id) const {
    return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void CSettingsPage::SetChecked(int id, bool checked) const {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CSettingsPage::TakeOverCaptions(std::initializer_list<int> ids) {
    for (int id : ids) {
        auto caption = std::make_unique<CStaticEx>();
        if (caption->Subclass(Item(id))) captions_.push_back(std::move(caption));
    }
}

INT_PTR CALLBACK CSettingsPage::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* page = reinterpret_cast<CSettingsPage*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        page->hwnd_ = hwnd;
        page->OnInit();
        return TRUE;
    }
    auto* page = reinterpret_cast<CSettingsPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!page) return FALSE;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        page->hwnd_ = nullptr;
        return FALSE;
    }
    return page->Dispatch(msg, wParam, lParam);
}

INT_PTR CSettingsPage::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // White pages: the labels, check boxes and radio buttons draw on the same white.
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(white_.Get());
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                       ? TRUE
                       : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        default:
            return OnMessage(msg, wParam, lParam) ? TRUE : FALSE;
    }
}

}  // namespace velmora
