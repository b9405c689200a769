// The fan curve editor's geometry and drag rules, Windows-free: where the eight points sit on
// the plot, the straight-line and step polylines, which handle a press takes, how a dragged
// handle is kept between its neighbours and inside the plot, the "x:%d y:%d" label, and which
// band of the control a move repaints. The window (CStaticFanCtl) only draws and routes input.
#pragma once

#include <array>
#include <string>

#include "tuning/FanCurve.h"

namespace velmora {

struct EditorPoint {
    int x = 0;
    int y = 0;
    bool operator==(const EditorPoint&) const = default;
};

struct EditorRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool operator==(const EditorRect&) const = default;
};

class FanCurveEditor {
  public:
    static constexpr int kPoints = kFanCurvePointCount;
    static constexpr int kLinePoints = kPoints + 2;
    static constexpr int kStepPoints = 2 * kPoints + 1;
    static constexpr int kHandleHalf = 3;
    // A drag is shown only after the pointer moved this fraction of the plot's width.
    static constexpr int kThrottleDivisor = 100;

    // values: X0, Y0, ... X7, Y7; the control's client area is clientWidth x clientHeight.
    // The form (`steps`) is set before.
    void SetPoints(const int (&values)[2 * kPoints], int clientWidth, int clientHeight);
    // Screens above 96 DPI: the margins around the plot and the label's box grow with the
    // text (1.5 at 144 DPI), so the axis labels keep their room. Set before SetPoints.
    void SetScale(double scale) { scale_ = scale > 0 ? scale : 1.0; }
    // A length of the 96 DPI layout on this screen.
    int Scaled(int pixels) const { return static_cast<int>(pixels * scale_ + 0.5); }
    void GetPoints(int (&values)[2 * kPoints]) const;

    // Input. Press: true when a handle was taken (the plot is repainted).
    bool Press(int x, int y);
    // A move while a handle is dragged; `repaint` is the band to show now (empty when the move
    // was too small to show, or nothing is dragged).
    struct Move {
        bool dragging = false;
        EditorRect repaint;
    };
    Move MoveTo(int x, int y);
    // Release: true when a drag ended (the plot is repainted).
    bool Release();
    // Double click: the other form; returns the area to repaint.
    EditorRect ToggleForm();

    bool steps = false;

    const EditorRect& Plot() const { return plot_; }
    const EditorRect& Handle(int i) const { return handles_[static_cast<size_t>(i)]; }
    const EditorRect& LabelRect() const { return label_; }
    const std::wstring& LabelText() const { return labelText_; }
    const std::array<EditorPoint, kLinePoints>& LinePoints() const { return line_; }
    const std::array<EditorPoint, kStepPoints>& StepPoints() const { return step_; }
    int Dragged() const { return dragged_; }

    // The conversions between values and the pixel centres of the plot.
    static int PixelX(int value, const EditorRect& plot);
    static int PixelY(int value, const EditorRect& plot);
    static int ValueX(int centreX, const EditorRect& plot);
    static int ValueY(int centreY, const EditorRect& plot);

  private:
    EditorPoint Centre(int i) const;
    void SetLabel(int i);
    void BuildSteps();
    void UpdateDraggedPolyline(int k);
    EditorRect Grown(const EditorRect& r, int by) const;

    EditorRect plot_;
    std::array<EditorRect, kPoints> handles_{};
    EditorRect label_;
    std::wstring labelText_;
    std::array<EditorPoint, kLinePoints> line_{};
    std::array<EditorPoint, kStepPoints> step_{};
    EditorPoint lastMouse_;
    int dragged_ = -1;
    double scale_ = 1.0;
};

}  // namespace velmora
