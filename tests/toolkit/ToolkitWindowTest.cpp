// Skinned dialog and controls on a real (hidden) layered window, driven by mouse messages.
#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>

#include "TestSkin.h"
#include "dialog_ids.h"
#include "toolkit/AdjustableSlider.h"
#include "toolkit/Animation.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/ColorRectCtrl.h"
#include "win32/GdiplusSession.h"
#include "toolkit/MenuList.h"
#include "toolkit/Progressbar.h"
#include "toolkit/Radio.h"
#include "toolkit/SpinButton.h"
#include "toolkit/StaticEx.h"
#include "toolkit/StaticText.h"
#include "toolkit/SuperSliders.h"
#include "toolkit/ToolWindow.h"
#include "win32/Handles.h"

namespace velmora::test {
namespace {

std::filesystem::path g_pack, g_otherPack;

class Toolkit : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        GdiplusSession gdiplus;
        PackWriter w;
        w.Add(u"bg.png", StripPng(400, 400, {kBackground}));
        w.Add(u"btn.png", StripPng(40, 20, {kIdle, kHover, kPressed}));
        w.Add(u"radio.png",
              StripPng(10, 10,
                       {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006}));
        std::vector<uint32_t> eye;
        for (int k = 0; k < 13; ++k) eye.push_back(0xFF000000u | uint32_t(k * 10));
        w.Add(u"eye.png", StripPng(20, 20, eye));
        w.Add(u"fill.png", StripPng(260, 9, {0xFFFFFF00}));
        w.Add(u"thumb.png", StripPng(9, 15, {0xFF00FFFF}));
        w.Add(u"broken.png", {1, 2, 3, 4});
        g_pack = WritePack(L"velmora_toolkit_test.dll", w);
        PackWriter other;
        other.Add(u"bg.png", StripPng(400, 400, {0xFF203040}));
        g_otherPack = WritePack(L"velmora_toolkit_test2.dll", other);
    }
    void SetUp() override {
        dlg = std::make_unique<TestDialog>(g_pack.wstring());
        ASSERT_TRUE(dlg->CreateModeless());
    }
    void Load() { ASSERT_TRUE(dlg->LoadSkin(g_pack.wstring(), false, true)); }
    std::unique_ptr<TestDialog> dlg;
};

const RECT kButton{50, 50, 90, 70};

TEST_F(Toolkit, ComposesBackgroundAndControlFramesAtTheirPlace) {
    CButtonEx b;
    b.Create(dlg.get(), kButton, L"btn.png", L"", 3001);
    Load();
    EXPECT_EQ(dlg->Pixel(10, 10), kBackground);
    EXPECT_EQ(dlg->Pixel(51, 51), kIdle);
    EXPECT_EQ(dlg->Pixel(88, 68), kIdle);
    EXPECT_EQ(dlg->Pixel(90, 70), kBackground);  // right/bottom edges are outside
    dlg->Move(60, 60);
    EXPECT_TRUE(b.IsHover());
    EXPECT_EQ(dlg->Pixel(60, 60), kHover);
    dlg->Down(60, 60);
    EXPECT_TRUE(b.IsPressed());
    EXPECT_EQ(dlg->Pixel(60, 60), kPressed);  // pressed clears hover
    dlg->Up(60, 60);
    EXPECT_EQ(dlg->Pixel(60, 60), kHover);
    EXPECT_EQ(dlg->TakeCommandsFor(3001), (std::vector<Command>{{3001, 0}}));
}

TEST_F(Toolkit, HiddenControlDrawsNothingAndMissingPictureLeavesAHole) {
    CButtonEx hidden, missing, broken;
    hidden.Create(dlg.get(), kButton, L"btn.png", L"", 1);
    missing.Create(dlg.get(), RECT{100, 50, 140, 70}, L"nothing.png", L"", 2);
    broken.Create(dlg.get(), RECT{150, 50, 190, 70}, L"broken.png", L"", 3);
    Load();
    hidden.ShowControl(CControls::kHidden);
    EXPECT_EQ(dlg->Pixel(60, 60), kBackground);
    EXPECT_EQ(dlg->Pixel(110, 60), kBackground);
    EXPECT_EQ(dlg->Pixel(160, 60), kBackground);
    // The hidden control does not react.
    dlg->Click(60, 60);
    EXPECT_FALSE(hidden.IsPressed());
    EXPECT_TRUE(dlg->TakeCommandsFor(1).empty());
    // The one with no picture still reacts in its rectangle.
    dlg->Click(110, 60);
    EXPECT_EQ(dlg->TakeCommandsFor(2).size(), 1u);
    hidden.ShowControl(CControls::kShown);
    EXPECT_EQ(dlg->Pixel(60, 60), kIdle);
}

