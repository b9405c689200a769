// The GPU information window on a real (hidden) window over the in-process simulated card: the
// picker's items, the choice of an item reaching the right GPU, the sheet of the chosen GPU,
// the one-GPU picker, docking under the main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gpu/NvidiaGpu.h"
#include "info/GpuInfoDlg.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"
#include "win32/GdiplusSession.h"

namespace velmora {
namespace {

struct Owner : ToolWindowOwner {
    RECT main{100, 50, 575, 490};
    void DockToolWindow(CToolWindow& w) override { w.PlaceBeside(main); }
    void ToolWindowClosed(CToolWindow&) override { ++closes; }
    int closes = 0;
};

// The main window's side: the program follows the choice.
struct Choice : GpuChoiceHost {
    explicit Choice(NvidiaGpu& gpu) : gpu(gpu) {}
    void ChooseGpu(int32_t index) override {
        chosen.push_back(index);
        gpu.SelectGpu(index);
    }
    NvidiaGpu& gpu;
    std::vector<int32_t> chosen;
};

const char kThreeCards[] =
    "gpus = 3\n"
    "[gpu 0]\nname_readable = 0\nmemory_mb = 4096\n"
    "[gpu 1]\nname = GeForce GTX 1070\nmemory_mb = 8192\n"
    "[gpu 2]\nname = GeForce GTX 1080 Ti\nmemory_mb = 11264\nbus_width = 352\n";

class GpuInfoWindow : public testing::Test {
  protected:
    void Start(const char* scenario) {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(scenario, &error)) << error;
        binding = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        dlg = std::make_unique<CGpuInfoDlg>(L"Z:" VELMORA_SKIN_DIR L"/Norvane.dll", nullptr, owner,
                                            gpu, choice);
        ASSERT_TRUE(dlg->CreateModeless());
        ASSERT_TRUE(dlg->Hwnd());
    }
    void Click(int x, int y) {
        const LPARAM at = MAKELPARAM(x, y);
        SendMessageW(dlg->Hwnd(), WM_MOUSEMOVE, 0, at);
        SendMessageW(dlg->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(dlg->Hwnd(), WM_LBUTTONUP, 0, at);
        SendMessageW(dlg->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 230));
        Pump();
    }
    // The posted notifications reach the window.
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }

    GdiplusSession gdiplus;
    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding;
    NvidiaGpu gpu;
    Owner owner;
    Choice choice{gpu};
    std::unique_ptr<CGpuInfoDlg> dlg;
};

// The picker's header and the entries that open below it, 22 pixels each.
constexpr POINT kHeader{220, 29};
POINT Entry(int k) {
    return POINT{220, 40 + 22 * k + 11};
}

TEST_F(GpuInfoWindow, TheLastItemChoosesTheThirdGpuWhenTheFirstHasNoName) {
    Start(kThreeCards);
    EXPECT_EQ(dlg->Picker().texts,
              (std::vector<std::wstring>{L"2.GeForce GTX 1070", L"3.GeForce GTX 1080 Ti"}));
    EXPECT_EQ(dlg->Value(0).Caption(), L"4096MB");  // the first GPU's sheet at opening

    Click(kHeader.x, kHeader.y);
    Click(Entry(1).x, Entry(1).y);
    EXPECT_EQ(choice.chosen, (std::vector<int32_t>{2}));
    EXPECT_EQ(gpu.selectedIndex(), 2);
    // The sheet now concerns the third card.
    EXPECT_EQ(dlg->Value(0).Caption(), L"11264MB");
    EXPECT_EQ(dlg->Value(5).Caption(), L"352Bit");

    // Choosing the second item makes the second GPU current.
    Click(kHeader.x, kHeader.y);
    Click(Entry(0).x, Entry(0).y);
    EXPECT_EQ(choice.chosen, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(dlg->Value(0).Caption(), L"8192MB");
}

TEST_F(GpuInfoWindow, OneGpuShowsItsBareNameAndChoosingChangesNothing) {
    Start("gpus = 1\n");
    EXPECT_EQ(dlg->Picker().texts, (std::vector<std::wstring>{L"GeForce GTX 1060 6GB"}));
    Click(kHeader.x, kHeader.y);
    Click(Entry(0).x, Entry(0).y);
    EXPECT_TRUE(choice.chosen.empty());
    EXPECT_EQ(gpu.selectedIndex(), 0);
}

TEST_F(GpuInfoWindow, DocksUnderTheMainWindowAndFollowsIt) {
    Start(kThreeCards);
    RECT r{};
    GetWindowRect(dlg->Hwnd(), &r);
    EXPECT_EQ(r.left, 100 + 15);
    EXPECT_EQ(r.top, 490 - 5);
    EXPECT_EQ(r.right - r.left, 475);
    EXPECT_EQ(r.bottom - r.top, 238);
    owner.main = RECT{200, 50, 675, 490};
    owner.DockToolWindow(*dlg);
    GetWindowRect(dlg->Hwnd(), &r);
    EXPECT_EQ(r.left, 200 + 15);
}

TEST_F(GpuInfoWindow, BackAsksTheOwnerToCloseIt) {
    Start(kThreeCards);
    Click(219, 215);
    EXPECT_EQ(owner.closes, 1);
}

}  // namespace
}  // namespace velmora
