#include "VelmoraDlg.h"

#include <array>

#include "../../res/resource.h"
#include "app/AppGlobals.h"
#include "app/GaugeSource.h"
#include "app/MainWindowMark.h"
#include "app/Screenshot.h"
#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "monitoring/MonitorDlg.h"
#include "settings/SettingsWindow.h"
#include "settings/UpdateCheck.h"
#include "tuning/ClockProfileConfig.h"
#include "tuning/ClockSetDlg.h"
#include "tuning/FanCurveConfig.h"

namespace velmora {
namespace {

constexpr wchar_t kTrayTip[] = L"Velmora beta3";
// The customise warning comes in three pieces: the first is a sentence of its own, the other two
// one sentence split in the middle.
constexpr wchar_t kCustomiseWarning[] =
    L"Any inappropriate adjusting may cause unpredictable damages to your graphics card."
    L"\n"
    L"Damages caused by customing your graphics card are not covered under any Tessarin product"
    L" "
    L"and may not be covered by your graphics card or system manufacturer's warranty.";
constexpr int kGaugeTitlePoints = 7;
// The left gauge sits near the window's edge: its title starts closer to the bar.
constexpr int kLeftGaugeTitleLead = 25;

// Scale-label rectangles of the gauges, 30 x 10 each, lowest first.
constexpr float kLeftLabelX = 74;
constexpr float kRightLabelX = 372;
constexpr float kLabelY[5] = {319, 255, 192, 132, 69};

GraphColors GraphColorsOf(SkinKind kind) {
    const SkinColors& c = ColorsOf(kind);
    return GraphColors{c.graphMin, c.graphMax, c.graphFill};
}

HICON LoadSizedIcon(int resourceId, int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_ICON, GetSystemMetrics(metricX),
                                         GetSystemMetrics(metricY), LR_DEFAULTCOLOR));
}

}  // namespace

// ---- fan device and timer -------------------------------------------------------------------

void CVelmoraDlg::WindowFanTimer::Start(int32_t periodMs) {
    SetTimer(owner_.Hwnd(), kFanTimerId, static_cast<UINT>(periodMs), nullptr);
}

void CVelmoraDlg::WindowFanTimer::Stop() {
    KillTimer(owner_.Hwnd(), kFanTimerId);
}

int64_t CVelmoraDlg::WindowFanTimer::NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

// ---- the clock settings window's view of the main window ----------------------------------

void CVelmoraDlg::ClockWindowHost::SetFanManual(bool manual) {
    ClockSettingsFile().SetFanManual(manual);
}

void CVelmoraDlg::ClockWindowHost::ClearFanAutoStart() {
    ClockSettingsFile().ClearFanAutoStart();
}

int CVelmoraDlg::ClockWindowHost::GetFanMode() {
    return ClockSettingsFile().GetFanMode(owner_.fan_.fanControlState);
}

// ---- the settings window's view of the main window ---------------------------------------

void CVelmoraDlg::SettingsWindowHost::SetGaugeSources(int left, int right) {
    owner_.leftSource = left;
    owner_.rightSource = right;
    for (const bool side : {true, false}) {
        const int source = side ? left : right;
        owner_.SetGaugeRange(side, source);
        owner_.RefreshGauge(side, source);
    }
    owner_.RepaintNow();
}

bool CVelmoraDlg::SettingsWindowHost::SetScreenshotHotkey(UINT virtualKey, UINT storedModifiers) {
    // The old combination goes first: it would otherwise stay registered beside the new one.
    UnregisterScreenshotHotkey(owner_.Hwnd());
    if (virtualKey == 0 && storedModifiers == 0) return true;
    return RegisterScreenshotHotkey(owner_.Hwnd(), virtualKey, storedModifiers);
}

