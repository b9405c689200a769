// What the settings window and its pages need of the main window: the running windows they push
// new settings into on OK, and the window that owns their questions.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

class CMonitorDlg;

class SettingsHost {
  public:
    // The main window: owner of the settings window, its message boxes and the hotkey.
    virtual HWND MainWindow() const = 0;
    // The gauge sources (0..5) the quick sight page chose: stored, ranges set, gauges refreshed.
    virtual void SetGaugeSources(int left, int right) = 0;
    // The folder the screenshot hotkey writes into (empty: the user's Pictures folder).
    virtual void SetScreenshotFolder(const std::wstring& folder) = 0;
    // Removes the hotkey registered now, then registers this one (stored key and modifier
    // flags as "HotKey" holds them); both zero only removes it. False when the system refused.
    virtual bool SetScreenshotHotkey(UINT virtualKey, UINT storedModifiers) = 0;
    // The skin pack file name every window draws from now, and a switch of every open window.
    virtual std::wstring SkinPackFile() const = 0;
    virtual void ApplySkin(const std::wstring& packFile) = 0;
    // The open monitoring window, or null.
    virtual CMonitorDlg* MonitorWindow() const = 0;
    // OK's fan step, once the Fan page's settings are stored: the fan control system's switch
    // as the page showed it when it opened and as OK finds it. A moved switch changes the mode
    // (the curve on, or the fan back to the driver) and an open clock settings window shows it
    // (user-defined or automatic, "FanManual" "0"); an untouched switch that is off changes
    // nothing, so a manual level stays and is shown as manual; one left on reloads the curve.
    virtual void ApplyFanSwitch(bool shownOn, bool on) = 0;
    // The main window's fan control state (-1 not yet known, 0 off, 1 on) and auto-start
    // choice, which the Fan page reads and OK sets. A host without fan control keeps these.
    virtual int FanControlState() const { return -1; }
    virtual void SetFanAutoStart(bool /*on*/) {}
    // Ends the program through its ordinary closing path (the fans are handed back first), once
    // the settings window has closed.
    virtual void RequestExit() = 0;

  protected:
    ~SettingsHost() = default;
};

}  // namespace velmora
