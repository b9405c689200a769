// The monitoring window on a real (hidden) layered window over the simulated card: one sample
// is one composition and what it shows equals a frame drawn afresh; the readout line spans all
// four graphs; the settings window's changes reach the graphs.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "gpu/NvidiaGpu.h"
#include "monitoring/MonitorDlg.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"
#include "win32/GdiplusIncludes.h"
#include "win32/GdiplusSession.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

constexpr GraphColors kNorvane{0xFE049BF2, 0xFE9CE1FC, 0xFE009CFF};

// The main window's side: where the window docks, and whether it asked to close.
struct Owner : ToolWindowOwner {
    void DockToolWindow(CToolWindow& w) override { w.PlaceBeside(RECT{0, 0, 475, 440}); }
    void ToolWindowClosed(CToolWindow&) override { ++closes; }
    int closes = 0;
};

const char kConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Velmora>
  <MonitoringDlg>
    <RefreshRate>0</RefreshRate><blLogToFile>0</blLogToFile><LogToFilePath></LogToFilePath>
    <GPUClock Max="2500" Min="0">1</GPUClock>
    <MemoryClock Max="6500" Min="0">0</MemoryClock>
    <GPUTemperature Max="100" Min="0">1</GPUTemperature>
    <GPUUsage Max="100" Min="0">1</GPUUsage>
    <FanSpeed Max="100" Min="0">1</FanSpeed>
    <ShaderClock Max="2500" Min="0">1</ShaderClock>
  </MonitoringDlg>
</Velmora>
)";

class MonitorWindow : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / "velmora_monitor_window_test";
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "Velmora.xml") << kConfig;
        // The program's files are looked for here, wherever the current directory is.
        previous_ = SetProgramFilesFolder(folder_.wstring());

        std::string error;
        ASSERT_TRUE(sim.LoadScenarioText("load = 40\ntemperature = 66\n", &error)) << error;
        binding = std::make_unique<sim::ScopedBinding>(sim);
        gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
        ASSERT_TRUE(gpu.Initialize());
        sim.Advance(5.0);

        dlg = std::make_unique<CMonitorDlg>(L"Z:" VELMORA_SKIN_DIR L"/Norvane.dll", nullptr, owner,
                                            gpu, kNorvane);
        ASSERT_TRUE(dlg->CreateModeless());
        ASSERT_TRUE(dlg->Hwnd());
    }
    void TearDown() override {
        dlg.reset();
        SetProgramFilesFolder(previous_);
        std::filesystem::remove_all(folder_);
    }
    void Move(int x, int y) { SendMessageW(dlg->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    // What the window shows now, against the same window composed afresh without the memo.
    void ExpectFrameEqualsFreshComposition(const char* when) {
        std::vector<uint32_t> shown;
        int w = 0, h = 0;
        ASSERT_TRUE(dlg->ReadFrame(shown, w, h));
        dlg->SetDrawMemo(false);
        dlg->RepaintNow();
        std::vector<uint32_t> fresh;
        ASSERT_TRUE(dlg->ReadFrame(fresh, w, h));
        dlg->SetDrawMemo(true);
        size_t differing = 0;
        std::string where;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (shown[i] == fresh[i]) continue;
            if (++differing <= 5) {
                where += " (" + std::to_string(i % size_t(w)) + "," +
                         std::to_string(i / size_t(w)) + ")";
            }
        }
        EXPECT_EQ(differing, 0u) << when << ", first at" << where;
    }

    GdiplusSession gdiplus;
    std::filesystem::path folder_;
    std::wstring previous_;
    sim::Simulator sim;
    std::unique_ptr<sim::ScopedBinding> binding;
    NvidiaGpu gpu;
    Owner owner;
    std::unique_ptr<CMonitorDlg> dlg;
};

TEST_F(MonitorWindow, TakesTheFirstFourGraphsAndASoundPeriod) {
    EXPECT_EQ(dlg->Slot(0).sensor, kSensorGpuClock);
    EXPECT_EQ(dlg->Slot(1).sensor, kSensorGpuTemperature);
    EXPECT_EQ(dlg->Slot(2).sensor, kSensorGpuUsage);
    EXPECT_EQ(dlg->Slot(3).sensor, kSensorFanSpeed);  // the shader clock is the fifth
    EXPECT_EQ(dlg->Graph(1).TitleLabel().Caption(), L"GPU Temperature,C");
    // "0" would poll the driver as fast as the system allows.
    EXPECT_EQ(dlg->PeriodMs(), 1000);
    RECT r{};
    GetWindowRect(dlg->Hwnd(), &r);
    EXPECT_EQ(r.left, 475 - 20);
    EXPECT_EQ(r.right - r.left, 379);
    EXPECT_EQ(r.bottom - r.top, 672);
}

