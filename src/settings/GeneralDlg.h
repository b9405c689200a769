// The settings window's "General" page (template 130): start with Windows, start minimized,
// the update schedule and "Check now".
#pragma once

#include <windows.h>

#include "settings/SettingsHost.h"
#include "settings/SettingsPage.h"

namespace velmora {

class CGeneralDlg : public CSettingsPage {
  public:
    explicit CGeneralDlg(SettingsHost& host);

    // Create(parent) (from CSettingsPage) loads the page: the schedule list, the
    // start-with-Windows box from the Run key, the rest from "Velmora.xml".

    // The page's values to "Velmora.xml", one access: "StartMinized", "UpadteCheck".
    void Save();
    // The "Start with Windows" box, for the settings window's Run-key step.
    bool StartWithWindows() const;

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

  private:
    void CheckNow();

    SettingsHost& host_;
};

}  // namespace velmora
