#include "monitoring/MonitorDlg.h"

#include <windowsx.h>

#include <cstdio>

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "gpu/NvidiaGpu.h"
#include "lighting/BreathingLamp.h"
#include "monitoring/HistoryLogWin.h"
#include "win32/Geometry.h"

namespace velmora {
namespace {

constexpr wchar_t kNoLedText[] = L"该显卡不支持LED功能";
constexpr wchar_t kNoLedCaption[] = L"提示";

constexpr RECT kGraphRects[kMonitorSlotCount] = {
    {55, 73, 303, 154}, {55, 213, 303, 294}, {55, 363, 303, 444}, {55, 503, 303, 584}};

// The controller's presence test: green breathing, which also stays lit when the LED window
// closes again.
bool ProbeLedController(NvidiaGpu& gpu) {
    const uint8_t green[3] = {0, 255, 0};
    return gpu.WriteLedPacket(green, sizeof green, kLedEffectBreathing, kLedBrightnessFull, 4);
}

}  // namespace

CMonitorDlg::CMonitorDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                         NvidiaGpu& gpu, const GraphColors& colors)
    : CToolWindow(kTemplateId, skinPackFile, L"monitor_main.png", mainWindow, owner),
      gpu_(gpu),
      colors_(colors) {}

CMonitorDlg::~CMonitorDlg() {
    CloseLedWindow();
}

BOOL CMonitorDlg::OnInitDialog() {
    close_.Create(this, RECT{321, 0, 351, 30}, L"lockset_close.png", L"", kIdClose);
    ledButton_.Create(this, RECT{337, 175, 356, 268}, L"Led-zone.png", L"", kIdLed);
    for (int i = 0; i < kMonitorSlotCount; ++i) {
        graphs_[i].Create(this, kGraphRects[i], L"", L"", i == 0 ? kIdSamplingGraph : kIdGraph);
        // Only the first graph's ticks take samples: the others would tick for nothing.
        if (i > 0) graphs_[i].StopTimer(CWaveformDisplay::kTimerId);
    }

    ReadSection();
    ShowSlots();
    graphs_[0].SetPeriod(static_cast<UINT>(periodMs_));
    SetColors(colors_);

    if (!LoadSkinOrClose()) return FALSE;
    RequestDock();
    return CDialogBase::OnInitDialog();
}

void CMonitorDlg::ReadSection() {
    SensorElements elements{};
    int32_t period = 0;
    ConfigFile cfg;
    if (cfg.Open()) {
        cfg.ReadInt(kPathRefreshRate, period);
        cfg.ReadText(kPathLogToFilePath, logPath_);
        cfg.ReadIntFlag(kPathBlLogToFile, logEnabled_);
        for (int k = 0; k < kMonitorSensorCount; ++k) {
            SensorElement& e = elements[static_cast<size_t>(k)];
            const std::wstring path = kPathSensors[k];
            e.exists = cfg.HasElement(path);
            if (!e.exists) continue;
            e.hasText = cfg.ReadText(path, e.text);
            e.hasMax = cfg.ReadAttribute(path, kAttrMax, e.maxText);
            e.hasMin = cfg.ReadAttribute(path, kAttrMin, e.minText);
        }
    }
    periodMs_ = SamplingPeriodMs(period);
    slots_ = SlotsFromSection(elements);
}

void CMonitorDlg::ShowSlots() {
    for (int i = 0; i < kMonitorSlotCount; ++i) {
        graphs_[i].SetTitle(slots_[i].title);
        graphs_[i].SetScale(slots_[i].scaleMin, slots_[i].scaleMax);
    }
}

void CMonitorDlg::SetColors(const GraphColors& colors) {
    colors_ = colors;
    for (CWaveformDisplay& g : graphs_) {
        g.MinLabel().SetTextColor(colors.minLabel);
        g.MaxLabel().SetTextColor(colors.maxLabel);
        g.SetFillColor(colors.fillAndGrid);
        g.SetGridColor(colors.fillAndGrid);
    }
}

// ---- sampling ---------------------------------------------------------------------------------

void CMonitorDlg::TakeSample() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t time[32];
    std::swprintf(time, 32, L"%d:%d:%d", now.wHour, now.wMinute, now.wSecond);

    std::array<int32_t, kMonitorSlotCount> values{};
    int32_t table[kMonitorSensorCount];
    ReadSample(gpu_, slots_, values, table);
    for (int i = 0; i < kMonitorSlotCount; ++i) graphs_[i].AddSample(values[i], time);
    // The four graphs changed together: one composition shows them all.
    RepaintChanged();

    if (logEnabled_ && !logPath_.empty()) {
        const LogStamp stamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
        // A log that cannot be written loses this line; sampling goes on.
        AppendHistoryLog(logPath_, stamp, table);
    }
}

void CMonitorDlg::GpuChanged() {
    for (CWaveformDisplay& g : graphs_) g.ClearHistory();
    if (Hwnd()) RepaintChanged();
}