TEST_F(Toolkit, SkinReloadReplacesTheDecodedPictures) {
    Load();
    EXPECT_EQ(dlg->Pixel(5, 5), kBackground);
    EXPECT_FALSE(dlg->LoadSkin(L"no_such_pack.dll", true, true));
    EXPECT_EQ(dlg->Pixel(5, 5), kBackground);  // a failed load changes nothing
    ASSERT_TRUE(dlg->LoadSkin(g_otherPack.wstring(), true, true));
    EXPECT_EQ(dlg->Pixel(5, 5), 0xFF203040u);
}

TEST_F(Toolkit, DragOffAndReleaseRunsButtonUpWithoutClick) {
    CCheckButtonEx b;
    b.Create(dlg.get(), kButton, L"btn.png", L"", 3002);
    Load();
    dlg->Move(60, 60);
    dlg->Down(60, 60);
    dlg->Move(200, 200);
    EXPECT_FALSE(b.IsHover());
    dlg->Up(200, 200);
    EXPECT_TRUE(b.GetCheck());  // OnLButtonUp ran
    EXPECT_FALSE(b.IsPressed());
    EXPECT_FALSE(b.IsHover());  // back to idle
    EXPECT_TRUE(dlg->TakeCommandsFor(3002).empty());
}

TEST_F(Toolkit, DisabledControlNeitherClicksNorDragsTheWindow) {
    CButtonEx b;
    b.Create(dlg.get(), kButton, L"btn.png", L"", 3003);
    b.Enable(false);
    Load();
    dlg->Click(60, 60);
    EXPECT_FALSE(b.IsPressed());
    EXPECT_FALSE(dlg->BackgroundPressed());
    EXPECT_TRUE(dlg->TakeCommandsFor(3003).empty());
    EXPECT_EQ(dlg->Pixel(60, 60), kIdle);  // still drawn

    dlg->Down(300, 300);  // the background itself
    EXPECT_TRUE(dlg->BackgroundPressed());
    dlg->Up(300, 300);
    EXPECT_FALSE(dlg->BackgroundPressed());
}