void CVelmoraDlg::SettingsWindowHost::ApplyFanSwitch(bool shownOn, bool on) {
    const FanSwitchOutcome outcome = owner_.fan_.ApplySettingsSwitch(shownOn, on, LoadFanConfig);
    // An untouched switch that is off leaves the mode, a manual level included, and so what the
    // clock window shows.
    if (!on && outcome == FanSwitchOutcome::Unchanged) return;
    // As the clock window's own apply of these modes does: "FanManual" is "0" then.
    owner_.clockHost_.SetFanManual(false);
    if (CClockSetDlg* clock = owner_.ClockWindow()) clock->ShowFanMode(on);
}

void CVelmoraDlg::SettingsWindowHost::RequestExit() {
    // Posted: the settings window's modal loop ends first, then the ordinary close runs.
    PostMessageW(owner_.Hwnd(), WM_CLOSE, 0, 0);
}

// ---- construction ----------------------------------------------------------------------------

CVelmoraDlg::CVelmoraDlg(std::wstring_view skinPackFile, std::wstring_view backgroundName,
                         HWND parent, FanHold& hold)
    : CDialogBase(kTemplateId, skinPackFile, backgroundName, parent),
      fanDevice_(g_nvidiaGpu),
      fan_(fanDevice_, fanTimer_, hold) {}

CVelmoraDlg::~CVelmoraDlg() {
    for (int k = 0; k < ToolWindowHost::kKindCount; ++k) {
        toolWindows.Close(static_cast<ToolWindowHost::Kind>(k));
    }
}

