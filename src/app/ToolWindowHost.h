// The main window's modeless tool windows (GPU information, clock settings, monitoring): at
// most one of each kind, owned here. A tool window reports its close through ToolWindowOwner;
// the host posts that kind's close command to the main window, which then ends it through
// Close: the window is destroyed and the object deleted together.
#pragma once

#include <memory>

#include "toolkit/ToolWindow.h"

namespace velmora {

class ToolWindowHost : public ToolWindowOwner {
  public:
    // Also the order minimising, restoring and docking reach the open windows.
    enum Kind { kGpuInfo, kClock, kMonitor, kKindCount };
    // The command each kind posts to the main window when it closes.
    static constexpr int kClosedCommands[kKindCount] = {1025, 1026, 1027};

    // main: the window the tool windows dock beside and that receives their close commands.
    explicit ToolWindowHost(const CDialogBase& main) : main_(main) {}

    // The open window of a kind; null when it is closed.
    CToolWindow* Get(Kind kind) const { return windows_[kind].get(); }
    // Takes a window the caller has created; one already open of that kind is ended first.
    void Host(Kind kind, std::unique_ptr<CToolWindow> window) {
        windows_[kind].reset(window.release());
    }
    void Close(Kind kind) { windows_[kind].reset(); }

    // The kind whose close command `command` is; false for any other command.
    static bool KindOfClosedCommand(int command, Kind& kind) {
        for (int k = 0; k < kKindCount; ++k) {
            if (kClosedCommands[k] != command) continue;
            kind = static_cast<Kind>(k);
            return true;
        }
        return false;
    }

    template <typename Fn>
    void ForEachOpen(Fn fn) const {
        for (const auto& w : windows_) {
            if (w && w->Hwnd()) fn(*w);
        }
    }

    // The main window has moved: every open window docks beside it again.
    void DockAll() {
        for (const auto& w : windows_) {
            if (w && w->Hwnd()) DockToolWindow(*w);
        }
    }

    void DockToolWindow(CToolWindow& window) override {
        RECT mainRect;
        if (main_.Hwnd() && GetWindowRect(main_.Hwnd(), &mainRect)) window.PlaceBeside(mainRect);
    }

    void ToolWindowClosed(CToolWindow& window) override {
        // Posted: the window is still inside its own message and may not be deleted from there.
        for (int k = 0; k < kKindCount; ++k) {
            if (windows_[k].get() == &window && main_.Hwnd())
                PostMessageW(main_.Hwnd(), WM_COMMAND, kClosedCommands[k], 0);
        }
    }

  private:
    struct DestroyAndDelete {
        void operator()(CToolWindow* w) const {
            if (w->Hwnd()) DestroyWindow(w->Hwnd());
            delete w;
        }
    };
    const CDialogBase& main_;
    std::unique_ptr<CToolWindow, DestroyAndDelete> windows_[kKindCount];
};

}  // namespace velmora
