#include "settings/AboutPage.h"

#include <commctrl.h>
#include <shellapi.h>

#include "settings/PageRules.h"
#include "settings_ids.h"

namespace velmora {
namespace {

std::wstring LoadText(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size the string table entry itself is handed out (not terminated).
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace

CAboutDlg::CAboutDlg() : CSettingsPage(IDD_PAGE_ABOUT) {}

std::wstring CAboutDlg::LinkAddress(int linkId) {
    switch (linkId) {
        case IDC_ABOUT_SHARE_SINA:
            return LoadText(IDS_ABOUT_URL_SINA_SHARE);
        case IDC_ABOUT_SHARE_TENCENT:
            return LoadText(IDS_ABOUT_URL_TENCENT_SHARE);
        case IDC_ABOUT_BBS:
            return LoadText(IDS_ABOUT_URL_BBS);
        case IDC_ABOUT_WEBSITE:
            return LoadText(IDS_ABOUT_URL_WEBSITE);
        default:
            return {};
    }
}

void CAboutDlg::OnInit() {
    TakeOverCaptions({IDC_ABOUT_CAPTION_SHARE, IDC_ABOUT_CAPTION_ABOUT});
    SetItemText(IDC_ABOUT_EMAIL, LoadText(IDS_ABOUT_EMAIL));
    SetItemText(IDC_ABOUT_PHONE, LoadText(IDS_ABOUT_PHONE));
    SetItemText(IDC_ABOUT_BBS, L"<a>" + LoadText(IDS_ABOUT_BBS_TEXT) + L"</a>");
}

bool CAboutDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.code != NM_CLICK && header.code != NM_RETURN) return false;
    const std::wstring address = LinkAddress(static_cast<int>(header.idFrom));
    if (address.empty()) return false;
    if (IsWebAddress(address)) {
        ShellExecuteW(Hwnd(), L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    result = 0;
    return true;
}

}  // namespace velmora
