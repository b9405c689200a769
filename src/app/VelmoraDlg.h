// The main window: two live gauges, the animated eye, the buttons that open the tool windows
// and the settings, the lock, the notification-area icon, the screenshot hotkey and the
// automatic fan control on timer 10.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/FanControl.h"
#include "app/FanHold.h"
#include "app/GpuFanDevice.h"
#include "app/SkinStyle.h"
#include "app/ToolWindowHost.h"
#include "info/GpuInfoDlg.h"
#include "settings/SettingsHost.h"
#include "toolkit/Animation.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/DialogBase.h"
#include "toolkit/Progressbar.h"
#include "tuning/ClockTuning.h"
#include "win32/Handles.h"

namespace velmora {

class CClockSetDlg;
class CMonitorDlg;

class CVelmoraDlg : public CDialogBase {
  public:
    static constexpr UINT kTemplateId = 102;
    static constexpr int kWidth = 475;
    static constexpr int kHeight = 440;

    static constexpr UINT_PTR kRefreshTimerId = 1034;
    static constexpr UINT kRefreshPeriodMs = 1000;
    static constexpr UINT_PTR kFanTimerId = 10;
    static constexpr UINT kTrayCallbackMessage = 2792;
    static constexpr UINT kTrayIconId = 4000;

    // Control ids.
    static constexpr int kIdClose = 3000;
    static constexpr int kIdMinimise = 3001;
    static constexpr int kIdSettings = 3002;
    static constexpr int kIdLock = 3003;
    static constexpr int kIdGpuInfo = 3005;
    static constexpr int kIdCustomise = 3006;
    static constexpr int kIdMonitor = 3007;
    static constexpr int kIdEye = 3008;
    static constexpr int kIdLeftGauge = 2001;
    static constexpr int kIdRightGauge = 2002;

    // hold: the record of the fans this run fixes, shared with the crash path.
    CVelmoraDlg(std::wstring_view skinPackFile, std::wstring_view backgroundName, HWND parent,
                FanHold& hold);
    ~CVelmoraDlg() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Also called by the settings window when the skin changes.
    void ApplySkin(const std::wstring& packFile);
    // side true = the left gauge.
    void SetGaugeRange(bool left, int source);
    void RefreshGauge(bool left, int source);
    // One tick of the one-second refresh: both readings, then one composition of what changed.
    void RefreshTick();

    // Automatic fan control.
    void ApplyFanControlState();
    void RunFanCurve() { fan_.RunFanCurve(); }
    bool SaveFanStateOnExit();
    // Every way out of the program ends here, once: the fans go back to the driver before
    // anything that may stall, then the tray icon goes and "EnableFan" is written.
    void Shutdown();
    FanControl& Fan() { return fan_; }

    // The open tool windows, owned by the main window.
    ToolWindowHost toolWindows{*this};

    int leftSource = -1;
    int rightSource = -1;
    bool hiddenToTray = false;
    bool trayMode = false;
    std::wstring screenshotFolder;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;
    void OnTimer(UINT_PTR timerId) override;

  private:
    // What the clock settings window needs of the main window: its fan control and the file.
    class ClockWindowHost : public TuningHost {
      public:
        explicit ClockWindowHost(CVelmoraDlg& owner) : owner_(owner) {}
        FanControl& Fan() override { return owner_.fan_; }
        void ApplyFanControlState() override { owner_.ApplyFanControlState(); }
        void SetFanManual(bool manual) override;
        void ClearFanAutoStart() override;
        int GetFanMode() override;

      private:
        CVelmoraDlg& owner_;
    };

    // What the settings window pushes into the running program on OK.
    class SettingsWindowHost : public SettingsHost {
      public:
        explicit SettingsWindowHost(CVelmoraDlg& owner) : owner_(owner) {}
        HWND MainWindow() const override { return owner_.Hwnd(); }
        void SetGaugeSources(int left, int right) override;
        void SetScreenshotFolder(const std::wstring& folder) override {
            owner_.screenshotFolder = folder;
        }
        bool SetScreenshotHotkey(UINT virtualKey, UINT storedModifiers) override;
        std::wstring SkinPackFile() const override { return owner_.SkinPackFile(); }
        void ApplySkin(const std::wstring& packFile) override { owner_.ApplySkin(packFile); }
        CMonitorDlg* MonitorWindow() const override { return owner_.MonitorWindow(); }
        void ApplyFanSwitch(bool shownOn, bool on) override;
        int FanControlState() const override { return owner_.fan_.fanControlState; }
        void SetFanAutoStart(bool on) override { owner_.fan_.fanAutoStart = on; }
        void RequestExit() override;

      private:
        CVelmoraDlg& owner_;
    };

    // A GPU chosen in the GPU information window: the whole program follows.
    class GpuChoice : public GpuChoiceHost {
      public:
        explicit GpuChoice(CVelmoraDlg& owner) : owner_(owner) {}
        void ChooseGpu(int32_t index) override { owner_.ChooseGpu(index); }

      private:
        CVelmoraDlg& owner_;
    };

    class WindowFanTimer : public FanTimer {
      public:
        explicit WindowFanTimer(CVelmoraDlg& owner) : owner_(owner) {}
        void Start(int32_t periodMs) override;
        void Stop() override;
        int64_t NowMs() override;

      private:
        CVelmoraDlg& owner_;
    };

    void LoadStartupSettings();
    // The "FanDlg" values the running curve takes from "Velmora.xml"; false without the file.
    static bool LoadFanConfig(FanConfigValues& values);
    void RefreshBothGauges();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void OnTrayNotify(LPARAM event);
    void ShowFromTray();
    void HideToTray();
    void ExitProgram();
    void SetSkinIcons(SkinKind kind);
    void OnToolWindowClosed(ToolWindowHost::Kind kind);
    // The settings button: the settings window, modal, over the disabled main and clock windows.
    void OpenSettingsWindow();
    // The customise button: the clock settings window, after the warning when it is new.
    void OpenClockWindow();
    CClockSetDlg* ClockWindow() const;
    // The GPU information button: the window, opened when it is not.
    void OpenGpuInfoWindow();
    CGpuInfoDlg* GpuInfoWindow() const;
    // Points the program at GPU `index`: the fans this run holds go back to the driver, the
    // curve drives the new GPU from its next tick, the open windows read the new card.
    void ChooseGpu(int32_t index);
    // The monitoring button: the window, opened when it is not.
    void OpenMonitorWindow();

  public:
    // The open monitoring window, or null (the settings window hands it new settings).
    CMonitorDlg* MonitorWindow() const;

  private:
    CAnimation eye_;
    CButtonEx close_;
    CButtonEx minimise_;
    CButtonEx settings_;
    CCheckButtonEx lock_;
    CButtonEx gpuInfo_;
    CButtonEx customise_;
    CButtonEx monitor_;
    CProgressbar leftGauge_;
    CProgressbar rightGauge_;

    GpuFanDevice fanDevice_;
    WindowFanTimer fanTimer_{*this};
    FanControl fan_;
    ClockWindowHost clockHost_{*this};
    SettingsWindowHost settingsHost_{*this};
    GpuChoice gpuChoice_{*this};
    bool shutDown_ = false;

    bool trayIconAdded_ = false;
    bool hiding_ = false;
    UINT taskbarCreatedMessage_ = 0;
    IconHandle bigIcon_;
    IconHandle smallIcon_;
};

}  // namespace velmora
