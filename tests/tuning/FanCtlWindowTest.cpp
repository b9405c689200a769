// The fan curve editor on a real push-button window under wine, driven by mouse messages: a
// drag stops at its neighbour and shows its label, a double click switches the form, and a
// drag's moves are shown together at most every 25 ms.
#include <windows.h>

#include <gtest/gtest.h>

#include "tuning/StaticFanCtl.h"
#include "win32/GdiplusSession.h"

namespace velmora {
namespace {

constexpr int kCurve[16] = {0, 10, 20, 20, 35, 35, 50, 50, 60, 65, 70, 80, 85, 90, 100, 100};

class FanCtlWindow : public testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 320, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent);
        button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                                 345, 270, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(button);
        ASSERT_TRUE(ctl.Attach(button));
        ctl.SetPoints(kCurve);
        Pump();
    }
    void TearDown() override {
        ctl.Detach();
        DestroyWindow(parent);
    }
    void Send(UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageW(button, msg, keys, MAKELPARAM(x, y));
    }
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    POINT Centre(int i) {
        const EditorRect& h = ctl.Editor().Handle(i);
        return POINT{h.left + 3, h.bottom - 3};
    }

    GdiplusSession gdiplus;
    HWND parent = nullptr;
    HWND button = nullptr;
    CStaticFanCtl ctl;
};

TEST_F(FanCtlWindow, DragStopsAtTheNeighbourAndTheLabelShowsThePoint) {
    const POINT p3 = Centre(3), p2 = Centre(2);
    Send(WM_LBUTTONDOWN, p3.x, p3.y, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), button);  // the button's own press handling holds the mouse
    Send(WM_MOUSEMOVE, p2.x - 30, p3.y - 40, MK_LBUTTON);
    Send(WM_LBUTTONUP, p2.x - 30, p3.y - 40);
    int v[16];
    ctl.GetPoints(v);
    EXPECT_EQ(v[6], v[4]);  // X3 stopped at X2
    EXPECT_GT(v[7], 50);
    wchar_t want[32];
    std::swprintf(want, 32, L"x:%d y:%d", v[6], v[7]);
    EXPECT_EQ(ctl.Editor().LabelText(), want);
    EXPECT_NE(GetCapture(), button);
}

TEST_F(FanCtlWindow, DoubleClickSwitchesTheForm) {
    EXPECT_FALSE(ctl.Steps());
    Send(WM_LBUTTONDBLCLK, 150, 150, MK_LBUTTON);
    Send(WM_LBUTTONUP, 150, 150);
    EXPECT_TRUE(ctl.Steps());
    Send(WM_LBUTTONDBLCLK, 150, 150, MK_LBUTTON);
    Send(WM_LBUTTONUP, 150, 150);
    EXPECT_FALSE(ctl.Steps());
}

TEST_F(FanCtlWindow, ManyMovesOfADragArePaintedTogether) {
    const POINT p = Centre(4);
    Send(WM_LBUTTONDOWN, p.x, p.y, MK_LBUTTON);
    Pump();
    const int before = ctl.PaintCount();
    for (int i = 1; i <= 20; ++i) Send(WM_MOUSEMOVE, p.x, p.y - 4 * i, MK_LBUTTON);
    // Nothing is painted from inside the moves; the collected band is, once, 25 ms later.
    EXPECT_EQ(ctl.PaintCount(), before);
    Sleep(60);
    Pump();
    EXPECT_EQ(ctl.PaintCount(), before + 1);
    Send(WM_LBUTTONUP, p.x, p.y - 80);
    Pump();
    EXPECT_EQ(ctl.PaintCount(), before + 2);
}

}  // namespace
}  // namespace velmora
