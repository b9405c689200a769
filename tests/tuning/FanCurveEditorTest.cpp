// The fan curve editor's rules: values and pixels, the polylines of both forms, and dragging
// (never past a neighbour, the edge snap, point 7 past the right edge, the throttled band).
#include "tuning/FanCurveEditor.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// A control whose plot is 300 x 200 at (23, 30): client 345 x 270.
constexpr int kClientW = 345, kClientH = 270;
constexpr int kCurve[16] = {0, 10, 20, 20, 35, 35, 50, 50, 60, 65, 70, 80, 85, 90, 100, 100};

FanCurveEditor Editor(bool steps = false, const int (&values)[16] = kCurve) {
    FanCurveEditor e;
    e.steps = steps;
    e.SetPoints(values, kClientW, kClientH);
    return e;
}

EditorPoint CentreOf(const FanCurveEditor& e, int i) {
    return EditorPoint{e.Handle(i).left + 3, e.Handle(i).bottom - 3};
}

TEST(FanCurveEditor, TheWorkedExampleLandsOnePixelHighAndReadsBackOneMore) {
    int values[16] = {};
    for (int i = 0; i < 8; ++i) values[2 * i] = values[2 * i + 1] = 50;
    FanCurveEditor e = Editor(false, values);
    EXPECT_EQ(e.Plot(), (EditorRect{23, 30, 323, 230}));
    EXPECT_EQ(CentreOf(e, 3), (EditorPoint{173, 129}));
    int back[16] = {};
    e.GetPoints(back);
    EXPECT_EQ(back[6], 50);
    EXPECT_EQ(back[7], 51);
}

TEST(FanCurveEditor, AtOneAndAHalfTimesTheMarginsGrowWithTheText) {
    FanCurveEditor e;
    e.SetScale(1.5);
    e.SetPoints(kCurve, 518, 405);
    EXPECT_EQ(e.Plot(), (EditorRect{35, 45, 518 - 33, 405 - 60}));
    ASSERT_TRUE(e.Press(e.Handle(2).left + 3, e.Handle(2).top + 3));
    EXPECT_EQ(e.LabelRect().bottom - e.LabelRect().top, 38);  // 25 px at 96 DPI
    int back[16];
    e.GetPoints(back);
    EXPECT_EQ(back[4], 35);  // the values do not depend on the scale
}

TEST(FanCurveEditor, PolylinesOfBothForms) {
    FanCurveEditor e = Editor(true);
    const auto& line = e.LinePoints();
    const auto& step = e.StepPoints();
    EXPECT_EQ(line[0], (EditorPoint{23, line[1].y}));
    EXPECT_EQ(line[9], (EditorPoint{323, line[8].y}));
    EXPECT_EQ(step[0], line[0]);
    EXPECT_EQ(step[1], line[1]);
    for (int k = 1; k < 8; ++k) {
        // A horizontal run at y(k-1) up to xk, then the rise to yk.
        EXPECT_EQ(step[2 * k], (EditorPoint{line[k + 1].x, line[k].y})) << k;
        EXPECT_EQ(step[2 * k + 1], line[k + 1]) << k;
    }
    EXPECT_EQ(step[16], line[9]);
}

TEST(FanCurveEditor, APressBetweenHandlesTakesNothingAndOverlapsGoToTheLowerPoint) {
    int same[16] = {};
    for (int i = 0; i < 8; ++i) {
        same[2 * i] = i < 2 ? 40 : 60 + i;
        same[2 * i + 1] = 50;
    }
    FanCurveEditor e = Editor(false, same);
    EXPECT_FALSE(e.Press(150, 200));
    EXPECT_EQ(e.LabelText(), L"");
    EXPECT_TRUE(e.LabelRect().Empty());
    const EditorPoint c = CentreOf(e, 1);
    ASSERT_TRUE(e.Press(c.x, c.y));
    EXPECT_EQ(e.Dragged(), 0);  // points 0 and 1 coincide: the lower-numbered one
    EXPECT_EQ(e.LabelText(), L"x:40 y:51");
    EXPECT_EQ(e.LabelRect(), (EditorRect{c.x - 3, c.y - 3 - 25, c.x - 3 + 30, c.y - 3}));
}