TEST_F(Toolkit, HitTestDragsByUncoveredPartsOnly) {
    CButtonEx shown, hidden;
    shown.Create(dlg.get(), kButton, L"btn.png", L"", 1);
    hidden.Create(dlg.get(), RECT{100, 100, 140, 120}, L"btn.png", L"", 2);
    hidden.ShowControl(CControls::kHidden);
    auto hit = [&](int x, int y) {
        POINT p{x, y};
        ClientToScreen(dlg->Hwnd(), &p);
        return SendMessageW(dlg->Hwnd(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    };
    EXPECT_EQ(hit(300, 300), HTCLIENT);  // tool windows answer client
    dlg->SetCaptionDrag(true);
    EXPECT_EQ(hit(300, 300), HTCAPTION);
    EXPECT_EQ(hit(60, 60), HTCLIENT);
    EXPECT_EQ(hit(110, 110), HTCLIENT);  // hidden control still blocks dragging
}

// The skin covers the whole window, so a control at (x, y) of the picture must be at (x, y) of
// the client area too: no template may leave a caption or frame above it.
TEST(SkinnedTemplates, ClientAreaStartsAtTheWindowCorner) {
    for (UINT id : {IDD_VELMORA_MAIN, IDD_SKIN_TOOL, IDD_SKIN_LED}) {
        SCOPED_TRACE(id);
        CDialogBase dlg(id, g_pack.wstring(), L"bg.png", nullptr);
        ASSERT_TRUE(dlg.CreateModeless());
        ShowWindow(dlg.Hwnd(), SW_HIDE);
        RECT window{};
        GetWindowRect(dlg.Hwnd(), &window);
        POINT origin{0, 0};
        ClientToScreen(dlg.Hwnd(), &origin);
        EXPECT_EQ(origin.x, window.left);
        EXPECT_EQ(origin.y, window.top);
        EXPECT_EQ(GetWindowLongPtrW(dlg.Hwnd(), GWL_STYLE) & WS_CAPTION, 0);
        DestroyWindow(dlg.Hwnd());
    }
}

TEST_F(Toolkit, DoubleClicksReachEveryEnabledShownControlWherever) {
    RecordingControl a, b, disabled, hidden;
    a.Create(dlg.get(), RECT{0, 0, 10, 10}, L"", L"", 1);
    b.Create(dlg.get(), RECT{5, 5, 15, 15}, L"", L"", 2);
    disabled.Create(dlg.get(), RECT{20, 0, 30, 10}, L"", L"", 3);
    hidden.Create(dlg.get(), RECT{40, 0, 50, 10}, L"", L"", 4);
    disabled.Enable(false);
    hidden.ShowControl(CControls::kHidden);
    dlg->DoubleClick(200, 200);
    SendMessageW(dlg->Hwnd(), WM_RBUTTONDBLCLK, 0, MAKELPARAM(7, 7));
    EXPECT_EQ(a.dblClicks, 1);
    EXPECT_EQ(b.dblClicks, 1);
    EXPECT_EQ(a.rDblClicks, 1);
    EXPECT_EQ(disabled.dblClicks + disabled.rDblClicks, 0);
    EXPECT_EQ(hidden.dblClicks + hidden.rDblClicks, 0);
    // Overlapping controls both see the move and may hover at once.
    dlg->Move(7, 7);
    EXPECT_TRUE(a.IsHover());
    EXPECT_TRUE(b.IsHover());
    dlg->Move(12, 12);
    EXPECT_EQ(a.leaves, 1);
    EXPECT_EQ(b.moves, 1);
    // Positions are unsigned words: a point left of the window is outside everything.
    dlg->Move(-3 & 0xFFFF, 7);
    EXPECT_FALSE(b.IsHover());
}

// A child tells its owner through OnControlEvent alone, and a disabled owner hears nothing.
TEST_F(Toolkit, ChildClickReachesItsOwnerAsOneEvent) {
    RecordingControl owner;
    owner.Create(dlg.get(), RECT{200, 200, 210, 210}, L"", L"", 10);
    CButtonEx child;
    child.CreateChild(dlg.get(), &owner, kButton, L"btn.png", L"", 11, 0);
    dlg->Click(60, 60);
    EXPECT_EQ(owner.events, (std::vector<std::pair<int, WORD>>{{11, CControls::kCodeClick}}));
    EXPECT_EQ(owner.ups, 0);
    EXPECT_EQ(dlg->TakeCommandsFor(11), (std::vector<Command>{{11, CControls::kCodeClick}}));
    owner.Enable(false);
    dlg->Click(60, 60);
    EXPECT_EQ(owner.events.size(), 1u);
    dlg->TakeCommands();
}

TEST_F(Toolkit, CheckButtonGroupRules) {
    CCheckButtonEx lone, g1, g2, g3;
    lone.Create(dlg.get(), RECT{0, 0, 40, 20}, L"btn.png", L"", 1);
    g1.Create(dlg.get(), RECT{0, 30, 40, 50}, L"btn.png", L"", 2);
    g2.Create(dlg.get(), RECT{0, 60, 40, 80}, L"btn.png", L"", 3);
    g3.Create(dlg.get(), RECT{0, 90, 40, 110}, L"btn.png", L"", 4);
    MakeCheckGroup({&g1, &g2, &g3});
    Load();
    for (bool expected : {true, false, true}) {
        dlg->Click(5, 5);
        EXPECT_EQ(lone.GetCheck(), expected);
    }
    dlg->Click(5, 35);
    EXPECT_TRUE(g1.GetCheck());
    dlg->Click(5, 35);  // the checked member stays checked
    EXPECT_TRUE(g1.GetCheck());
    dlg->Click(5, 65);  // another member takes the check
    EXPECT_FALSE(g1.GetCheck());
    EXPECT_TRUE(g2.GetCheck());
    EXPECT_FALSE(g3.GetCheck());
    g2.SetCheck(false);  // the only checked member cannot be unchecked
    EXPECT_TRUE(g2.GetCheck());
    g3.SetCheck(true);
    EXPECT_FALSE(g2.GetCheck());
    EXPECT_TRUE(g3.GetCheck());
    // A hovered checked button shows the hover frame unless told not to.
    dlg->Move(5, 95);
    EXPECT_EQ(dlg->Pixel(5, 95), kHover);
    g3.noHoverFrame = true;
    EXPECT_EQ(dlg->Pixel(5, 95), kPressed);
}

TEST_F(Toolkit, RadioGroupKeepsOneChecked) {
    CRadio r1, r2, r3;
    r1.Create(dlg.get(), RECT{0, 0, 10, 10}, L"radio.png", L"", 1);
    r2.Create(dlg.get(), RECT{0, 20, 10, 30}, L"radio.png", L"", 2);
    r3.Create(dlg.get(), RECT{0, 40, 10, 50}, L"radio.png", L"", 3);
    MakeRadioGroup({&r1, &r2, &r3});
    Load();
    dlg->Click(5, 5);
    EXPECT_TRUE(r1.GetCheck());
    dlg->Click(5, 5);
    EXPECT_TRUE(r1.GetCheck());
    dlg->Click(5, 25);
    EXPECT_FALSE(r1.GetCheck());
    EXPECT_TRUE(r2.GetCheck());
    r2.SetCheck(false);
    EXPECT_TRUE(r2.GetCheck());
    r3.SetCheck(true);
    EXPECT_FALSE(r2.GetCheck());
    // Frames: hover+checked 4, checked 3, idle 0 (colours 1..6 stand for frames 0..5).
    dlg->Move(5, 45);
    EXPECT_EQ(dlg->Pixel(5, 45) & 0xFFFFFF, 5u);
    EXPECT_EQ(dlg->Pixel(5, 25) & 0xFFFFFF, 1u);
    dlg->Move(200, 200);
    EXPECT_EQ(dlg->Pixel(5, 45) & 0xFFFFFF, 4u);
}

TEST_F(Toolkit, SpinStepsWithinLimitsAndSnapsOutOfRangeIndexes) {
    CSpinButton spin;
    spin.Create(dlg.get(), RECT{250, 100, 299, 115}, L"", L"hint", 7);
    spin.SetIndexRange(5, 0);
    const POINT up{250 + 40, 102}, down{250 + 40, 110};
    struct Case {
        int start;
        POINT press;
        int expected;
        WORD code;
    } cases[] = {
        {2, up, 3, 1},   {5, up, 5, 1},   {9, up, 5, 1},    {-3, up, 5, 1},
        {2, down, 1, 0}, {0, down, 0, 0}, {-3, down, 0, 0}, {9, down, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << (c.press.y == up.y ? " up" : " down"));
        spin.SetIndex(c.start);
        dlg->Click(c.press.x, c.press.y);
        dlg->Move(0, 0);
        EXPECT_EQ(spin.GetIndex(), c.expected);
        EXPECT_EQ(spin.ValueText(), std::to_wstring(c.expected));
        // The spin's own click (its rectangle holds the arrows), then the step.
        EXPECT_EQ(dlg->TakeCommandsFor(7), (std::vector<Command>{{7, 0}, {7, c.code}}));
    }
    const int table[] = {10, 20, 30};
    spin.SetValueTable(table, 3);
    spin.SetTableMode(true);
    spin.SetIndexRange(2, 0);
    spin.SetIndexRange(0, 2);  // max < min: ignored
    spin.SetIndex(1);
    EXPECT_EQ(spin.GetValue(), 20);
    dlg->Click(up.x, up.y);
    EXPECT_EQ(spin.GetValue(), 30);
    EXPECT_EQ(spin.ValueText(), L"30");
}

TEST_F(Toolkit, MenuListSwapsTheChosenTextIntoTheHeader) {
    CMenuList list;
    list.CreateList(dlg.get(), RECT{50, 50, 200, 70}, L"", L"", {L"A", L"B", L"C"}, 3200);
    EXPECT_EQ(list.Header().Caption(), L"A");
    dlg->Click(100, 60);
    dlg->Move(0, 0);
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.Entries()[0]->Caption(), L"B");
    EXPECT_EQ(list.Entries()[1]->Caption(), L"C");
    EXPECT_EQ(list.Entries()[1]->Rect().top, 90);
    EXPECT_EQ(list.Entries()[1]->Rect().left, 67);
    dlg->TakeCommands();
    dlg->Click(100, 100);  // "C"
    dlg->Move(0, 0);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_EQ(list.Header().Caption(), L"C");
    EXPECT_TRUE(list.IsClosed());
    EXPECT_FALSE(list.Entries()[0]->IsShown());
    EXPECT_EQ(list.Entries()[0]->Caption(), L"B");
    EXPECT_EQ(list.Entries()[1]->Caption(), L"A");
    EXPECT_EQ(dlg->TakeCommandsFor(3200), (std::vector<Command>{{3200, 0}}));
    dlg->Click(100, 60);  // open again
    dlg->Move(0, 0);
    EXPECT_FALSE(list.IsClosed());
    dlg->Click(100, 80);  // "B"
    EXPECT_EQ(list.Header().Caption(), L"B");
    EXPECT_EQ(list.Entries()[0]->Caption(), L"C");
    EXPECT_EQ(list.Entries()[1]->Caption(), L"A");
}

class SliderTest : public Toolkit {
  protected:
    // Slider at (20, 100): track x from 33, 241 px wide; thumb row y 111-125.
    static constexpr int kX = 20, kY = 100, kTrack = kX + 13;
};

TEST_F(SliderTest, ValueRulesForEachStepMode) {
    CSuperSliders s;
    s.CreateSlider(dlg.get(), RECT{kX, kY, kX + 280, kY + 40}, {L"fill.png", L"thumb.png"}, 3001,
                   0);
    Load();
    s.SetPos(70);
    EXPECT_EQ(s.ValueLabel().Caption(), L"70");
    s.SetRange(0, 100);
    EXPECT_EQ(s.GetPos(), 0);
    EXPECT_EQ(s.ValueLabel().Caption(), L"70");  // the label keeps the old text
    s.SetRange(50, 10);                          // ignored
    EXPECT_EQ(s.Maximum(), 100);
    s.SetPos(150.0f);
    EXPECT_EQ(s.GetPos(), 100);
    EXPECT_EQ(s.ValueLabel().Caption(), L"100");

    // Step 1: a press jumps to the pressed position.
    s.SetPos(0);
    dlg->Click(kTrack + 120, kY + 20);
    EXPECT_EQ(s.GetPos(), 49);  // trunc(100 * 120 / 241)
    EXPECT_EQ(dlg->TakeCommandsFor(3001).front(), (Command{3001, 1}));

    // Step 5: presses beside the thumb move by one step.
    s.SetStep(5);
    s.SetPos(50);
    dlg->Click(kTrack + 200, kY + 20);
    EXPECT_EQ(s.GetPos(), 55);
    dlg->Click(kTrack + 5, kY + 20);
    EXPECT_EQ(s.GetPos(), 50);
    dlg->Click(kX + 268, kY + 19);  // right arrow
    EXPECT_EQ(s.GetPos(), 55);

    // Dragging the thumb with step 5 lands on whole steps.
    const RECT t = s.ThumbRect();
    dlg->Move(t.left + 2, t.top + 2);
    dlg->Down(t.left + 2, t.top + 2);
    EXPECT_TRUE(s.IsDragging());
    dlg->Move(kTrack + 241, kY + 20);
    EXPECT_EQ(s.GetPos(), 100);
    dlg->Move(kTrack + 30, kY + 20);
    EXPECT_EQ(s.GetPos(), 10);  // trunc(30 / 12.05) * 5
    dlg->Up(kTrack + 30, kY + 20);
    EXPECT_FALSE(s.IsDragging());

    s.SetRange(-100, 100);
    s.SetPos(-5.7f);
    EXPECT_EQ(s.ValueLabel().Caption(), L"-5");
}

TEST_F(SliderTest, StoppingSliderStepButtons) {
    CSuperSlidersStepping s;
    s.CreateSlider(dlg.get(), RECT{kX, kY, kX + 280, kY + 50}, {L"fill.png", L"thumb.png"}, 3002,
                   0);
    s.SetRange(0, 100);
    s.SetPos(50);
    struct Case {
        int x;
        float expected;
    } cases[] = {{kX + 20, 45}, {kX + 45, 35}, {kX + 250, 40}, {kX + 230, 50}};
    for (const auto& c : cases) {
        dlg->Click(c.x, kY + 35);
        dlg->Move(0, 0);
        EXPECT_EQ(s.GetPos(), c.expected) << c.x;
    }
}

TEST_F(SliderTest, AdjustableSliderStops) {
    CAdjustableSlider s;
    s.CreateSlider(dlg.get(), RECT{kX, kY, kX + 270, kY + 40}, {L"fill.png", L"thumb.png"}, 3003,
                   L"hint", 0);
    s.SetRange(0, 100);
    const float stops[] = {25, 50, 75, 100};
    s.SetStops(stops, 4);
    s.ConfigureSpin();
    ASSERT_EQ(s.TrackWidth(), 250);
    const int expect[4][2] = {{0, 62}, {62, 125}, {125, 187}, {187, 250}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.Stop(i).fromX, expect[i][0]);
        EXPECT_EQ(s.Stop(i).toX, expect[i][1]);
    }
    s.SetStep(5);
    EXPECT_EQ(s.GetStep(), 1);  // ignored with stops

    const int track = kX + 5;
    dlg->Click(track + 100, kY + 5);
    EXPECT_EQ(s.GetPos(), 50);
    EXPECT_EQ(s.StopIndex(), 1);
    EXPECT_EQ(s.Spin().ValueText(), L"50");
    dlg->Click(track + 240, kY + 5);
    EXPECT_EQ(s.GetPos(), 100);
    EXPECT_EQ(s.Spin().GetIndex(), 3);

    // The spin's down arrow moves the slider to the previous stop, and the stop index follows.
    const RECT spin = s.Spin().Rect();
    dlg->Click(spin.left + 40, spin.top + 10);
    dlg->Move(0, 0);
    EXPECT_EQ(s.GetPos(), 75);
    s.SetPos(s.GetPos(), false);
    EXPECT_EQ(s.Spin().GetIndex(), 2);
}

