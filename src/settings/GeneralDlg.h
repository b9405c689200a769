// The settings window's "General" page (template 130): start with Windows, start minimized,
// the update schedule and "Check now".
#pragma once

#include <windows.h>

#include "settings/SettingsHost.h"
#include "settings/SettingsPage.h"
#include "settings/UpdateCheck.h"

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

    // True while "Check now" waits for the server.
    bool Checking() const { return download_.Running(); }

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    // Posted by "Check now"'s download when it has ended; wParam 1: the descriptor is there.
    static constexpr UINT kCheckDownloadedMessage = WM_APP + 1;

    void CheckNow();
    void CheckDownloaded(bool downloaded);
    void ShowChecking(bool checking);

    SettingsHost& host_;
    // Closing the page leaves a download in flight behind without waiting for it.
    ManualUpdateDownload download_;
};

}  // namespace velmora