void CMonitorDlg::ApplyMonitoringSettings(const MonitoringSettings& settings) {
    periodMs_ = SamplingPeriodMs(ParseConfigInt(settings.periodText));
    graphs_[0].SetPeriod(static_cast<UINT>(periodMs_));
    logEnabled_ = settings.logEnabled;
    logPath_ = settings.logPath;
    std::array<bool, kMonitorSlotCount> changed{};
    ApplySettingsToSlots(settings, slots_, changed);
    for (int i = 0; i < kMonitorSlotCount; ++i) {
        graphs_[i].SetScale(slots_[i].scaleMin, slots_[i].scaleMax);
        graphs_[i].SetTitle(slots_[i].title);
        if (changed[i]) graphs_[i].ClearHistory();
    }
    if (Hwnd()) RepaintChanged();
}

// ---- pointer ----------------------------------------------------------------------------------

void CMonitorDlg::FollowPointer(int x, int y) {
    bool anyHover = false;
    bool over = false;
    for (const CWaveformDisplay& g : graphs_) {
        anyHover = anyHover || g.IsHover();
        over = over || InRect(g.Rect(), x, y);
    }
    if (!anyHover && !readoutShown_) return;
    // Over any graph, every graph shows the readout at the same x; off them, none does.
    readoutShown_ = over;
    for (CWaveformDisplay& g : graphs_) g.FollowPointer(x, y, over && x < g.Rect().right);
    RepaintChanged();
}

// ---- the LED window ---------------------------------------------------------------------------

void CMonitorDlg::ToggleLedWindow() {
    if (!ProbeLedController(gpu_)) {
        MessageBoxW(Hwnd(), kNoLedText, kNoLedCaption, MB_OK);
    } else if (led_) {
        CloseLedWindow();
    } else {
        auto led = std::make_unique<CBreathingLamp>(SkinPackFile(), Hwnd(), gpu_);
        if (led->CreateModeless() && led->Hwnd()) {
            led_ = std::move(led);
            ShowWindow(led_->Hwnd(), SW_SHOW);
            SetForegroundWindow(led_->Hwnd());
        }
    }
    ShowLedButtonState();
}

void CMonitorDlg::CloseLedWindow() {
    led_.reset();
}

void CMonitorDlg::ShowLedButtonState() {
    // The button shows whether the LED window is open; as a lone check button it toggles itself
    // on a click, so it is set back to the truth here.
    const bool open = led_ != nullptr;
    if (ledButton_.GetCheck() != open) ledButton_.OnLButtonUp(0, 0, 0);
    if (Hwnd()) RepaintNow();
}

// ---- what the main window asks ----------------------------------------------------------------

void CMonitorDlg::PlaceBeside(const RECT& main) {
    if (!Hwnd()) return;
    SetWindowPos(Hwnd(), HWND_TOP, main.right - kOverlapX, main.top, kWidth, kHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (led_ && led_->Hwnd()) led_->PlaceWindow();
}

void CMonitorDlg::ApplySkin(const std::wstring& packFile, const GraphColors& colors) {
    SetColors(colors);
    if (LoadSkin(packFile, true, true)) SetSkinPackFile(packFile);
    if (led_ && led_->Hwnd()) led_->ApplySkin(packFile);
}

// ---- messages ---------------------------------------------------------------------------------

void CMonitorDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case kIdSamplingGraph:
            // Its timer's ticks and clicks on it alike.
            TakeSample();
            break;
        case kIdClose:
            if (code == CControls::kCodeClick) Owner().ToolWindowClosed(*this);
            break;
        case kIdLed:
            if (code == CControls::kCodeClick) ToggleLedWindow();
            break;
        case CBreathingLamp::kCloseRequestCommand:
            CloseLedWindow();
            ShowLedButtonState();
            break;
        default:
            break;
    }
}

LRESULT CMonitorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEMOVE: {
            const LRESULT r = CToolWindow::WindowProc(msg, wParam, lParam);
            FollowPointer(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return r;
        }
        case WM_MOVE:
            if (led_ && led_->Hwnd() && !IsIconic(Hwnd())) led_->PlaceWindow();
            break;
        case WM_DESTROY:
            // The LED window goes first, with its object.
            CloseLedWindow();
            break;
        case WM_SYSCOMMAND: {
            const UINT command = static_cast<UINT>(wParam & 0xFFF0);
            if (command == SC_RESTORE || command == SC_MINIMIZE) {
                const LRESULT r = CToolWindow::WindowProc(msg, wParam, lParam);
                // The LED window goes and comes back with this one.
                if (led_ && led_->Hwnd()) SendMessageW(led_->Hwnd(), WM_SYSCOMMAND, command, 0);
                if (command == SC_RESTORE) {
                    ShowWindow(Hwnd(), SW_RESTORE);
                    RepaintNow();
                }
                return r;
            }
            break;
        }
        default:
            break;
    }
    return CToolWindow::WindowProc(msg, wParam, lParam);
}

}  // namespace velmora
