#include "tuning/FanCurveEditor.h"

#include <cstdio>
#include <cstdlib>

namespace velmora {
namespace {

int Width(const EditorRect& r) {
    return r.right - r.left;
}
int Height(const EditorRect& r) {
    return r.bottom - r.top;
}
EditorRect Around(EditorPoint c) {
    const int h = FanCurveEditor::kHandleHalf;
    return EditorRect{c.x - h, c.y - h, c.x + h, c.y + h};
}

}  // namespace

int FanCurveEditor::PixelX(int value, const EditorRect& plot) {
    return static_cast<int>(static_cast<double>(Width(plot)) * value / 100.0 + 0.5 + plot.left);
}

int FanCurveEditor::PixelY(int value, const EditorRect& plot) {
    return static_cast<int>(plot.bottom -
                            (static_cast<double>(Height(plot)) * value / 100.0 + 0.5));
}

int FanCurveEditor::ValueX(int centreX, const EditorRect& plot) {
    if (Width(plot) <= 0) return 0;
    return static_cast<int>(
        (static_cast<double>(centreX - plot.left) / Width(plot) * 1000.0 + 5.0) / 10.0);
}

int FanCurveEditor::ValueY(int centreY, const EditorRect& plot) {
    if (Height(plot) <= 0) return 0;
    return static_cast<int>(
        (static_cast<double>(plot.bottom - centreY) / Height(plot) * 1000.0 + 5.0) / 10.0);
}

void FanCurveEditor::SetPoints(const int (&values)[2 * kPoints], int clientWidth,
                               int clientHeight) {
    // The client rectangle less 20 px left and right and 30 px top and bottom, then 2 px off
    // the right, 10 px off the bottom and 3 px off the left: room for the axis labels.
    plot_ = EditorRect{Scaled(20 + 3), Scaled(30), clientWidth - Scaled(20 + 2),
                       clientHeight - Scaled(30 + 10)};
    for (int i = 0; i < kPoints; ++i) {
        line_[static_cast<size_t>(i + 1)] =
            EditorPoint{PixelX(values[2 * i], plot_), PixelY(values[2 * i + 1], plot_)};
    }
    line_[0] = EditorPoint{plot_.left, line_[1].y};
    line_[kLinePoints - 1] = EditorPoint{plot_.right, line_[kPoints].y};
    if (steps) BuildSteps();
    for (int i = 0; i < kPoints; ++i) handles_[static_cast<size_t>(i)] = Around(line_[i + 1]);
}

void FanCurveEditor::GetPoints(int (&values)[2 * kPoints]) const {
    for (int i = 0; i < kPoints; ++i) {
        const EditorPoint c = Centre(i);
        values[2 * i] = ValueX(c.x, plot_);
        values[2 * i + 1] = ValueY(c.y, plot_);
    }
}

EditorPoint FanCurveEditor::Centre(int i) const {
    const EditorRect& h = handles_[static_cast<size_t>(i)];
    return EditorPoint{h.left + kHandleHalf, h.bottom - kHandleHalf};
}

void FanCurveEditor::SetLabel(int i) {
    const EditorRect& h = handles_[static_cast<size_t>(i)];
    const EditorPoint c = Centre(i);
    wchar_t text[32];
    std::swprintf(text, 32, L"x:%d y:%d", ValueX(c.x, plot_), ValueY(c.y, plot_));
    labelText_ = text;
    label_ = EditorRect{h.left, h.top - Scaled(25), h.left + Scaled(30), h.top};
}

void FanCurveEditor::BuildSteps() {
    step_[0] = line_[0];
    for (int j = 1; j < kPoints; ++j) {
        step_[static_cast<size_t>(2 * j - 1)] = line_[static_cast<size_t>(j)];
        step_[static_cast<size_t>(2 * j)] =
            EditorPoint{line_[static_cast<size_t>(j + 1)].x, line_[static_cast<size_t>(j)].y};
    }
    step_[kStepPoints - 2] = line_[kPoints];
    step_[kStepPoints - 1] = line_[kLinePoints - 1];
}

bool FanCurveEditor::Press(int x, int y) {
    int hit = -1;
    for (int i = 0; i < kPoints && hit < 0; ++i) {
        const EditorRect& h = handles_[static_cast<size_t>(i)];
        if (h.left <= x && x < h.right && h.top <= y && y < h.bottom) hit = i;
    }
    lastMouse_ = EditorPoint{x, y};
    if (hit < 0) return false;
    dragged_ = hit;
    SetLabel(hit);
    return true;
}

void FanCurveEditor::UpdateDraggedPolyline(int k) {
    const EditorPoint c = Centre(k);
    // Both forms follow the handle, so a switch of form shows the curve as it is now.
    line_[static_cast<size_t>(k + 1)] = c;
    if (k == 0) line_[0].y = c.y;
    if (k == kPoints - 1) line_[kLinePoints - 1].y = c.y;
    if (!steps) return;
    // Entries holding point k: 2k (xk, y(k-1)), 2k + 1 (xk, yk), 2k + 2 (x(k+1), yk).
    if (k == 0) {
        step_[0].y = c.y;
    } else {
        step_[static_cast<size_t>(2 * k)].x = c.x;
    }
    step_[static_cast<size_t>(2 * k + 1)] = c;
    if (k < kPoints - 1) {
        step_[static_cast<size_t>(2 * k + 2)].y = c.y;
    } else {
        step_[kStepPoints - 1] = EditorPoint{plot_.right, c.y};
    }
}

FanCurveEditor::Move FanCurveEditor::MoveTo(int x, int y) {
    Move result;
    if (dragged_ < 0) return result;
    result.dragging = true;
    const int k = dragged_;
    EditorRect& h = handles_[static_cast<size_t>(k)];
    h = Around(EditorPoint{x, y});

    // Never past a neighbour: the first rule that applies, right side first.
    bool held = false;
    if (k < kPoints - 1) {
        const EditorRect& next = handles_[static_cast<size_t>(k + 1)];
        if (next.left < h.left) {
            h.left = next.left;
            h.right = next.right;
            held = true;
        }
    } else if (plot_.right < h.left) {
        h.left = plot_.right - kHandleHalf;
        h.right = plot_.right + kHandleHalf;
        held = true;
    }
    if (!held) {
        if (k > 0) {
            const EditorRect& previous = handles_[static_cast<size_t>(k - 1)];
            if (h.left < previous.left) {
                h.left = previous.left;
                h.right = previous.right;
            }
        } else if (h.left < plot_.left) {
            h.left = plot_.left - kHandleHalf;
            h.right = plot_.left + kHandleHalf;
        }
    }
    // Inside the plot vertically: the 3 px just inside an edge snap to it.
    if (h.top < plot_.top) {
        h.top = plot_.top - kHandleHalf;
        h.bottom = h.top + 2 * kHandleHalf;
    }
    if (plot_.bottom < h.bottom) {
        h.top = plot_.bottom - kHandleHalf;
        h.bottom = h.top + 2 * kHandleHalf;
    }
    SetLabel(k);
    UpdateDraggedPolyline(k);

    const int t = Width(plot_) / kThrottleDivisor;
    if (std::abs(x - lastMouse_.x) < t && std::abs(y - lastMouse_.y) < t) return result;
    lastMouse_ = EditorPoint{x, y};
    // The band around the point and its neighbours, label included.
    const int from = k > 0 ? handles_[static_cast<size_t>(k - 1)].left : plot_.left - kHandleHalf;
    const int to = k < kPoints - 1 ? handles_[static_cast<size_t>(k + 1)].right + Scaled(30)
                                   : plot_.right + kHandleHalf + Scaled(30);
    result.repaint = EditorRect{from, plot_.top - Scaled(25), to, plot_.bottom + kHandleHalf};
    return result;
}

bool FanCurveEditor::Release() {
    const bool wasDragging = dragged_ >= 0;
    dragged_ = -1;
    return wasDragging;
}

EditorRect FanCurveEditor::ToggleForm() {
    if (steps) {
        line_[0] = step_[0];
        line_[kLinePoints - 1] = step_[kStepPoints - 1];
        for (int i = 0; i < kPoints; ++i) line_[static_cast<size_t>(i + 1)] = Centre(i);
        steps = false;
    } else {
        BuildSteps();
        steps = true;
    }
    return Grown(plot_, kHandleHalf);
}

EditorRect FanCurveEditor::Grown(const EditorRect& r, int by) const {
    return EditorRect{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

}  // namespace velmora