TEST_F(SliderTest, AdjustableSliderGradientPicture) {
    CAdjustableSlider s;
    s.CreateSlider(dlg.get(), RECT{kX, kY, kX + 270, kY + 40}, {L"fill.png", L"thumb.png"}, 3004,
                   L"", 0);
    s.SetBaseColor(0xFFFF0000);
    Gdiplus::Bitmap* g = s.GradientPicture();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->GetWidth(), 260u);
    EXPECT_EQ(g->GetHeight(), 7u);
    Gdiplus::Color c;
    g->GetPixel(0, 3, &c);
    EXPECT_EQ(c.GetValue(), 0xFEFF6A6Au);  // lightness 170
    g->GetPixel(255, 6, &c);
    EXPECT_EQ(c.GetValue(), 0xFEFD0000u);  // lightness 119
    g->GetPixel(259, 0, &c);
    EXPECT_EQ(c.GetValue(), 0xFEFD0000u);  // 52 steps of 5 px fill the 260 columns
}

// Composite controls draw their children with the pictures they are given.
TEST_F(SliderTest, ChildrenDrawThePicturesPassedIn) {
    CSuperSlidersStepping stepping;
    const SuperSliderPictures buttons{L"fill.png", L"thumb.png", L"btn.png", L"btn.png",
                                      L"btn.png",  L"btn.png",   L"btn.png", L"btn.png"};
    stepping.CreateSlider(dlg.get(), RECT{kX, kY, kX + 280, kY + 50}, buttons, 3005, 0);
    CAdjustableSlider adjustable;
    adjustable.CreateSlider(dlg.get(), RECT{kX, 300, kX + 270, 340},
                            {L"", L"", L"", L"btn.png", L"btn.png"}, 3006, L"", 0);
    CMenuList list;
    list.CreateList(dlg.get(), RECT{50, 250, 90, 270}, L"", L"btn.png", {L"A", L"B"}, 3201);
    Load();
    const POINT idle[] = {
        {kX + 5, kY + 15},   {kX + 265, kY + 15},  // arrows
        {kX + 15, kY + 31},  {kX + 40, kY + 31},   // minus five, minus ten
        {kX + 245, kY + 31}, {kX + 220, kY + 31},  // plus five, plus ten
        {kX + 249, 322},     {kX + 249, 330},      // the value box's up and down arrows
        {52, 252},                                 // the list's header
    };
    for (const POINT& p : idle) EXPECT_EQ(dlg->Pixel(p.x, p.y), kIdle) << p.x << "," << p.y;
}

