// The fan curve editor on the Fan settings page: a real child window that takes over the
// page's push-button control (keeping its press handling, which holds the mouse while the
// button is down) and draws the plot, the curve and its eight handles. The rules live in
// FanCurveEditor; this class only paints and routes the mouse.
#pragma once

#include <windows.h>

#include "tuning/FanCurveEditor.h"

namespace velmora {

class CStaticFanCtl {
  public:
    CStaticFanCtl() = default;
    ~CStaticFanCtl();
    CStaticFanCtl(const CStaticFanCtl&) = delete;
    CStaticFanCtl& operator=(const CStaticFanCtl&) = delete;

    // Subclasses the button; false when it is not a window.
    bool Attach(HWND button);
    void Detach();
    HWND Hwnd() const { return hwnd_; }

    // The eight points (X0, Y0 ... X7, Y7) on the plot of the control's current size; the form
    // (`SetSteps`) first.
    void SetPoints(const int (&values)[16]);
    void GetPoints(int (&values)[16]) const { editor_.GetPoints(values); }
    bool Steps() const { return editor_.steps; }
    void SetSteps(bool steps) { editor_.steps = steps; }
    const FanCurveEditor& Editor() const { return editor_; }
    // How many times the control was painted (window tests of the partial repaints).
    int PaintCount() const { return paints_; }

    // A move is shown at most this often while dragging.
    static constexpr UINT kDragRepaintMs = 25;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& area);
    void DrawBackground(HDC dc, const RECT& client) const;
    void Repaint(const EditorRect& area);

    HWND hwnd_ = nullptr;
    FanCurveEditor editor_;
    RECT pending_{0, 0, 0, 0};
    bool timerRunning_ = false;
    int paints_ = 0;
};

}  // namespace velmora
