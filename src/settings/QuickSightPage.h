// The "Quick Sight Settings" page: which reading each of the main window's two gauges shows.
#pragma once

#include "settings/PageRules.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsPage.h"

namespace velmora {

class CQuickSightSettingsDlg : public CSettingsPage {
  public:
    explicit CQuickSightSettingsDlg(SettingsHost& host);

    // OK: the gauges switch at once, then the choice goes into the file.
    void SaveQuickSightPage();
    // The source each side's buttons stand for now (0 when none is checked).
    int LeftSource() const;
    int RightSource() const;

  protected:
    void OnInit() override;

  private:
    int SourceOf(const int (&ids)[kGaugeSourceCount]) const;

    SettingsHost& host_;
};

}  // namespace velmora