BOOL CVelmoraDlg::OnInitDialog() {
    HWND w = Hwnd();
    SetWindowTextW(w, L"Velmora");
    SetPropW(w, kMainWindowProperty, reinterpret_cast<HANDLE>(1));
    SetWindowLongPtrW(w, GWL_STYLE, GetWindowLongPtrW(w, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    SetCaptionDrag(true);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");

    eye_.Create(this, RECT{149, 132, 323, 280}, L"main_eye.png", L"", kIdEye);
    eye_.SetFrameCount(13);
    eye_.SetInterval(250);
    close_.Create(this, RECT{420, 2, 450, 32}, L"main_close.png", L"", kIdClose);
    minimise_.Create(this, RECT{390, 2, 420, 32}, L"main_min.png", L"", kIdMinimise);
    settings_.Create(this, RECT{360, 2, 390, 32}, L"main_set.png", L"", kIdSettings);
    lock_.Create(this, RECT{33, 357, 227, 385}, L"main_clock.png", L"", kIdLock);
    gpuInfo_.Create(this, RECT{249, 357, 443, 385}, L"main_gpu.png", L"", kIdGpuInfo);
    customise_.Create(this, RECT{33, 395, 227, 423}, L"main_custmize.png", L"", kIdCustomise);
    monitor_.Create(this, RECT{249, 395, 443, 423}, L"main_monitor.png", L"", kIdMonitor);
    leftGauge_.Create(this, RECT{51, 73, 61, 329}, L"main_probarleft.png", L"", kIdLeftGauge);
    rightGauge_.Create(this, RECT{415, 73, 425, 329}, L"main_probargight.png", L"", kIdRightGauge);

    std::array<FloatRect, 5> leftLabels;
    std::array<FloatRect, 5> rightLabels;
    for (int i = 0; i < 5; ++i) {
        leftLabels[i] = FloatRect{kLeftLabelX, kLabelY[i], 30, 10};
        rightLabels[i] = FloatRect{kRightLabelX, kLabelY[i], 30, 10};
    }
    leftGauge_.SetLabelRects(leftLabels);
    leftGauge_.SetTitleLead(kLeftGaugeTitleLead);
    rightGauge_.SetLabelRects(rightLabels);

    lock_.Enable(false);
    LoadStartupSettings();
    SetGaugeRange(true, leftSource);
    SetGaugeRange(false, rightSource);
    SetTimer(w, kRefreshTimerId, kRefreshPeriodMs, nullptr);

    const std::wstring pack = PackFileAtStartup(SkinPackFile());
    SetSkinPackFile(pack);
    const SkinKind kind = SkinKindAtStartup(pack);
    SetSkinIcons(kind);
    leftGauge_.SetBarColor(ColorsOf(kind).gaugeBar);
    rightGauge_.SetBarColor(ColorsOf(kind).gaugeBar);

    if (!LoadSkin(pack, false, false)) {
        MessageBoxW(w, kMissingSkinText, L"Error", MB_OK);
        PostMessageW(w, WM_CLOSE, 0, 0);
        return TRUE;
    }
    RefreshBothGauges();
    StartScheduledUpdateCheck(w);

    const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 237;
    const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - 220;
    SetWindowPos(w, HWND_TOP, left, top, kWidth, kHeight, hiddenToTray ? 0 : SWP_SHOWWINDOW);
    return CDialogBase::OnInitDialog();
}

void CVelmoraDlg::LoadStartupSettings() {
    ConfigFile cfg;
    if (!cfg.Open()) return;
    std::wstring text;
    if (cfg.ReadText(kPathStartMinized, text) && ParseConfigTextFlag(text)) {
        hiddenToTray = true;
        trayMode = true;
        AddTrayIcon();
    }
    if (cfg.ReadText(kPathEnableFan, text) && ParseConfigTextFlag(text)) {
        fan_.fanControlState = 1;
        // The file is open in this access already; the lock is recursive.
        ApplyFanControlState();
    }
    int32_t value = 0;
    if (cfg.ReadInt(kPathQuickSightLeft, value)) leftSource = value;
    if (cfg.ReadInt(kPathQuickSightRight, value)) rightSource = value;

    std::wstring key, modifiers;
    if (cfg.ReadAttribute(kPathHotKey, kAttrVirtualKeyCode, key) &&
        cfg.ReadAttribute(kPathHotKey, kAttrModifiers, modifiers)) {
        RegisterScreenshotHotkey(Hwnd(), static_cast<UINT>(ParseConfigInt(key)),
                                 static_cast<UINT>(ParseConfigInt(modifiers)));
    }
    if (cfg.ReadText(kPathSaveToFilePath, text)) screenshotFolder = text;
}

// ---- gauges ----------------------------------------------------------------------------------

void CVelmoraDlg::SetGaugeRange(bool left, int source) {
    CProgressbar& gauge = left ? leftGauge_ : rightGauge_;
    const GaugeSourceInfo* info = GaugeSourceFor(source);
    // Without a source the gauge shows neither range, title nor value.
    gauge.ShowControl(info ? CControls::kShown : CControls::kHidden);
    if (info) gauge.SetRange(0, info->maximum);
}

void CVelmoraDlg::RefreshGauge(bool left, int source) {
    const GaugeSourceInfo* info = GaugeSourceFor(source);
    if (!info) return;
    CProgressbar& gauge = left ? leftGauge_ : rightGauge_;
    gauge.SetValue(ReadGaugeValue(g_nvidiaGpu, source));
    gauge.SetTitle(info->title, kGaugeTitlePoints);
}

void CVelmoraDlg::RefreshBothGauges() {
    RefreshGauge(true, leftSource);
    RefreshGauge(false, rightSource);
}

void CVelmoraDlg::RefreshTick() {
    RefreshBothGauges();
    // What the readings changed, and only that: a partial composition gives the same frame as a
    // whole one, and a gauge that did not change costs nothing.
    RepaintChanged();
}

// ---- skin --------------------------------------------------------------------------------------

void CVelmoraDlg::SetSkinIcons(SkinKind kind) {
    const int id = kind == SkinKind::Norvane  ? IDI_NORVANE
                   : kind == SkinKind::Talwyn ? IDI_TALWYN
                                              : IDI_VELMORA;
    IconHandle big(LoadSizedIcon(id, SM_CXICON, SM_CYICON));
    IconHandle small(LoadSizedIcon(id, SM_CXSMICON, SM_CYSMICON));
    SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    // The window now shows the new icons; the old ones go.
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void CVelmoraDlg::ApplySkin(const std::wstring& packFile) {
    const SkinKind kind = SkinKindOfPack(packFile);
    SetSkinIcons(kind);
    leftGauge_.SetBarColor(ColorsOf(kind).gaugeBar);
    rightGauge_.SetBarColor(ColorsOf(kind).gaugeBar);
    if (LoadSkin(packFile, true, true)) SetSkinPackFile(packFile);
    if (CClockSetDlg* clock = ClockWindow()) clock->ApplySkin(packFile, ColorsOf(kind).clockText);
    if (CMonitorDlg* monitor = MonitorWindow()) monitor->ApplySkin(packFile, GraphColorsOf(kind));
    if (CGpuInfoDlg* info = GpuInfoWindow()) info->ApplySkin(packFile);
}

// ---- notification area ---------------------------------------------------------------------

void CVelmoraDlg::AddTrayIcon() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = Hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VELMORA));
    if (!data.hIcon) data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wcsncpy_s(data.szTip, kTrayTip, _TRUNCATE);
    Shell_NotifyIconW(NIM_ADD, &data);
    // Even when the shell is not there yet, remember the wish: the icon is added again when
    // the taskbar announces itself.
    trayIconAdded_ = true;
}