TEST(FanCurveEditor, ADraggedPointNeverPassesItsNeighbours) {
    FanCurveEditor e = Editor();
    const EditorPoint p3 = CentreOf(e, 3), p2 = CentreOf(e, 2), p4 = CentreOf(e, 4);
    ASSERT_TRUE(e.Press(p3.x, p3.y));
    e.MoveTo(p2.x - 40, p3.y);
    EXPECT_EQ(CentreOf(e, 3).x, p2.x);  // stopped at point 2's temperature
    e.MoveTo(p4.x + 40, p3.y);
    EXPECT_EQ(CentreOf(e, 3).x, p4.x);
    EXPECT_TRUE(e.Release());
    int v[16];
    e.GetPoints(v);
    EXPECT_EQ(v[6], v[8]);  // X3 = X4: points may coincide
    EXPECT_FALSE(e.Release());
}

TEST(FanCurveEditor, EdgesSnapAndPointSevenMayReadAboveOneHundred) {
    const struct {
        int point, x, y;
        int wantX, wantY;  // -1: not checked
    } cases[] = {
        {2, -1, 5, -1, 100},       // above the plot
        {2, -1, 290, -1, 0},       // below it
        {2, -1, 30 + 2, -1, 100},  // within the 3 px snap zone inside the top
        {0, 0, -1, 0, -1},         // point 0 to the left edge
        {7, 326, -1, 101, -1},     // point 7 up to 3 px past the right edge reads 101
        {7, 400, -1, 100, -1},     // further right it stays on the edge
    };
    for (const auto& c : cases) {
        FanCurveEditor e = Editor();
        const EditorPoint p = CentreOf(e, c.point);
        ASSERT_TRUE(e.Press(p.x, p.y));
        e.MoveTo(c.x < 0 ? p.x : c.x, c.y < 0 ? p.y : c.y);
        int v[16];
        e.GetPoints(v);
        if (c.wantX >= 0) {
            EXPECT_EQ(v[2 * c.point], c.wantX) << c.point;
        }
        if (c.wantY >= 0) {
            EXPECT_EQ(v[2 * c.point + 1], c.wantY) << c.point;
        }
    }
}

TEST(FanCurveEditor, SmallMovesAreNotShownAndLargeOnesRepaintTheBandAroundThePoint) {
    FanCurveEditor e = Editor(true);
    const EditorPoint p = CentreOf(e, 4);
    ASSERT_TRUE(e.Press(p.x, p.y));
    // One hundredth of the 300 px plot is 3 px.
    FanCurveEditor::Move m = e.MoveTo(p.x, p.y - 2);
    EXPECT_TRUE(m.dragging);
    EXPECT_TRUE(m.repaint.Empty());
    EXPECT_EQ(CentreOf(e, 4).y, p.y - 2);  // moved, though not yet shown
    m = e.MoveTo(p.x, p.y - 10);
    EXPECT_EQ(m.repaint, (EditorRect{e.Handle(3).left, 30 - 25, e.Handle(5).right + 30, 233}));
    // The step form follows: the run from point 4 and the rise to it.
    EXPECT_EQ(e.StepPoints()[9], CentreOf(e, 4));
    EXPECT_EQ(e.StepPoints()[8].x, CentreOf(e, 4).x);
    EXPECT_EQ(e.StepPoints()[10].y, CentreOf(e, 4).y);
    e.Release();
    EXPECT_FALSE(e.MoveTo(10, 10).dragging);
}

TEST(FanCurveEditor, DoubleClickSwitchesTheFormAndKeepsWhereThePointsAre) {
    FanCurveEditor e = Editor(false);
    const EditorPoint p = CentreOf(e, 7);
    ASSERT_TRUE(e.Press(p.x, p.y));
    e.MoveTo(p.x, p.y + 30);
    e.Release();
    const EditorRect area = e.ToggleForm();
    EXPECT_TRUE(e.steps);
    EXPECT_EQ(area, (EditorRect{20, 27, 326, 233}));
    EXPECT_EQ(e.StepPoints()[15], CentreOf(e, 7));
    EXPECT_EQ(e.StepPoints()[16], (EditorPoint{323, CentreOf(e, 7).y}));
    e.ToggleForm();
    EXPECT_FALSE(e.steps);
    EXPECT_EQ(e.LinePoints()[8], CentreOf(e, 7));
}

}  // namespace
}  // namespace velmora
