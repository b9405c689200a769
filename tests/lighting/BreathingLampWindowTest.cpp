// The LED window on a real layered window over the in-process simulated card, driven by mouse
// messages: what each effect's Apply puts into the card's LED controller, the indication that
// Default starts, Cancel, the colour table from the settings file, docking and closing, and the
// window composed with each real skin pack (written as PNGs under /tmp for a look).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigFile.h"
#include "gpu/NvidiaGpu.h"
#include "lighting/BreathingLamp.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"
#include "win32/GdiplusIncludes.h"
#include "win32/GdiplusSession.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

using Bytes = std::vector<uint8_t>;

std::wstring SkinPack(const wchar_t* name) {
    return std::wstring(L"Z:" VELMORA_SKIN_DIR L"/") + name;
}

// A source-tree (Unix) path as wine sees it.
std::wstring HostPath(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* p = unixPath; *p; ++p) out += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return out;
}

// Where the controls are, in window pixels.
constexpr POINT kStateDisplay{53, 69}, kBright{53, 155}, kBreath{53, 232}, kCycle{53, 309};
constexpr POINT kApply{60, 353}, kDefault{172, 353}, kCancel{284, 353};
// Swatch i of the seven-swatch palettes at left 105 (+ 8 + 19 i, 12 wide), one below the top.
POINT EffectSwatch(int top, int i) {
    return {105 + 8 + 19 * i + 6, top + 7};
}
constexpr int kBreathingPaletteTop = 225, kCyclePaletteTop = 300;
// The steady palette's swatch 0, and the up arrow of the breathing speed's spin.
constexpr POINT kSteadyRed{105 + 4 + 5, 148 + 7};
constexpr POINT kBreathingSpeedUp{46 + 212 + 35 + 7, 204 + 20 + 3};

// The LED section of a settings file: 40..59 degrees blue, 60..150 the delivered red.
const char kConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Velmora>
  <LedSetDlg>
    <TMP0 nMin="40" nMax="59" RGB="16711680"/>
    <TMP2 nMin="60" nMax="150" RGB="255"/>
  </LedSetDlg>
</Velmora>
)";

// The monitoring window's stand-in: a plain hidden popup.
const wchar_t* OwnerClass() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraLedTestOwner";
        return RegisterClassW(&wc);
    }();
    return atom ? L"VelmoraLedTestOwner" : nullptr;
}

class LedWindow : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / "velmora_led_window_test";
        std::filesystem::create_directories(folder_);
        // The program's files are looked for here, wherever the current directory is.
        previous_ = SetProgramFilesFolder(folder_.wstring());

        Scenario("temperature = 70\nload = idle\n");
        binding_ = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        sim.Advance(5.0);

        owner = CreateWindowExW(WS_EX_TOOLWINDOW, OwnerClass(), L"", WS_POPUP, 100, 80, 475, 440,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(owner);
    }
    void TearDown() override {
        lamp.reset();
        if (owner) DestroyWindow(owner);
        SetProgramFilesFolder(previous_);
        std::filesystem::remove_all(folder_);
    }
    void Scenario(const char* text) {
        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText(text, &error)) << error;
    }
    void WriteConfig(const char* text) { std::ofstream(folder_ / "Velmora.xml") << text; }
    void Open(const wchar_t* pack = L"Norvane.dll") {
        lamp = std::make_unique<CBreathingLamp>(SkinPack(pack), owner, gpu);
        ASSERT_TRUE(lamp->CreateModeless());
        ASSERT_TRUE(lamp->Hwnd());
    }
    void Send(UINT msg, POINT p) { SendMessageW(lamp->Hwnd(), msg, 0, MAKELPARAM(p.x, p.y)); }
    // A click, and the notifications it posted handled.
    void Click(POINT p) {
        Send(WM_MOUSEMOVE, p);
        Send(WM_LBUTTONDOWN, p);
        Send(WM_LBUTTONUP, p);
        Send(WM_MOUSEMOVE, POINT{2, 2});
        Pump();
    }
    // The window's queued messages, without waiting.
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, lamp->Hwnd(), 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    // The window's messages for `ms` milliseconds, its timers included.
    void PumpFor(DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now),
                                      QS_ALLINPUT);
            Pump();
        }
    }
    std::vector<WPARAM> OwnerCommands() {
        std::vector<WPARAM> out;
        MSG m;
        while (PeekMessageW(&m, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE)) out.push_back(m.wParam);
        return out;
    }
    const sim::LedState& Led() const { return sim.Led(0); }

    GdiplusSession gdiplus;
    std::filesystem::path folder_;
    std::wstring previous_;
    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding_;
    NvidiaGpu gpu;
    HWND owner = nullptr;
    std::unique_ptr<CBreathingLamp> lamp;
};

