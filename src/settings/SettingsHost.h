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
    // The fan curve's timer brought in line with the settings just saved (the Fan page).
    virtual void ApplyFanControlState() = 0;
    // The main window's fan control state (-1 not yet known, 0 off, 1 on) and auto-start
    // choice, which the Fan page reads and OK sets. A host without fan control keeps these.
    virtual int FanControlState() const { return -1; }
    virtual void SetFanControlState(int /*state*/) {}
    virtual void SetFanAutoStart(bool /*on*/) {}
    // An open clock settings window shows the fan mode OK chose: user-defined (the curve) when
    // the fan control system is on, else automatic; "FanManual" is stored as "0" either way.
    virtual void ShowClockFanMode(bool /*userDefined*/) {}
    // Ends the program through its ordinary closing path (the fans are handed back first), once
    // the settings window has closed.
    virtual void RequestExit() = 0;

  protected:
    ~SettingsHost() = default;
};

}  // namespace velmora