TEST_F(Toolkit, AnimationWrapsAfterTheLastFrame) {
    CAnimation eye;
    eye.Create(dlg.get(), RECT{10, 10, 30, 30}, L"eye.png", L"", 3010);
    eye.SetFrameCount(13);
    Load();
    EXPECT_EQ(dlg->Pixel(15, 15) & 0xFF, 0u);
    for (int k = 1; k <= 12; ++k) dlg->TickControl(eye, CAnimation::kTimerId);
    EXPECT_EQ(eye.Frame(), 12);
    EXPECT_EQ(dlg->Pixel(15, 15) & 0xFF, 120u);
    dlg->TickControl(eye, CAnimation::kTimerId);
    EXPECT_EQ(eye.Frame(), 0);
    dlg->Tick(CAnimation::kTimerId);  // the window's own timer of that id: no frame
    dlg->Tick(CAnimation::kTimerId + 1);
    EXPECT_EQ(eye.Frame(), 0);
    EXPECT_EQ(dlg->TakeCommandsFor(3010).size(), 13u);
    eye.Enable(false);
    dlg->TickControl(eye, CAnimation::kTimerId);
    EXPECT_EQ(eye.Frame(), 0);
    eye.StopTimer(CAnimation::kTimerId);
}

// Lets the window's messages run for `ms` milliseconds.
void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

