// The Fan page on its real template under wine: what it shows from the file and the main
// window's state, its switch and period arrows, and what its save writes; a curve the running
// fan control would refuse is said, never stored.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "QuietSettingsHost.h"
#include "settings/FanPage.h"
#include "win32/GdiplusSession.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Host : testing::QuietSettingsHost {
    int FanControlState() const override { return state; }
    void SetFanAutoStart(bool on) override { autoStart = on ? 1 : 0; }
    void ApplyFanSwitch(bool wasOn, bool nowOn) override {
        switches.push_back({wasOn, nowOn});
        if (onSwitch) onSwitch();
    }
    int state = -1;
    int autoStart = -1;
    // (shown on, on) of every switch OK handed over.
    std::vector<std::pair<bool, bool>> switches;
    std::function<void()> onSwitch;
};

const char kCurve[] =
    R"(<FanMap OneX="30" OneY="30" TwoX="40" TwoY="40" ThreeX="50" ThreeY="50" FourX="60" )"
    R"(FourY="60" FiveX="70" FiveY="70" SixX="80" SixY="80" SeverX="90" SeverY="90" )"
    R"(EightX="100" EightY="100" blLine="1"/>)";

std::string Config(const std::string& fanDlg) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Velmora><FanDlg>" + fanDlg +
           "</FanDlg></Velmora>\n";
}