void CVelmoraDlg::RemoveTrayIcon() {
    if (!trayIconAdded_) return;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = Hwnd();
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    trayIconAdded_ = false;
}

void CVelmoraDlg::OnTrayNotify(LPARAM event) {
    switch (LOWORD(event)) {
        case WM_RBUTTONUP: {
            MenuHandle menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
            if (!menu.Get()) return;
            POINT at{};
            GetCursorPos(&at);
            // The menu closes when the user clicks elsewhere only if we are in front.
            SetForegroundWindow(Hwnd());
            TrackPopupMenu(GetSubMenu(menu.Get(), 0), TPM_RIGHTBUTTON, at.x, at.y, 0, Hwnd(),
                           nullptr);
            PostMessageW(Hwnd(), WM_NULL, 0, 0);
            break;
        }
        case WM_LBUTTONDBLCLK:
            ShowFromTray();
            break;
        default:
            break;
    }
}

void CVelmoraDlg::ShowFromTray() {
    hiddenToTray = false;
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
    RepaintNow();
}

void CVelmoraDlg::HideToTray() {
    ShowWindow(Hwnd(), SW_MINIMIZE);
    ShowWindow(Hwnd(), SW_HIDE);
}

// ---- fan control -------------------------------------------------------------------------------

bool CVelmoraDlg::LoadFanConfig(FanConfigValues& values) {
    ConfigFile cfg;
    if (!cfg.Open()) return false;
    ReadFanMap(cfg, values.map);  // a missing "FanMap" leaves every point unread
    values.hasPeriod = cfg.ReadInt(kPathUpdateTime, values.periodMs);
    return true;
}

void CVelmoraDlg::ApplyFanControlState() {
    fan_.ApplyFanControlState(LoadFanConfig);
}

bool CVelmoraDlg::SaveFanStateOnExit() {
    return fan_.SaveFanStateOnExit([](bool autoStart) {
        ConfigFile cfg;
        if (!cfg.Open()) return false;
        if (cfg.WriteText(kPathEnableFan, FormatConfigFlag(autoStart))) cfg.Save();
        return true;
    });
}

void CVelmoraDlg::OnToolWindowClosed(ToolWindowHost::Kind kind) {
    toolWindows.Close(kind);
    if (kind == ToolWindowHost::kClock) {
        // The lock freezes the clock settings window: with that closed it has nothing to hold.
        lock_.Enable(false);
        RepaintNow();
    }
}

CClockSetDlg* CVelmoraDlg::ClockWindow() const {
    // The host keeps exactly the clock settings window under its kind.
    return static_cast<CClockSetDlg*>(toolWindows.Get(ToolWindowHost::kClock));
}