TEST_F(MonitorWindow, OneSampleReachesEveryGraphInOneCompositionThatEqualsAFreshOne) {
    dlg->RepaintNow();
    for (int i = 0; i < 30; ++i) {
        const int before = dlg->CompositionCount();
        sim.Advance(0.5);
        dlg->TakeSample();
        EXPECT_EQ(dlg->CompositionCount(), before + 1) << "sample " << i;
    }
    EXPECT_EQ(dlg->Graph(0).History().Count(), 30u);
    EXPECT_EQ(dlg->Graph(1).History().Value(29), 66);
    EXPECT_EQ(dlg->Graph(2).History().Value(29), 40);
    EXPECT_EQ(dlg->Graph(1).ValueLabel().Caption(), L"66");
    EXPECT_EQ(dlg->Graph(1).MaxLabel().Caption(), L"Max:66");
    EXPECT_EQ(dlg->Graph(1).MinLabel().Caption(), L"Min:66");
    ExpectFrameEqualsFreshComposition("after 30 samples");
}

TEST_F(MonitorWindow, ThePointerOverOneGraphDrawsTheReadoutAcrossAllFour) {
    for (int i = 0; i < 40; ++i) dlg->TakeSample();
    Move(250, 400);  // over graph 2
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(dlg->Graph(i).IsHover()) << i;
    ExpectFrameEqualsFreshComposition("readout shown");
    Move(250, 330);  // between graphs 2 and 1
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(dlg->Graph(i).IsHover()) << i;
    Move(200, 100);  // over graph 0
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(dlg->Graph(i).IsHover()) << i;
    Move(340, 600);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(dlg->Graph(i).IsHover()) << i;
    ExpectFrameEqualsFreshComposition("readout gone");
}

TEST_F(MonitorWindow, SettingsClearOnlyTheGraphsThatChangeSensor) {
    for (int i = 0; i < 5; ++i) dlg->TakeSample();
    MonitoringSettings s;
    s.periodText = L"50";
    for (int k : {kSensorGpuClock, kSensorGpuTemperature, kSensorMemoryUsage, kSensorFanSpeed}) {
        s.sensors[k].selected = true;
        s.sensors[k].maxText = L"200";
        s.sensors[k].minText = L"10";
    }
    dlg->ApplyMonitoringSettings(s);
    EXPECT_EQ(dlg->PeriodMs(), 100);
    EXPECT_EQ(dlg->Graph(0).History().Count(), 5u);  // same sensor, new scale
    EXPECT_EQ(dlg->Graph(0).History().ScaleMax(), 200);
    EXPECT_EQ(dlg->Graph(2).History().Count(), 0u);  // GPU usage became memory usage
    EXPECT_EQ(dlg->Graph(2).TitleLabel().Caption(), L"Memory Usage,MB");
    EXPECT_EQ(dlg->Graph(2).ValueLabel().Caption(), L"");
    EXPECT_EQ(dlg->Graph(3).History().Count(), 5u);
    ExpectFrameEqualsFreshComposition("after new settings");
}

TEST_F(MonitorWindow, ALogThatCannotBeWrittenLosesItsLinesAndSamplingGoesOn) {
    MonitoringSettings s;
    s.periodText = L"1000";
    s.logEnabled = true;
    const std::filesystem::path missing = folder_ / "no such folder" / "log.txt";
    s.logPath = missing.wstring();
    s.sensors[kSensorGpuTemperature].selected = true;
    s.sensors[kSensorGpuTemperature].maxText = L"100";
    s.sensors[kSensorGpuTemperature].minText = L"0";
    dlg->ApplyMonitoringSettings(s);
    for (int i = 0; i < 3; ++i) dlg->TakeSample();
    EXPECT_EQ(dlg->Graph(0).History().Count(), 3u);
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));

    // The folder there: from the next sample on the log is written, starting with its header.
    std::filesystem::create_directories(missing.parent_path());
    dlg->TakeSample();
    EXPECT_GT(std::filesystem::file_size(missing), 0u);
    EXPECT_EQ(dlg->Graph(0).History().Count(), 4u);
}

}  // namespace
}  // namespace velmora