// Two animations on one window both use timer 500 of their protocol, beside the window's own
// timer 500: each still runs at its own period and stops on its own.
TEST_F(Toolkit, ControlsSharingATimerIdEachTickAtTheirOwnRate) {
    CAnimation fast, slow;
    fast.Create(dlg.get(), RECT{10, 10, 30, 30}, L"eye.png", L"", 3010);
    slow.Create(dlg.get(), RECT{40, 10, 60, 30}, L"eye.png", L"", 3011);
    for (CAnimation* a : {&fast, &slow}) a->SetFrameCount(100000);  // the frame counts the ticks
    fast.SetInterval(20);
    slow.SetInterval(100);
    Load();
    ASSERT_NE(dlg->ControlTimerWindowId(fast, CAnimation::kTimerId),
              dlg->ControlTimerWindowId(slow, CAnimation::kTimerId));
    SetTimer(dlg->Hwnd(), CAnimation::kTimerId, 10, nullptr);  // the window's own timer 500

    PumpFor(1000);
    const int fastTicks = fast.Frame(), slowTicks = slow.Frame();
    EXPECT_GE(slowTicks, 3);
    // One timer shared by both, or the window's own timer reaching them, would tick them alike.
    EXPECT_GE(fastTicks, 2 * slowTicks) << "fast " << fastTicks << ", slow " << slowTicks;

    fast.StopTimer(CAnimation::kTimerId);
    PumpFor(400);
    EXPECT_EQ(fast.Frame(), fastTicks);
    EXPECT_GT(slow.Frame(), slowTicks);

    const int slowStopped = slow.Frame();
    slow.StopTimer(CAnimation::kTimerId);
    fast.SetInterval(20);
    PumpFor(300);
    EXPECT_EQ(slow.Frame(), slowStopped);
    EXPECT_GT(fast.Frame(), fastTicks);
    KillTimer(dlg->Hwnd(), CAnimation::kTimerId);
    fast.StopTimer(CAnimation::kTimerId);
    dlg->TakeCommands();
}

