// The "Monitoring" page: the monitoring window's sampling period, its history log and which
// sensors get a graph with which scale bounds (the "MonitoringDlg" section).
#pragma once

#include <windows.h>

#include <array>

#include "monitoring/MonitorSlots.h"
#include "settings/PageRules.h"
#include "settings/SettingsPage.h"

namespace velmora {

class CMonitoringDlg : public CSettingsPage {
  public:
    CMonitoringDlg();

    // OK: writes the section in one access to the file.
    void SaveMonitoringPage();
    // What an open monitoring window takes on OK: the fields as typed and the graph table.
    MonitoringSettings Settings() const;

    // The user's edits per sensor, until OK.
    const MonitoringSettings::Sensor& Record(int sensor) const { return records_[sensor]; }

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void LoadSection();
    // A click on the list or a row's change, run once the list has finished its own handling.
    void PostListCheck();
    void RunListCheck();
    int SelectedRow() const;
    void EnableLimits(bool enable) const;
    void ShowLimits(int sensor);
    void EnableLogPath() const;
    void BrowseLogFile();
    // One press of an arrow on one of the three number fields.
    void Step(int field, int delta, int32_t step, int32_t low, int32_t high);

    std::array<MonitoringSettings::Sensor, kMonitorSensorCount> records_{};
    // Set while the page changes its own controls: those changes are not the user's.
    bool quiet_ = true;
    bool checkPosted_ = false;
};

}  // namespace velmora
