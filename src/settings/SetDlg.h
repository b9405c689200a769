// The settings window: seven unskinned pages on a tab control, run modally over the main
// window; OK saves every page in a fixed order and pushes the new values into the running
// windows, Cancel leaves everything as it was.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "settings/PageRules.h"
#include "settings/SettingsHost.h"

namespace velmora {

class CSettingsPage;
class CGeneralDlg;
class CMonitoringDlg;
class CQuickSightSettingsDlg;
class CUIDlg;
class CAboutDlg;
class CBiosDlg;
class CFanDlg;

class CSetDlg {
  public:
    explicit CSetDlg(SettingsHost& host);
    ~CSetDlg();
    CSetDlg(const CSetDlg&) = delete;
    CSetDlg& operator=(const CSetDlg&) = delete;

    // Runs the window modally over host.MainWindow(); IDOK or IDCANCEL.
    INT_PTR DoModal();
    // The same window without a loop of its own (tests drive it with messages); OK and Cancel
    // then destroy it.
    bool CreateModeless();
    HWND Hwnd() const { return hwnd_; }
    // What OK or Cancel ended with; 0 while open.
    INT_PTR Result() const { return result_; }

    // Shows the page of a tab, as a click on the tab does.
    void SelectTab(int tabIndex);
    HWND PageWindow(SettingsPage page) const;

    CGeneralDlg& General() const { return *general_; }
    CMonitoringDlg& Monitoring() const { return *monitoring_; }
    CQuickSightSettingsDlg& QuickSight() const { return *quickSight_; }
    CUIDlg& Ui() const { return *ui_; }
    CAboutDlg& About() const { return *about_; }

  private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void ShowPageOfTab(int tabIndex);
    void OnOk();
    // The Fan page's save and its pushes into the main and clock windows: the page comes with
    // the fan settings; until then it has nothing to save.
    void SaveFanPage();
    void End(INT_PTR result);

    SettingsHost& host_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    INT_PTR result_ = 0;
    std::unique_ptr<CGeneralDlg> general_;
    std::unique_ptr<CFanDlg> fan_;
    std::unique_ptr<CMonitoringDlg> monitoring_;
    std::unique_ptr<CQuickSightSettingsDlg> quickSight_;
    std::unique_ptr<CBiosDlg> bios_;
    std::unique_ptr<CUIDlg> ui_;
    std::unique_ptr<CAboutDlg> about_;
    // By SettingsPage, in creation order.
    std::array<CSettingsPage*, kSettingsPageCount> pages_{};
};

// Runs the settings window modally over host.MainWindow(); returns IDOK or IDCANCEL.
INT_PTR RunSettingsWindow(SettingsHost& host);

}  // namespace velmora
