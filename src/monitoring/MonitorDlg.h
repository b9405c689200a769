// The monitoring window: four graphs of the sensors chosen in the settings, sampled at the
// configured period, each sample optionally appended to the history log; the button of the
// LED lighting window, which it owns. Docked at the main window's right edge.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "monitoring/MonitorSlots.h"
#include "monitoring/WaveformDisplay.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/ToolWindow.h"

class NvidiaGpu;

namespace velmora {

class CBreathingLamp;

// The graphs' colours in a skin (ARGB).
struct GraphColors {
    uint32_t minLabel;
    uint32_t maxLabel;
    uint32_t fillAndGrid;
};

class CMonitorDlg : public CToolWindow {
  public:
    static constexpr UINT kTemplateId = 107;
    static constexpr int kWidth = 379;
    static constexpr int kHeight = 672;
    // Its left edge this far left of the main window's right edge, tops level.
    static constexpr int kOverlapX = 20;

    static constexpr int kIdClose = 3000;
    static constexpr int kIdSamplingGraph = 3001;
    static constexpr int kIdLed = 3002;
    static constexpr int kIdGraph = 2000;

    // mainWindow: parent; owner: docks it and ends it when it closes; colours: the skin's.
    CMonitorDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                NvidiaGpu& gpu, const GraphColors& colors);
    ~CMonitorDlg() override;

    void PlaceBeside(const RECT& mainRect) override;
    // What the settings window's OK hands an open window: the period, the log, the graphs.
    void ApplyMonitoringSettings(const MonitoringSettings& settings);
    // A skin change: the graphs' colours, then the pictures of this window and the LED window.
    void ApplySkin(const std::wstring& packFile, const GraphColors& colors);
    // Another GPU was chosen: the graphs start again, so no curve mixes two cards.
    void GpuChanged();
    // One sample: every graph and, when it is on, the log (the sampling graph's tick).
    void TakeSample();

    CBreathingLamp* LedWindow() const { return led_.get(); }
    const CWaveformDisplay& Graph(int i) const { return graphs_[i]; }
    const MonitorSlot& Slot(int i) const { return slots_[i]; }
    int32_t PeriodMs() const { return periodMs_; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;

  private:
    void ReadSection();
    void ShowSlots();
    void SetColors(const GraphColors& colors);
    void ToggleLedWindow();
    void CloseLedWindow();
    void ShowLedButtonState();
    // The pointer over the graphs draws one readout line across all four.
    void FollowPointer(int x, int y);

    NvidiaGpu& gpu_;
    GraphColors colors_;
    bool logEnabled_ = false;
    int32_t periodMs_ = 0;
    std::wstring logPath_;
    MonitorSlots slots_{};
    bool readoutShown_ = false;
    std::unique_ptr<CBreathingLamp> led_;

    CButtonEx close_;
    CCheckButtonEx ledButton_;
    CWaveformDisplay graphs_[kMonitorSlotCount];
};

}  // namespace velmora
