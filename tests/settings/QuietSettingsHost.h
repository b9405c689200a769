// A settings host that does nothing: page tests derive from it and override only the calls
// they look at.
#pragma once

#include <windows.h>

#include <string>

#include "settings/SettingsHost.h"

namespace velmora::testing {

class QuietSettingsHost : public SettingsHost {
  public:
    explicit QuietSettingsHost(HWND main = nullptr) : main_(main) {}
    HWND MainWindow() const override { return main_; }
    void SetGaugeSources(int, int) override {}
    void SetScreenshotFolder(const std::wstring&) override {}
    bool SetScreenshotHotkey(UINT, UINT) override { return true; }
    std::wstring SkinPackFile() const override { return L"Norvane.dll"; }
    void ApplySkin(const std::wstring&) override {}
    CMonitorDlg* MonitorWindow() const override { return nullptr; }
    void ApplyFanSwitch(bool, bool) override {}
    void RequestExit() override {}

  private:
    HWND main_;
};

}  // namespace velmora::testing
