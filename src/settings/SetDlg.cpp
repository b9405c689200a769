#include "settings/SetDlg.h"

#include <commctrl.h>

#include "monitoring/MonitorDlg.h"
#include "settings/AboutPage.h"
#include "settings/BiosPage.h"
#include "settings/FanPage.h"
#include "settings/Autostart.h"
#include "settings/GeneralDlg.h"
#include "settings/MonitoringPage.h"
#include "settings/QuickSightPage.h"
#include "settings/SettingsPage.h"
#include "settings/UiPage.h"
#include "settings_ids.h"

namespace velmora {
namespace {

// Space between the tab control's page area and a page, at 96 DPI.
constexpr int kPageMargin96 = 4;

}  // namespace

CSetDlg::CSetDlg(SettingsHost& host)
    : host_(host),
      general_(std::make_unique<CGeneralDlg>(host)),
      fan_(std::make_unique<CFanDlg>(host)),
      monitoring_(std::make_unique<CMonitoringDlg>()),
      quickSight_(std::make_unique<CQuickSightSettingsDlg>(host)),
      bios_(std::make_unique<CBiosDlg>()),
      ui_(std::make_unique<CUIDlg>(host)),
      about_(std::make_unique<CAboutDlg>()) {
    pages_ = {general_.get(), fan_.get(), monitoring_.get(), quickSight_.get(),
              bios_.get(),    ui_.get(),  about_.get()};
}

CSetDlg::~CSetDlg() {
    // The window first: the pages' windows go with it, before their objects.
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

INT_PTR CSetDlg::DoModal() {
    modal_ = true;
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS),
                        host_.MainWindow(), Proc, reinterpret_cast<LPARAM>(this));
    return result == IDOK ? IDOK : IDCANCEL;
}

bool CSetDlg::CreateModeless() {
    modal_ = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS),
                              host_.MainWindow(), Proc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

HWND CSetDlg::PageWindow(SettingsPage page) const {
    return pages_[static_cast<size_t>(page)]->Hwnd();
}

INT_PTR CALLBACK CSetDlg::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CSetDlg*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dlg->hwnd_ = hwnd;
        dlg->OnInit();
        return TRUE;
    }
    auto* dlg = reinterpret_cast<CSetDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dlg) return FALSE;
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
                dlg->OnOk();
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                dlg->End(IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_SETTINGS_TAB && header->code == TCN_SELCHANGE) {
                dlg->ShowPageOfTab(TabCtrl_GetCurSel(header->hwndFrom));
                return TRUE;
            }
            return FALSE;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            dlg->hwnd_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void CSetDlg::OnInit() {
    HWND tab = GetDlgItem(hwnd_, IDC_SETTINGS_TAB);
    for (int i = 0; i < kSettingsPageCount; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kTabCaptions[i]);
        TabCtrl_InsertItem(tab, i, &item);
    }

    // The page area: the tab control's client area below its rows of tabs (seven captions
    // take two rows rather than hiding behind scroll arrows), 4 px inside, in this window's
    // coordinates (the pages are the tab control's siblings, above it).
    RECT area{};
    GetWindowRect(tab, &area);
    MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    {
        WindowDc dc(hwnd_);
        const int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
        const int margin = MulDiv(kPageMargin96, dpi, 96);
        InflateRect(&area, -margin, -margin);
    }
    MapWindowPoints(tab, hwnd_, reinterpret_cast<POINT*>(&area), 2);

    for (CSettingsPage* page : pages_) {
        if (!page->Create(hwnd_)) continue;
        // Right after the tab control in z-order (and so in the tab order); the tab control
        // clips its siblings, so it never paints over a page.
        SetWindowPos(page->Hwnd(), tab, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOACTIVATE);
        tab = page->Hwnd();
    }
    ShowPageOfTab(0);
}

void CSetDlg::SelectTab(int tabIndex) {
    TabCtrl_SetCurSel(GetDlgItem(hwnd_, IDC_SETTINGS_TAB), tabIndex);
    ShowPageOfTab(tabIndex);
}

void CSetDlg::ShowPageOfTab(int tabIndex) {
    // Tabs and pages are in different orders (the BIOS tab is the third, its page the fifth).
    const SettingsPage shown = PageOfTab(tabIndex);
    for (int i = 0; i < kSettingsPageCount; ++i) {
        if (static_cast<SettingsPage>(i) == shown) continue;
        if (HWND w = pages_[static_cast<size_t>(i)]->Hwnd()) ShowWindow(w, SW_HIDE);
    }
    if (HWND w = PageWindow(shown)) ShowWindow(w, SW_SHOW);
}

void CSetDlg::SaveFanPage() {
    fan_->SaveFanPage();
}

void CSetDlg::OnOk() {
    // A curve the running fan control would refuse is never stored: the page says why first.
    const std::wstring problem = fan_->CurveProblem();
    if (!problem.empty()) {
        SelectTab(1);  // the Fan tab
        MessageBoxW(hwnd_, problem.c_str(), L"Fan control properties", MB_OK | MB_ICONWARNING);
        return;
    }
    SetAutostart(general_->StartWithWindows());
    general_->Save();
    SaveFanPage();
    quickSight_->SaveQuickSightPage();
    ui_->SaveUiPage();
    monitoring_->SaveMonitoringPage();
    if (CMonitorDlg* monitor = host_.MonitorWindow()) {
        monitor->ApplyMonitoringSettings(monitoring_->Settings());
    }
    End(IDOK);
}

void CSetDlg::End(INT_PTR result) {
    result_ = result;
    if (modal_) {
        EndDialog(hwnd_, result);
    } else {
        DestroyWindow(hwnd_);
    }
}

INT_PTR RunSettingsWindow(SettingsHost& host) {
    CSetDlg dlg(host);
    return dlg.DoModal();
}

}  // namespace velmora