TEST_F(LedWindow, DocksAtTheOwnersRightEdgeAndSendsNothingWhenItOpens) {
    Open();
    RECT r{};
    GetWindowRect(lamp->Hwnd(), &r);
    EXPECT_EQ(r.left, 100 + 475 - 15);
    EXPECT_EQ(r.top, 80 + 52);
    EXPECT_EQ(r.right - r.left, CBreathingLamp::kWidth);
    EXPECT_EQ(r.bottom - r.top, CBreathingLamp::kHeight);
    EXPECT_TRUE(IsWindowVisible(lamp->Hwnd()));
    SetWindowPos(owner, nullptr, 300, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    lamp->PlaceWindow();
    GetWindowRect(lamp->Hwnd(), &r);
    EXPECT_EQ(r.left, 300 + 475 - 15);
    EXPECT_EQ(r.top, 10 + 52);
    EXPECT_EQ(Led().validPackets + Led().invalidPackets, 0u);
    EXPECT_FALSE(lamp->Lighting().IndicationRunning());
}

TEST_F(LedWindow, ApplyPutsEachEffectOnTheCard) {
    Open();
    Click(kBright);
    Click(kApply);
    EXPECT_EQ(Led().lastPacket, (Bytes{0x08, 0x00, 25, 0x02, 0x00, 0xFF, 0x00, 0xDD}))
        << "the green swatch at half brightness";
    Click(kSteadyRed);
    Click(kApply);
    EXPECT_EQ(Led().effect, 0);
    EXPECT_EQ(Led().colours, (Bytes{255, 0, 0}));

    Click(kBreath);
    Click(EffectSwatch(kBreathingPaletteTop, 5));  // blue beside the green one
    Click(kBreathingSpeedUp);
    Click(kBreathingSpeedUp);
    Click(kApply);
    EXPECT_EQ(Led().lastPacket.size(), 11u);
    EXPECT_EQ(Led().effect, 1);
    EXPECT_EQ(Led().brightness, 50);
    EXPECT_EQ(Led().speed, 4);
    EXPECT_EQ(Led().colours, (Bytes{0, 255, 0, 0, 0, 255}));

    Click(kCycle);
    Click(EffectSwatch(kCyclePaletteTop, 0));
    Click(kApply);
    EXPECT_EQ(Led().effect, 2);
    EXPECT_EQ(Led().speed, 2);
    EXPECT_EQ(Led().colours, (Bytes{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(Led().invalidPackets, 0u);

    // Breathing with every swatch cleared: a packet without colour, which the controller ignores.
    Click(kBreath);
    Click(EffectSwatch(kBreathingPaletteTop, 3));
    Click(EffectSwatch(kBreathingPaletteTop, 5));
    Click(kApply);
    EXPECT_EQ(Led().lastPacket.size(), 5u);
    EXPECT_EQ(Led().lastPacket[0], 5);
    EXPECT_EQ(Led().invalidPackets, 1u);
    EXPECT_EQ(Led().effect, 2) << "the cycle still runs";
}

TEST_F(LedWindow, DefaultStartsTheIndicationAndAnEffectStopsIt) {
    Scenario("temperature = 90\nload = idle\n");
    Open();
    Click(kBright);
    Click(kDefault);
    EXPECT_TRUE(lamp->Lighting().IndicationRunning());
    EXPECT_EQ(Led().effect, 1);
    EXPECT_EQ(Led().speed, 2);
    EXPECT_EQ(Led().colours, (Bytes{255, 0, 0})) << "shown at once, State display checked";

    // The window's own timer follows the card.
    Scenario("temperature = 50\nload = idle\n");
    sim.Advance(5.0);
    PumpFor(1500);
    EXPECT_EQ(Led().colours, (Bytes{0, 255, 0}));
    EXPECT_EQ(Led().speed, 4);

    Click(kBright);
    Click(kApply);
    EXPECT_FALSE(lamp->Lighting().IndicationRunning());
    Scenario("temperature = 95\nload = idle\n");
    PumpFor(1500);
    EXPECT_EQ(Led().effect, 0) << "the steady colour stays";
}

TEST_F(LedWindow, CancelBringsBackWhatWasLastApplied) {
    Open();
    Click(kCancel);
    Click(kApply);  // State display, as opened
    EXPECT_TRUE(lamp->Lighting().IndicationRunning())
        << "Cancel right after opening changed nothing";

    Click(kBreath);
    Click(EffectSwatch(kBreathingPaletteTop, 6));
    Click(kBreathingSpeedUp);
    Click(kApply);
    const Bytes applied = Led().lastPacket;
    ASSERT_EQ(applied.size(), 11u);

    // Change everything Cancel restores, then cancel and apply again.
    Click(EffectSwatch(kBreathingPaletteTop, 3));
    Click(EffectSwatch(kBreathingPaletteTop, 0));
    Click(kBreathingSpeedUp);
    Click(kCycle);
    Click(kCancel);
    Click(kApply);
    EXPECT_EQ(Led().lastPacket, applied);
}

TEST_F(LedWindow, TheSettingsFilesTableLightsTheCardSteady) {
    WriteConfig(kConfig);
    Scenario("temperature = 45\nload = idle\n");
    Open();
    Click(kDefault);
    EXPECT_EQ(Led().effect, 0);
    EXPECT_EQ(Led().speed, 2);
    EXPECT_EQ(Led().colours, (Bytes{0, 0, 255}));
    Scenario("temperature = 85\nload = idle\n");
    SendMessageW(lamp->Hwnd(), WM_TIMER, CBreathingLamp::kTableTimerId, 0);
    EXPECT_EQ(Led().effect, 1) << "the warning wins over the table";
    EXPECT_EQ(Led().colours, (Bytes{255, 0, 0}));
}

TEST_F(LedWindow, ItsCloseGoesToTheOwner) {
    Open();
    OwnerCommands();
    SendMessageW(lamp->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(lamp->Hwnd()));
    EXPECT_EQ(OwnerCommands(), (std::vector<WPARAM>{MAKEWPARAM(1124, 1)}));
}

TEST_F(LedWindow, RestoreRepaintsAtOnce) {
    Open();
    SendMessageW(lamp->Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    const int before = lamp->CompositionCount();
    SendMessageW(lamp->Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_GT(lamp->CompositionCount(), before);
}

TEST(LedColourTableOfTheDeliveredFile, HasFiveEntriesEndingInRed) {
    ConfigFile file(HostPath(VELMORA_DELIVERED_CONFIG));
    ASSERT_TRUE(file.Open());
    const LedColourTable t = ReadLedColourTable(file);
    ASSERT_EQ(t.count, 5u);
    EXPECT_EQ(t.entries[0].minC, 0);
    EXPECT_EQ(t.entries[0].maxC, 39);
    EXPECT_EQ(t.entries[0].colour, MakeLedColour(0, 255, 0));
    EXPECT_EQ(t.entries[4].minC, 80);
    EXPECT_EQ(t.entries[4].maxC, 150);
    EXPECT_EQ(t.entries[4].colour, MakeLedColour(255, 0, 0));
}

const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

// Each pack's composition, for a look (Z:\tmp is /tmp); and a reskin changes the pixels while a
// missing pack keeps the old one.
TEST_F(LedWindow, ComposesWithEveryRealSkinPack) {
    std::vector<std::vector<uint32_t>> frames;
    for (const wchar_t* pack : {L"Norvane.dll", L"Talwyn.dll", L"Ostrid.dll"}) {
        SCOPED_TRACE(testing::Message() << std::filesystem::path(pack).string());
        Open(pack);
        Gdiplus::Bitmap canvas(CBreathingLamp::kWidth, CBreathingLamp::kHeight,
                               PixelFormat32bppARGB);
        ASSERT_TRUE(lamp->RenderTo(canvas));
        const std::wstring name = std::filesystem::path(pack).stem().wstring();
        EXPECT_EQ(
            canvas.Save((L"Z:\\tmp\\velmora_led_" + name + L".png").c_str(), &kPngEncoder, nullptr),
            Gdiplus::Ok);
        // The background covers the window: the middle is opaque.
        Gdiplus::Color c;
        canvas.GetPixel(183, 200, &c);
        EXPECT_EQ(c.GetA(), 255);
        std::vector<uint32_t> px;
        int w = 0, h = 0;
        lamp->RepaintNow();
        ASSERT_TRUE(lamp->ReadFrame(px, w, h));
        frames.push_back(px);
        lamp.reset();
    }
    EXPECT_NE(frames[0], frames[1]);
    EXPECT_NE(frames[1], frames[2]);

    Open(L"Norvane.dll");
    lamp->ApplySkin(SkinPack(L"Talwyn.dll"));
    EXPECT_EQ(lamp->SkinPackFile(), SkinPack(L"Talwyn.dll"));
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(lamp->ReadFrame(px, w, h));
    EXPECT_EQ(px, frames[1]);
    lamp->ApplySkin(SkinPack(L"NoSuchPack.dll"));
    EXPECT_EQ(lamp->SkinPackFile(), SkinPack(L"Talwyn.dll"));
}

}  // namespace
}  // namespace velmora