void CVelmoraDlg::OpenClockWindow() {
    if (CClockSetDlg* open = ClockWindow()) {
        ShowWindow(open->Hwnd(), SW_SHOW);
        return;
    }
    // Asked each time the window is opened anew, never while it is open.
    if (MessageBoxW(Hwnd(), kCustomiseWarning, L"Warning", MB_YESNO) != IDYES) return;
    const SkinKind kind = SkinKindOfPack(SkinPackFile());
    auto clock = std::make_unique<CClockSetDlg>(SkinPackFile(), Hwnd(), toolWindows, g_nvidiaGpu,
                                                clockHost_, ColorsOf(kind).clockText);
    if (!clock->CreateModeless() || !clock->Hwnd()) return;
    HWND w = clock->Hwnd();
    toolWindows.Host(ToolWindowHost::kClock, std::move(clock));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    lock_.Enable(true);
    RepaintNow();
}

CGpuInfoDlg* CVelmoraDlg::GpuInfoWindow() const {
    return static_cast<CGpuInfoDlg*>(toolWindows.Get(ToolWindowHost::kGpuInfo));
}

void CVelmoraDlg::OpenGpuInfoWindow() {
    if (GpuInfoWindow()) return;
    auto info =
        std::make_unique<CGpuInfoDlg>(SkinPackFile(), Hwnd(), toolWindows, g_nvidiaGpu, gpuChoice_);
    if (!info->CreateModeless() || !info->Hwnd()) return;
    HWND w = info->Hwnd();
    toolWindows.Host(ToolWindowHost::kGpuInfo, std::move(info));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
}

void CVelmoraDlg::ChooseGpu(int32_t index) {
    if (index == g_nvidiaGpu.selectedIndex() || !g_nvidiaGpu.SelectGpu(index)) return;
    // The fans this run fixed go back first, whichever GPU they belong to; the curve then reads
    // the new GPU's cooler and drives it from its next tick.
    fan_.SelectedGpuChanged();
    if (CClockSetDlg* clock = ClockWindow()) clock->GpuChanged();
    if (CMonitorDlg* monitor = MonitorWindow()) monitor->GpuChanged();
    RefreshBothGauges();
    RepaintChanged();
}

CMonitorDlg* CVelmoraDlg::MonitorWindow() const {
    return static_cast<CMonitorDlg*>(toolWindows.Get(ToolWindowHost::kMonitor));
}

void CVelmoraDlg::OpenMonitorWindow() {
    if (CMonitorDlg* open = MonitorWindow()) {
        ShowWindow(open->Hwnd(), SW_SHOW);
        return;
    }
    // The graphs take their colours from the skin the window opens with.
    const GraphColors colors = GraphColorsOf(SkinKindOfPack(SkinPackFile()));
    auto monitor =
        std::make_unique<CMonitorDlg>(SkinPackFile(), Hwnd(), toolWindows, g_nvidiaGpu, colors);
    if (!monitor->CreateModeless() || !monitor->Hwnd()) return;
    HWND w = monitor->Hwnd();
    toolWindows.Host(ToolWindowHost::kMonitor, std::move(monitor));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
}

void CVelmoraDlg::OpenSettingsWindow() {
    CClockSetDlg* clock = ClockWindow();
    if (clock) EnableWindow(clock->Hwnd(), FALSE);
    EnableWindow(Hwnd(), FALSE);
    RunSettingsWindow(settingsHost_);
    EnableWindow(Hwnd(), TRUE);
    // The clock window may have closed meanwhile (never while the settings run, but be sure).
    if ((clock = ClockWindow())) EnableWindow(clock->Hwnd(), TRUE);
    SetForegroundWindow(Hwnd());
}

void CVelmoraDlg::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    SaveFanStateOnExit();
    RemoveTrayIcon();
}

void CVelmoraDlg::ExitProgram() {
    Shutdown();
    PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
}

// ---- messages
// ------------------------------------------------------------------------------------

void CVelmoraDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kRefreshTimerId) {
        RefreshTick();
    } else if (timerId == kFanTimerId && fan_.fanControlState != 0) {
        RunFanCurve();
    }
}

void CVelmoraDlg::OnCommand(WORD id, WORD code) {
    ToolWindowHost::Kind closed;
    if (ToolWindowHost::KindOfClosedCommand(id, closed)) {
        OnToolWindowClosed(closed);
        return;
    }
    switch (id) {
        case kIdClose:
            if (trayMode) {
                HideToTray();
            } else {
                ExitProgram();
            }
            break;
        case kIdMinimise:
            // As a system command, so each tool window takes its own side windows with it.
            toolWindows.ForEachOpen(
                [](CToolWindow& t) { SendMessageW(t.Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); });
            ShowWindow(Hwnd(), SW_MINIMIZE);
            break;
        case kIdLock:
            if (CClockSetDlg* clock = ClockWindow()) clock->SetLocked(lock_.GetCheck());
            break;
        case kIdCustomise:
            OpenClockWindow();
            break;
        case kIdMonitor:
            OpenMonitorWindow();
            break;
        case kIdSettings:
            OpenSettingsWindow();
            break;
        case kIdGpuInfo:
            OpenGpuInfoWindow();
            break;
        case kIdEye:
            // Every eye frame repaints the window anyway.
            RefreshBothGauges();
            break;
        case ID_TRAY_CLOSE:
            ExitProgram();
            break;
        case ID_TRAY_SHOW:
            ShowFromTray();
            break;
        default:
            break;
    }
}

LRESULT CVelmoraDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hiddenToTray && !hiding_ && IsWindowVisible(Hwnd())) {
        // Hiding sends messages of its own; they must not hide again.
        hiding_ = true;
        ShowWindow(Hwnd(), SW_HIDE);
        hiding_ = false;
    }

    switch (msg) {
        case WM_WINDOWPOSCHANGING:
            // Hidden behind the tray icon: never let anything show the window meanwhile.
            if (hiddenToTray) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
            break;
        case WM_CLOSE:
            Shutdown();
            // The close may come (from setup, say) while a message box or the settings window
            // runs its own loop over this window; that loop would keep the program alive until
            // the user answered. WM_QUIT ends every nested loop, each handing it on to the one
            // outside, so a close always ends the program.
            PostQuitMessage(0);
            break;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logging off or shutting down is a way out too.
            if (wParam) Shutdown();
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    if (trayMode) {
                        HideToTray();
                        return 0;
                    }
                    Shutdown();
                    break;
                case SC_RESTORE:
                    RepaintNow();
                    // The tool windows come back with the main window.
                    toolWindows.ForEachOpen([](CToolWindow& t) {
                        SendMessageW(t.Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
                    });
                    break;
                case SC_MINIMIZE:
                    toolWindows.ForEachOpen([](CToolWindow& t) {
                        SendMessageW(t.Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
                    });
                    break;
                default:
                    break;
            }
            break;
        case WM_MOVE:
            // The tool windows stay docked beside the main window (a minimised one has no
            // place to dock to; they are minimised with it).
            if (!IsIconic(Hwnd())) toolWindows.DockAll();
            break;
        case WM_HOTKEY:
            CaptureScreenToFile(Hwnd(), screenshotFolder);
            break;
        case WM_DESTROY:
            RemovePropW(Hwnd(), kMainWindowProperty);
            KillTimer(Hwnd(), kRefreshTimerId);
            UnregisterScreenshotHotkey(Hwnd());
            RemoveTrayIcon();
            break;
        default:
            if (msg == kTrayCallbackMessage) {
                OnTrayNotify(lParam);
                return 0;
            }
            if (msg == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0 && trayIconAdded_) {
                AddTrayIcon();
                return 0;
            }
            break;
    }
    return CDialogBase::WindowProc(msg, wParam, lParam);
}

}  // namespace velmora