// An animation frame recomposes only its own area plus what changed meanwhile, and texts and
// picture frames come from the memo of what they gave on the same pixels before; the frame on
// the screen must still be exactly what a whole composition gives, and that exactly what drawing
// everything afresh (no memo) gives.
TEST_F(Toolkit, PartialRepaintsLeaveTheFrameAWholeCompositionGives) {
    CAnimation eye;
    // Below the gauge: the recomposed area (a bounding box) must not reach above the gauge.
    eye.Create(dlg.get(), RECT{300, 320, 320, 340}, L"eye.png", L"", 3010);
    eye.SetFrameCount(13);
    CButtonEx button;
    button.Create(dlg.get(), kButton, L"btn.png", L"", 1);
    CProgressbar gauge;
    gauge.Create(dlg.get(), RECT{200, 100, 210, 300}, L"", L"", 3020);
    gauge.SetRange(0, 100);
    std::array<FloatRect, 5> labels;
    for (int i = 0; i < 5; ++i) labels[i] = FloatRect{215, 290.f - 45 * i, 30, 10};
    gauge.SetLabelRects(labels);
    gauge.SetBarColor(0xFF3080F0);
    gauge.SetTitle(L"GPU load,%", 7);
    CStaticText text;  // overlaps the gauge's labels: its memo sees them under it
    text.CreateText(dlg.get(), RECT{225, 150, 330, 170}, L"1500 MHz", 3021, 0xC8C8C8C8,
                    CStaticText::kCenter, 9);
    CButtonEx captioned;
    captioned.Create(dlg.get(), RECT{50, 100, 90, 120}, L"btn.png", L"Go", 3022);
    Load();
    dlg->RepaintNow();

    auto frame = [&] {
        std::vector<uint32_t> px;
        int w = 0, h = 0;
        EXPECT_TRUE(dlg->ReadFrame(px, w, h));
        return px;
    };
    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"a frame of the animation alone", [] {}},
        {"a gauge value set between frames", [&] { gauge.SetValue(80); }},
        {"the gauge falls again", [&] { gauge.SetValue(20); }},
        {"a value above the range", [&] { gauge.SetValue(130); }},
        {"and back into it", [&] { gauge.SetValue(40); }},
        {"a new title", [&] { gauge.SetTitle(L"Fan Speed,%", 7); }},
        {"a new range and its labels", [&] { gauge.SetRange(0, 2500); }},
        {"a new bar colour", [&] { gauge.SetBarColor(0xFEFF0000); }},
        {"a new caption", [&] { text.SetCaption(L"1625 MHz"); }},
        {"and the old one again", [&] { text.SetCaption(L"1500 MHz"); }},
        {"a hovered button", [&] { dlg->Move(60, 110); }},
        {"and left again", [&] { dlg->Move(5, 5); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const int before = dlg->CompositionCount();
        dlg->TickControl(eye, CAnimation::kTimerId);  // partial
        EXPECT_EQ(dlg->CompositionCount(), before + 1);
        const std::vector<uint32_t> partial = frame();
        dlg->RepaintNow();  // whole
        const std::vector<uint32_t> whole = frame();
        dlg->SetDrawMemo(false);
        dlg->RepaintNow();  // whole, everything drawn afresh
        const std::vector<uint32_t> afresh = frame();
        dlg->SetDrawMemo(true);
        ASSERT_EQ(partial.size(), whole.size());
        ASSERT_EQ(afresh.size(), whole.size());
        size_t differing = 0, differingAfresh = 0;
        for (size_t i = 0; i < whole.size(); ++i) {
            differing += partial[i] != whole[i];
            differingAfresh += afresh[i] != whole[i];
        }
        EXPECT_EQ(differing, 0u);
        EXPECT_EQ(differingAfresh, 0u);
    }
    EXPECT_GT(dlg->DrawMemo().Hits(), 0u);
    dlg->TakeCommands();
    eye.StopTimer(CAnimation::kTimerId);
}

TEST_F(Toolkit, GaugeFillsFromTheBottomWithoutClamping) {
    CProgressbar gauge;
    gauge.Create(dlg.get(), RECT{100, 50, 120, 250}, L"", L"", 3020);
    gauge.SetRange(0, 2500);
    EXPECT_EQ(gauge.Label(2), L"1250");
    gauge.SetBarColor(0xFF112233);
    gauge.SetValue(1250);
    Load();
    EXPECT_EQ(dlg->Pixel(110, 240), 0xFF112233u);
    EXPECT_EQ(dlg->Pixel(110, 120), kBackground);
    gauge.SetValue(3750);
    EXPECT_EQ(dlg->Pixel(110, 20), 0xFF112233u);  // taller than the gauge
}

// Where the title starts is set, whatever the gauge's picture is called.
TEST_F(Toolkit, GaugeTitleStartsItsLeadLeftOfTheBar) {
    CProgressbar gauge;
    gauge.Create(dlg.get(), RECT{100, 50, 110, 250}, L"main_probarleft.png", L"", 3020);
    gauge.SetTitle(L"GPU Clock,MHz", 7);
    EXPECT_EQ(gauge.PaintBounds().left, 100 - 70 - 2);  // two pixels of anti-aliasing
    gauge.SetTitleLead(25);
    EXPECT_EQ(gauge.PaintBounds().left, 100 - 25 - 2);
}