class FanPage : public ::testing::Test {
  protected:
    void Open(const std::string& config) {
        folder_ = fs::temp_directory_path() / "velmora_fan_page_test";
        fs::create_directories(folder_);
        std::ofstream(folder_ / "Velmora.xml") << config;
        // The program's files are looked for here, wherever the current directory is.
        previous_ = SetProgramFilesFolder(folder_.wstring());
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 700, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        page_ = std::make_unique<CFanDlg>(host);
        ASSERT_TRUE(page_->Create(parent_));
        SetWindowPos(page_->Hwnd(), nullptr, 0, 0, 400, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    void TearDown() override {
        page_.reset();
        if (parent_) DestroyWindow(parent_);
        parent_ = nullptr;
        SetProgramFilesFolder(previous_);
        fs::remove_all(folder_);
    }
    // The control's own shown state (the test's windows are not on screen).
    bool Shown(int id) const {
        return (GetWindowLongPtrW(GetDlgItem(page_->Hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool Checked(int id) const { return IsDlgButtonChecked(page_->Hwnd(), id) == BST_CHECKED; }
    // A click on an auto check box: its check toggles, then the page hears of it.
    void Click(int id) {
        HWND box = GetDlgItem(page_->Hwnd(), id);
        CheckDlgButton(page_->Hwnd(), id, Checked(id) ? BST_UNCHECKED : BST_CHECKED);
        SendMessageW(page_->Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(box));
    }
    std::string File() const {
        std::ifstream in(folder_ / "Velmora.xml", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    GdiplusSession gdiplus;
    Host host;
    fs::path folder_;
    std::wstring previous_;
    HWND parent_ = nullptr;
    std::unique_ptr<CFanDlg> page_;
};

TEST_F(FanPage, AStateNotYetKnownTakesEnableFanAndHidesTheControlsWhenOff) {
    Open(Config("<EnableFan>0</EnableFan><AutoSystem>1</AutoSystem>"));
    EXPECT_FALSE(Checked(CFanDlg::kIdEnable));
    EXPECT_TRUE(Shown(CFanDlg::kIdEnable));
    for (int id : {CFanDlg::kIdCurve, CFanDlg::kIdAutoStart, CFanDlg::kIdPeriodLabel,
                   CFanDlg::kIdPeriod, CFanDlg::kIdSpin}) {
        EXPECT_FALSE(Shown(id)) << id;
    }
    EXPECT_EQ(page_->PeriodText(), L"1000");  // "UpdateTime" missing
    EXPECT_EQ(host.autoStart, 1);             // the load sets the main window's choice
}

TEST_F(FanPage, TheSwitchClearsTheAutoStartAndSettingItAgainDoesNotSetIt) {
    host.state = 1;
    Open(Config("<EnableFan>1</EnableFan><AutoSystem>1</AutoSystem><UpdateTime>250</UpdateTime>" +
                std::string(kCurve)));
    EXPECT_TRUE(Checked(CFanDlg::kIdEnable));
    EXPECT_TRUE(Checked(CFanDlg::kIdAutoStart));
    EXPECT_EQ(page_->PeriodText(), L"250");
    Click(CFanDlg::kIdEnable);
    EXPECT_FALSE(Checked(CFanDlg::kIdAutoStart));
    EXPECT_FALSE(Shown(CFanDlg::kIdCurve));
    Click(CFanDlg::kIdEnable);
    EXPECT_TRUE(Shown(CFanDlg::kIdCurve));
    EXPECT_FALSE(Checked(CFanDlg::kIdAutoStart));
}

TEST_F(FanPage, AFanMapWithOnlyItsFirstPointGivesTheOthersZero) {
    host.state = 1;
    Open(Config(R"(<EnableFan>1</EnableFan><FanMap OneX="35" OneY="45"/>)"));
    FanCurvePoint points[kFanCurvePointCount];
    bool steps = true;
    page_->GetCurve(points, steps);
    EXPECT_EQ(points[0].temperatureC, 35);
    EXPECT_NEAR(points[0].fanPercent, 45, 1);
    for (int i = 1; i < kFanCurvePointCount; ++i) EXPECT_EQ(points[i].temperatureC, 0) << i;
    EXPECT_FALSE(steps);
    // Point 2 is left of point 1: stored it would never run, so OK says why instead.
    EXPECT_NE(page_->CurveProblem().find(L"point 2"), std::wstring::npos);
}

TEST_F(FanPage, TheArrowsStepTheTypedPeriodByOneHundredWithinItsRange) {
    host.state = 1;
    Open(Config("<EnableFan>1</EnableFan><UpdateTime>100</UpdateTime>"));
    NMUPDOWN up{};
    up.hdr.hwndFrom = GetDlgItem(page_->Hwnd(), CFanDlg::kIdSpin);
    up.hdr.idFrom = CFanDlg::kIdSpin;
    up.hdr.code = UDN_DELTAPOS;
    up.iDelta = 1;
    SendMessageW(page_->Hwnd(), WM_NOTIFY, CFanDlg::kIdSpin, reinterpret_cast<LPARAM>(&up));
    EXPECT_EQ(page_->PeriodText(), L"200");
    SetDlgItemTextW(page_->Hwnd(), CFanDlg::kIdPeriod, L"59950");
    SendMessageW(page_->Hwnd(), WM_NOTIFY, CFanDlg::kIdSpin, reinterpret_cast<LPARAM>(&up));
    EXPECT_EQ(page_->PeriodText(), L"60000");
}

TEST_F(FanPage, ValuesBeyondTheGridAreShownAtItsEdgeAndADraggedCurveIsSaved) {
    host.state = 1;
    Open(Config(R"(<EnableFan>1</EnableFan><AutoSystem>0</AutoSystem><UpdateTime>0500</UpdateTime>)"
                R"(<FanMap OneX="-20" OneY="30" TwoX="40" TwoY="40" ThreeX="50" ThreeY="50" )"
                R"(FourX="60" FourY="60" FiveX="70" FiveY="70" SixX="80" SixY="80" )"
                R"(SeverX="90" SeverY="90" EightX="100" EightY="150" blLine="0"/>)"));
    FanCurvePoint points[kFanCurvePointCount];
    bool steps = true;
    page_->GetCurve(points, steps);
    EXPECT_EQ(points[0].temperatureC, 0);
    EXPECT_EQ(points[7].fanPercent, 100);
    EXPECT_EQ(page_->CurveProblem(), L"");

    // Drag point 4 (60, 60) straight up to the top edge.
    HWND curve = GetDlgItem(page_->Hwnd(), CFanDlg::kIdCurve);
    const EditorRect& h = page_->Editor().Editor().Handle(3);
    const int x = h.left + 3, y = h.bottom - 3;
    SendMessageW(curve, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(curve, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 2));
    SendMessageW(curve, WM_LBUTTONUP, 0, MAKELPARAM(x, 2));

    std::string fileAtSwitch;
    host.onSwitch = [&] { fileAtSwitch = File(); };
    page_->SaveFanPage();
    // The switch comes after the store: the curve it starts reads the dragged point.
    EXPECT_EQ(host.switches, (std::vector<std::pair<bool, bool>>{{true, true}}));
    EXPECT_EQ(fileAtSwitch, File());
    EXPECT_EQ(host.autoStart, 0);
    const std::string file = File();
    EXPECT_NE(file.find("FourY=\"100\""), std::string::npos) << file;
    EXPECT_NE(file.find("OneX=\"0\""), std::string::npos) << file;
    EXPECT_NE(file.find("blLine=\"0\""), std::string::npos) << file;
    EXPECT_NE(file.find("<UpdateTime>0500</UpdateTime>"), std::string::npos) << file;
}

// OK hands over the switch as the page showed it and as it is: a switch clicked twice is the
// switch the page opened with, so a fixed level behind "off" stays (the main window's rule).
TEST_F(FanPage, OkHandsOverTheSwitchAsShownAndAsLeft) {
    const struct {
        int state;
        int clicks;
        std::pair<bool, bool> handed;
    } cases[] = {
        {0, 0, {false, false}}, {0, 2, {false, false}}, {0, 1, {false, true}},
        {1, 1, {true, false}},  {1, 0, {true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state * 10 + c.clicks);
        host.state = c.state;
        host.switches.clear();
        Open(Config("<EnableFan>0</EnableFan>" + std::string(kCurve)));
        for (int i = 0; i < c.clicks; ++i) Click(CFanDlg::kIdEnable);
        page_->SaveFanPage();
        EXPECT_EQ(host.switches, (std::vector<std::pair<bool, bool>>{c.handed}));
        TearDown();
    }
}

}  // namespace
}  // namespace velmora