bool ChooseOneTwoThree(HWND, uint32_t, uint32_t& out) {
    out = 0xFF010203;
    return true;
}

TEST_F(Toolkit, ColorPaletteSelectionAndCustomColour) {
    CColorRectCtrl palette;
    CAdjustableSlider slider;
    palette.Create(dlg.get(), RECT{10, 300, 150, 315}, L"", L"", 3030);
    slider.CreateSlider(dlg.get(), RECT{10, 330, 280, 370}, {}, 3031, L"", 0);
    palette.SetLayout(8);
    palette.SetLinkedSlider(&slider);
    palette.SetColorChooser(ChooseOneTwoThree);
    EXPECT_EQ(palette.Swatch(7).rect.left, 132);
    for (int k = 0; k < 2; ++k) {
        dlg->Click(10 + 55 + 3, 305);  // swatch 3, twice: stays selected
        uint32_t c = 0;
        EXPECT_TRUE(palette.GetSelectedColor(3, c));
        EXPECT_EQ(c, 0xFE00FF00u);
    }
    EXPECT_EQ(slider.BaseColor(), 0xFE00FF00u);
    uint32_t c = 0;
    EXPECT_FALSE(palette.GetSelectedColor(2, c));
    EXPECT_EQ(c, 0xFEFF0000u);        // swatch 0's colour
    dlg->DoubleClick(10 + 125, 305);  // the custom swatch
    EXPECT_TRUE(palette.GetSelectedColor(7, c));
    EXPECT_EQ(c, 0xFF010203u);
    EXPECT_EQ(slider.BaseColor(), 0xFF010203u);
    dlg->DoubleClick(10 + 55 + 3, 305);  // single select: other swatches ignore double clicks
    EXPECT_TRUE(palette.GetSelectedColor(3, c));
    EXPECT_EQ(c, 0xFE00FF00u);
}

class RecordingOwner : public ToolWindowOwner {
  public:
    void DockToolWindow(CToolWindow& w) override {
        ++docks;
        w.PlaceBeside(RECT{100, 200, 300, 400});
    }
    void ToolWindowClosed(CToolWindow& w) override { closed.push_back(&w); }
    int docks = 0;
    std::vector<CToolWindow*> closed;
};

class TestToolWindow : public CToolWindow {
  public:
    using CToolWindow::CToolWindow;
    void PlaceBeside(const RECT& ownerRect) override { placedBeside = ownerRect; }
    void Dock() { RequestDock(); }
    RECT placedBeside{};
};

// A tool window never ends itself: its close goes to the owner, which ends it later.
TEST_F(Toolkit, ToolWindowHandsItsCloseAndItsDockingToTheOwner) {
    RecordingOwner owner;
    TestToolWindow w(107, g_pack.wstring(), L"bg.png", nullptr, owner);
    ASSERT_TRUE(w.CreateModeless());
    w.Dock();
    EXPECT_EQ(owner.docks, 1);
    EXPECT_EQ(w.placedBeside.top, 200);
    SendMessageW(w.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(owner.closed, std::vector<CToolWindow*>{&w});
    EXPECT_TRUE(IsWindow(w.Hwnd()));
}

// The caption's margin indents the text inside the band: no text may reach the band's left
// edge, and the band fills exactly the control.
TEST(StaticCaption, MarginIndentsTheTextInsideTheBand) {
    constexpr int kW = 120, kH = 20;
    HWND label = CreateWindowExW(0, L"STATIC", L"IIII", WS_POPUP, 0, 0, kW, kH, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(label, nullptr);
    const MemoryDc dc(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(bi.bmiHeader), kW, -kH, 1, 32, BI_RGB};
    void* bits = nullptr;
    const GdiObject<HBITMAP> target(
        CreateDIBSection(dc.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(target);
    const HGDIOBJ old = SelectObject(dc.Get(), target.Get());
    std::fill_n(static_cast<uint32_t*>(bits), kW * kH, 0x00123456u);
    CStaticEx::Paint(label, dc.Get(), RECT{0, 0, kW, kH});
    GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    constexpr uint32_t kBand = 0x00C00000;  // RGB(192, 0, 0) as a DIB pixel
    int firstText = kW;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t p = px[y * kW + x] & 0xFFFFFF;
            if (p == 0x123456) ADD_FAILURE() << "unpainted pixel at " << x << "," << y;
            if (p != kBand) firstText = std::min(firstText, x);
        }
    EXPECT_LT(firstText, kW) << "no text drawn";
    EXPECT_GE(firstText, 5);
    SelectObject(dc.Get(), old);
    DestroyWindow(label);
}

}  // namespace
}  // namespace velmora::test
