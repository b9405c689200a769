// The settings window and its Monitoring, Quick Sight, UI and About pages on real dialogs, with
// a stand-in for the main window: what each page shows from the file, what OK writes and
// pushes and in which order, that Cancel writes nothing, and the Monitoring page's rule of
// four graphs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PrivateCurrentUser.h"
#include "gpu/NvidiaGpu.h"
#include "monitoring/MonitorDlg.h"
#include "settings/AboutPage.h"
#include "settings/MonitoringPage.h"
#include "settings/QuickSightPage.h"
#include "settings/SetDlg.h"
#include "settings/UiPage.h"
#include "settings_ids.h"
#include "sim/SimInterface.h"
#include "sim/Simulator.h"
#include "win32/GdiplusSession.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const char kConfig[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Velmora>
	<Version>300</Version>
	<GeneralDlg>
		<StartMinized>0</StartMinized>
		<UpadteCheck>0</UpadteCheck>
	</GeneralDlg>
	<MonitoringDlg>
		<RefreshRate>750</RefreshRate>
		<blLogToFile>1</blLogToFile>
		<LogToFilePath>C:\logs\gpu.txt</LogToFilePath>
		<GPUClock Max="2000" Min="100">1</GPUClock>
		<MemoryClock Max="8000" Min="0">1</MemoryClock>
		<GPUTemperature Max="100" Min="0">1</GPUTemperature>
		<GPUUsage Max="100" Min="0">0</GPUUsage>
		<MemoryUsage Max="100" Min="0">0</MemoryUsage>
		<GPUVoltage Max="1500" Min="0">0</GPUVoltage>
		<FanSpeed Max="100" Min="0">1</FanSpeed>
		<FanTachometer Max="5000" Min="0">0</FanTachometer>
		<PowerTarget Max="150" Min="0">0</PowerTarget>
		<ShaderClock Max="4000" Min="0">0</ShaderClock>
		<Unknown keep="me"/>
	</MonitoringDlg>
	<QuickSightSettingsDlg>
		<Left>2</Left>
		<Right>1</Right>
	</QuickSightSettingsDlg>
	<UIDlg>
		<SaveToFilePath>C:\shots</SaveToFilePath>
		<UiName>Norvane</UiName>
		<HotKey VirtualKeyCode="122" Modifiers="3"/>
	</UIDlg>
	<FanDlg>
		<EnableFan>0</EnableFan>
	</FanDlg>
</Velmora>
)";

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The main window's side, recording what the settings window pushes and what the file held at
// that moment.
struct FakeHost : SettingsHost {
    HWND MainWindow() const override { return nullptr; }
    void SetGaugeSources(int left, int right) override {
        Record("gauges " + std::to_string(left) + " " + std::to_string(right));
    }
    void SetScreenshotFolder(const std::wstring& folder) override {
        this->folder = folder;
        Record("folder");
    }
    bool SetScreenshotHotkey(UINT key, UINT modifiers) override {
        Record("hotkey " + std::to_string(key) + " " + std::to_string(modifiers));
        return true;
    }
    std::wstring SkinPackFile() const override { return pack; }
    void ApplySkin(const std::wstring& packFile) override {
        Record("skin " + std::string(packFile.begin(), packFile.end()));
    }
    CMonitorDlg* MonitorWindow() const override {
        const_cast<FakeHost*>(this)->Record("monitor");
        return monitor;
    }
    void ApplyFanSwitch(bool, bool) override { Record("fan"); }
    void RequestExit() override { Record("exit"); }

    void Record(const std::string& call) {
        calls.push_back(call);
        fileAt.push_back(fs::exists(file) ? ReadAll(file) : std::string());
    }
    // The file as it stood when `call` was made.
    std::string FileAt(const std::string& call) const {
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i] == call) return fileAt[i];
        }
        return "(never called)";
    }

    fs::path file;
    std::wstring pack = L"Norvane.dll";
    std::wstring folder;
    CMonitorDlg* monitor = nullptr;
    std::vector<std::string> calls;
    std::vector<std::string> fileAt;
};

// Answers every message box of this thread with OK and keeps its text.
class MessageBoxes {
  public:
    MessageBoxes() {
        self_ = this;
        timer_ = SetTimer(nullptr, 0, 30, Tick);
    }
    ~MessageBoxes() {
        KillTimer(nullptr, timer_);
        self_ = nullptr;
    }
    std::vector<std::wstring> texts;

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(w, cls, 16);
                if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
                wchar_t text[256] = {};
                if (!GetDlgItemTextW(w, 0xFFFF, text, 256)) return TRUE;
                self_->texts.push_back(text);
                PostMessageW(w, WM_COMMAND, IDOK, 0);
                return TRUE;
            },
            0);
    }
    static inline MessageBoxes* self_ = nullptr;
    UINT_PTR timer_ = 0;
};

void Pump(HWND dialog, int rounds = 3) {
    for (int i = 0; i < rounds; ++i) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &m)) continue;
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(20);
    }
}

class SettingsWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        folder_ = fs::temp_directory_path() / "velmora_settings_window_test";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        for (const wchar_t* pack : {L"Norvane.dll", L"Talwyn.dll", L"Ostrid.dll"}) {
            fs::copy_file(fs::path(L"Z:" VELMORA_SKIN_DIR) / pack, folder_ / pack);
        }
        file_ = folder_ / "Velmora.xml";
        host.file = file_;
        // The program's files are looked for here, wherever the current directory is.
        previous_ = SetProgramFilesFolder(folder_.wstring());
    }
    void TearDown() override {
        dlg.reset();
        SetProgramFilesFolder(previous_);
        fs::remove_all(folder_);
    }
    void WriteConfig(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    void Open() {
        dlg = std::make_unique<CSetDlg>(host);
        ASSERT_TRUE(dlg->CreateModeless());
        Pump(dlg->Hwnd());
    }
    HWND PageItem(SettingsPage page, int id) const { return GetDlgItem(dlg->PageWindow(page), id); }
    std::wstring Text(SettingsPage page, int id) const {
        wchar_t text[512] = {};
        GetWindowTextW(PageItem(page, id), text, 512);
        return text;
    }
    bool Checked(SettingsPage page, int id) const {
        return SendMessageW(PageItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void Click(SettingsPage page, int id) {
        SendMessageW(PageItem(page, id), BM_CLICK, 0, 0);
        Pump(dlg->Hwnd());
    }
    void Type(SettingsPage page, int id, const wchar_t* text) {
        SetWindowTextW(PageItem(page, id), text);
        Pump(dlg->Hwnd());
    }
    HWND GraphList() const { return PageItem(SettingsPage::Monitoring, IDC_MON_GRAPH_LIST); }
    bool RowChecked(int row) const { return ListView_GetCheckState(GraphList(), row) != FALSE; }
    void SetRowChecked(int row, bool on) {
        ListView_SetCheckState(GraphList(), row, on ? TRUE : FALSE);
        Pump(dlg->Hwnd());
    }
    void SelectRow(int row) {
        ListView_SetItemState(GraphList(), row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        Pump(dlg->Hwnd());
    }
    void PressOk() {
        SendMessageW(dlg->Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg->Hwnd(), IDOK)));
        Pump(nullptr);
    }
    void PressCancel() {
        SendMessageW(dlg->Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg->Hwnd(), IDCANCEL)));
        Pump(nullptr);
    }
    void SetHotkey(BYTE key, BYTE modifiers) {
        SendMessageW(PageItem(SettingsPage::Ui, IDC_UI_HOTKEY), HKM_SETHOTKEY,
                     MAKEWORD(key, modifiers), 0);
    }
    void ChooseSkin(int index) {
        HWND list = PageItem(SettingsPage::Ui, IDC_UI_SKIN);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dlg->PageWindow(SettingsPage::Ui), WM_COMMAND,
                     MAKEWPARAM(IDC_UI_SKIN, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        Pump(dlg->Hwnd());
    }

    GdiplusSession gdiplus;
    MessageBoxes boxes;
    fs::path folder_;
    fs::path file_;
    std::wstring previous_;
    FakeHost host;
    std::unique_ptr<CSetDlg> dlg;
};

TEST_F(SettingsWindow, EveryPageShowsItsSectionOfTheFile) {
    WriteConfig(kConfig);
    Open();
    using P = SettingsPage;
    // Monitoring.
    EXPECT_EQ(Text(P::Monitoring, IDC_MON_PERIOD), L"750");
    EXPECT_TRUE(Checked(P::Monitoring, IDC_MON_LOG_TO_FILE));
    EXPECT_EQ(Text(P::Monitoring, IDC_MON_LOG_PATH), L"C:\\logs\\gpu.txt");
    EXPECT_TRUE(IsWindowEnabled(PageItem(P::Monitoring, IDC_MON_LOG_PATH)));
    const bool rows[] = {true, true, true, false, false, false, true, false, false, false};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(RowChecked(i), rows[i]) << i;
    EXPECT_EQ(Text(P::Monitoring, IDC_MON_LIMIT_MAX), L"2000");
    EXPECT_EQ(Text(P::Monitoring, IDC_MON_LIMIT_MIN), L"100");
    EXPECT_EQ(dlg->Monitoring().Record(kSensorShaderClock).maxText, L"4000");
    // The one column fills the list: no horizontal scroll bar.
    EXPECT_FALSE(GetWindowLongPtrW(GraphList(), GWL_STYLE) & WS_HSCROLL);
    // Quick Sight: left fan speed, right memory clock.
    EXPECT_EQ(dlg->QuickSight().LeftSource(), 2);
    EXPECT_TRUE(Checked(P::QuickSight, IDC_QS_LEFT_FAN_SPEED));
    EXPECT_TRUE(Checked(P::QuickSight, IDC_QS_RIGHT_MEMORY_CLOCK));
    EXPECT_EQ(dlg->QuickSight().RightSource(), 1);
    // UI: folder, skin entry, hotkey, and the preview of the skin in use at its own size.
    EXPECT_EQ(Text(P::Ui, IDC_UI_FOLDER), L"C:\\shots");
    EXPECT_EQ(dlg->Ui().ChosenSkin(), L"Norvane");
    EXPECT_EQ(SendMessageW(PageItem(P::Ui, IDC_UI_HOTKEY), HKM_GETHOTKEY, 0, 0), MAKEWORD(122, 3));
    EXPECT_EQ(dlg->Ui().PreviewSize().cx, 344);
    EXPECT_EQ(dlg->Ui().PreviewSize().cy, 326);
    // About: the maker's texts from the one string table, and no link opens a placeholder.
    EXPECT_EQ(Text(P::About, IDC_ABOUT_EMAIL).rfind(L"E-mail: ", 0), 0u);
    EXPECT_EQ(Text(P::About, IDC_ABOUT_PHONE).rfind(L"Phone: ", 0), 0u);
    EXPECT_FALSE(CAboutDlg::LinkAddress(IDC_ABOUT_WEBSITE).empty());
    EXPECT_FALSE(IsWebAddress(CAboutDlg::LinkAddress(IDC_ABOUT_WEBSITE)));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(SettingsWindow, EachTabShowsItsOwnPage) {
    WriteConfig(kConfig);
    Open();
    HWND tab = GetDlgItem(dlg->Hwnd(), IDC_SETTINGS_TAB);
    ASSERT_EQ(TabCtrl_GetItemCount(tab), 7);
    const SettingsPage byTab[] = {
        SettingsPage::General,    SettingsPage::Fan, SettingsPage::Bios, SettingsPage::Monitoring,
        SettingsPage::QuickSight, SettingsPage::Ui,  SettingsPage::About};
    for (int t = 0; t < 7; ++t) {
        dlg->SelectTab(t);
        Pump(dlg->Hwnd());
        for (int p = 0; p < 7; ++p) {
            const auto page = static_cast<SettingsPage>(p);
            ASSERT_TRUE(dlg->PageWindow(page));
            const bool shown = GetWindowLongPtrW(dlg->PageWindow(page), GWL_STYLE) & WS_VISIBLE;
            EXPECT_EQ(shown, page == byTab[t]) << "tab " << t << " page " << p;
        }
    }
    // Each page lies inside the tab control, below its tabs.
    RECT tabRect{}, pageRect{};
    GetWindowRect(tab, &tabRect);
    GetWindowRect(dlg->PageWindow(SettingsPage::Monitoring), &pageRect);
    EXPECT_GT(pageRect.left, tabRect.left);
    EXPECT_GT(pageRect.top, tabRect.top + 10);
    EXPECT_LT(pageRect.right, tabRect.right);
    EXPECT_LT(pageRect.bottom, tabRect.bottom);
}

TEST_F(SettingsWindow, CancelAfterEditsLeavesTheFileByteForByte) {
    WriteConfig(kConfig);
    const std::string before = ReadAll(file_);
    Open();
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"5000");
    SetRowChecked(9, true);
    Click(SettingsPage::QuickSight, IDC_QS_LEFT_TDP);
    ChooseSkin(2);
    SetHotkey(VK_F12, HOTKEYF_SHIFT);
    PressCancel();
    EXPECT_EQ(dlg->Result(), IDCANCEL);
    EXPECT_EQ(ReadAll(file_), before);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(SettingsWindow, OkSavesEveryPageAndPushesInItsOrder) {
    WriteConfig(kConfig);
    Open();
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"50");  // below the arrows' range: kept
    SetRowChecked(9, true);
    Click(SettingsPage::QuickSight, IDC_QS_LEFT_TDP);
    Click(SettingsPage::QuickSight, IDC_QS_RIGHT_GPU_VOLTAGE);
    Type(SettingsPage::Ui, IDC_UI_FOLDER, L"C:\\pictures");
    ChooseSkin(2);
    SetHotkey(VK_F12, HOTKEYF_SHIFT);
    PressOk();
    EXPECT_EQ(dlg->Result(), IDOK);
    EXPECT_FALSE(dlg->Hwnd());

    const std::vector<std::string> order = {"fan",          "gauges 4 5",      "folder",
                                            "hotkey 123 1", "skin Talwyn.dll", "monitor"};
    EXPECT_EQ(host.calls, order);
    // The fan state is applied after the General page is saved, the gauges switch before their
    // choice is written, and the skin switches before the UI section is saved.
    EXPECT_TRUE(Contains(host.FileAt("gauges 4 5"), "<Left>2</Left>"));
    EXPECT_TRUE(Contains(host.FileAt("skin Talwyn.dll"), "<UiName>Norvane</UiName>"));
    EXPECT_TRUE(Contains(host.FileAt("skin Talwyn.dll"), "<Left>4</Left>"));
    // The monitoring window is asked for after its section is on disk.
    EXPECT_TRUE(Contains(host.FileAt("monitor"), "<RefreshRate>50</RefreshRate>"));
    EXPECT_EQ(host.folder, L"C:\\pictures");

    const std::string saved = ReadAll(file_);
    for (const char* part :
         {"<RefreshRate>50</RefreshRate>", "<blLogToFile>1</blLogToFile>",
          "<ShaderClock Max=\"4000\" Min=\"0\">1</ShaderClock>",
          "<GPUClock Max=\"2000\" Min=\"100\">1</GPUClock>", "<Left>4</Left>", "<Right>5</Right>",
          "<SaveToFilePath>C:\\pictures</SaveToFilePath>", "<UiName>Talwyn</UiName>",
          "VirtualKeyCode=\"123\"", "Modifiers=\"1\"", "<Unknown keep=\"me\"/>"}) {
        EXPECT_TRUE(Contains(saved, part)) << part << "\n" << saved;
    }
}

TEST_F(SettingsWindow, OkUncheckedRemovesThisProgramsStartEntryOnly) {
    testing::PrivateCurrentUser user;
    ASSERT_TRUE(user.Ready());
    ASSERT_TRUE(user.CreateRunKey());
    WriteConfig(kConfig);
    const std::wstring self = L"\"" + testing::ProgramPath() + L"\"";
    const std::wstring other = L"\"C:\\Portable\\Velmora\\Velmora.exe\"";
    struct Row {
        const char* name;
        std::wstring value;
        bool shownChecked;
        bool removed;
    };
    const std::vector<Row> rows = {
        {"another copy's entry, shown unchecked", other, false, false},
        {"this program's entry, unchecked by the user", self, true, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        user.SetText(kRunValueName, r.value);
        Open();
        ASSERT_EQ(Checked(SettingsPage::General, IDC_GENERAL_START_WITH_WINDOWS), r.shownChecked);
        if (r.shownChecked) Click(SettingsPage::General, IDC_GENERAL_START_WITH_WINDOWS);
        ASSERT_FALSE(Checked(SettingsPage::General, IDC_GENERAL_START_WITH_WINDOWS));
        PressOk();
        EXPECT_EQ(dlg->Result(), IDOK);
        EXPECT_EQ(user.Text(kRunValueName), r.removed ? L"<missing>" : r.value);
    }
}

// A file dialog may leave the current directory anywhere (the folder a log was saved in): the
// pages still read and write the program's own file and skin packs, and nothing lands there.
TEST_F(SettingsWindow, TheProgramsFilesWhereverTheCurrentDirectoryIs) {
    WriteConfig(kConfig);
    const fs::path browsed = fs::temp_directory_path() / "velmora_settings_browsed_folder";
    fs::remove_all(browsed);
    fs::create_directories(browsed);
    const std::string decoy =
        std::string(kConfig).replace(std::string(kConfig).find("<RefreshRate>750</RefreshRate>"),
                                     30, "<RefreshRate>333</RefreshRate>");
    std::ofstream(browsed / "Velmora.xml", std::ios::binary) << decoy;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(browsed.wstring().c_str()));

    Open();
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_PERIOD), L"750");
    dlg->SelectTab(5);
    ChooseSkin(2);
    const LONG previewWidth = dlg->Ui().PreviewSize().cx;
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"2500");
    PressOk();
    SetCurrentDirectoryW(previous);

    EXPECT_EQ(previewWidth, 344) << "the preview comes from the program's skin pack";
    EXPECT_TRUE(Contains(ReadAll(file_), "<RefreshRate>2500</RefreshRate>"));
    EXPECT_EQ(ReadAll(browsed / "Velmora.xml"), decoy);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(browsed)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
    fs::remove_all(browsed);
}

TEST_F(SettingsWindow, WithoutAFileOkWritesNothingButTheGaugesStillSwitch) {
    Open();
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_PERIOD), L"100");
    EXPECT_EQ(dlg->QuickSight().LeftSource(), 0);
    EXPECT_FALSE(Checked(SettingsPage::QuickSight, IDC_QS_LEFT_GPU_CLOCK));
    Click(SettingsPage::QuickSight, IDC_QS_RIGHT_GPU_LOAD);
    ChooseSkin(2);
    PressOk();
    EXPECT_FALSE(fs::exists(file_));
    // Folder, hotkey and skin are not applied without the file.
    const std::vector<std::string> order = {"fan", "gauges 0 3", "monitor"};
    EXPECT_EQ(host.calls, order);
}

TEST_F(SettingsWindow, TheSameSkinAgainSwitchesNothingAndAClearedHotkeyIsRemoved) {
    WriteConfig(std::string(kConfig).replace(std::string(kConfig).find("<UiName>Norvane</UiName>"),
                                             24, ""));
    host.pack = L"Z:\\somewhere\\Ostrid.dll";
    Open();
    EXPECT_EQ(dlg->Ui().ChosenSkin(), L"Ostrid");  // no "UiName": the first entry
    SetHotkey(0, 0);
    PressOk();
    const std::vector<std::string> order = {"fan", "gauges 2 1", "folder", "hotkey 0 0", "monitor"};
    EXPECT_EQ(host.calls, order);
    const std::string saved = ReadAll(file_);
    EXPECT_TRUE(Contains(saved, "VirtualKeyCode=\"0\" Modifiers=\"0\"")) << saved;
    // The missing element is made, as the section's last child.
    EXPECT_TRUE(Contains(saved, "<UiName>Ostrid</UiName>\n\t</UIDlg>") ||
                Contains(saved, "<UiName>Ostrid</UiName></UIDlg>") ||
                Contains(saved, "<UiName>Ostrid</UiName>\r\n\t</UIDlg>"))
        << saved;
}

TEST_F(SettingsWindow, ChoosingASkinShowsItsPreview) {
    WriteConfig(kConfig);
    Open();
    dlg->SelectTab(5);
    ChooseSkin(2);
    EXPECT_EQ(dlg->Ui().PreviewSize().cx, 344);
    // The preview is drawn at its own size inside its place on the page.
    const RECT r = dlg->Ui().PreviewRect();
    EXPECT_GE(r.right - r.left, 344);
    EXPECT_GE(r.bottom - r.top, 326);
    RECT client{};
    GetClientRect(dlg->PageWindow(SettingsPage::Ui), &client);
    EXPECT_LE(r.right, client.right);
    EXPECT_LE(r.bottom, client.bottom);
}

TEST_F(SettingsWindow, FewerThanFourGraphsAreToppedUpWithAMessage) {
    WriteConfig(kConfig);
    Open();
    dlg->SelectTab(3);
    Pump(dlg->Hwnd());
    EXPECT_TRUE(boxes.texts.empty());
    // Unchecking memory clock, one of exactly four: the first unchecked row in sensor order
    // comes back checked, which is memory clock itself here ...
    SelectRow(1);
    SetRowChecked(1, false);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], L"Please select at least four");
    EXPECT_TRUE(RowChecked(1));
    // ... and after checking GPU usage and unchecking GPU temperature and memory clock, rows
    // 1 and 2 come back while GPU usage stays.
    SetRowChecked(3, true);
    SetRowChecked(2, false);
    EXPECT_EQ(boxes.texts.size(), 1u);  // still four
    SetRowChecked(1, false);
    EXPECT_EQ(boxes.texts.size(), 2u);
    const bool rows[] = {true, true, false, true, false, false, true, false, false, false};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(RowChecked(i), rows[i]) << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ(dlg->Monitoring().Record(i).selected, rows[i]) << i;
}

TEST_F(SettingsWindow, TheLimitFieldsFollowTheSelectedRow) {
    WriteConfig(kConfig);
    Open();
    dlg->SelectTab(3);
    Pump(dlg->Hwnd());
    // Straight after opening, typed bounds belong to the GPU clock, whose bounds are shown.
    Type(SettingsPage::Monitoring, IDC_MON_LIMIT_MAX, L"2600");
    EXPECT_EQ(dlg->Monitoring().Record(kSensorGpuClock).maxText, L"2600");
    // An unchecked row greys the fields out; checking it enables them.
    SelectRow(kSensorShaderClock);
    EXPECT_FALSE(IsWindowEnabled(PageItem(SettingsPage::Monitoring, IDC_MON_LIMIT_MAX)));
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_LIMIT_MAX), L"4000");
    SetRowChecked(kSensorShaderClock, true);
    EXPECT_TRUE(IsWindowEnabled(PageItem(SettingsPage::Monitoring, IDC_MON_LIMIT_MIN)));
    Type(SettingsPage::Monitoring, IDC_MON_LIMIT_MIN, L"12345678901");
    EXPECT_EQ(dlg->Monitoring().Record(kSensorShaderClock).minText.size(), 9u);
    EXPECT_EQ(dlg->Monitoring().Record(kSensorGpuClock).minText, L"100");
    // The log check box switches the path field.
    Click(SettingsPage::Monitoring, IDC_MON_LOG_TO_FILE);
    EXPECT_FALSE(IsWindowEnabled(PageItem(SettingsPage::Monitoring, IDC_MON_LOG_PATH)));
    EXPECT_TRUE(IsWindowEnabled(PageItem(SettingsPage::Monitoring, IDC_MON_LOG_BROWSE)));
}

TEST_F(SettingsWindow, ThePeriodArrowsStepByAHundredWithinTheirRange) {
    WriteConfig(kConfig);
    Open();
    HWND page = dlg->PageWindow(SettingsPage::Monitoring);
    const auto press = [&](int delta) {
        NMUPDOWN n{};
        n.hdr.hwndFrom = PageItem(SettingsPage::Monitoring, IDC_MON_PERIOD_SPIN);
        n.hdr.idFrom = IDC_MON_PERIOD_SPIN;
        n.hdr.code = UDN_DELTAPOS;
        n.iDelta = delta;
        SendMessageW(page, WM_NOTIFY, IDC_MON_PERIOD_SPIN, reinterpret_cast<LPARAM>(&n));
    };
    press(1);
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_PERIOD), L"850");
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"59950");
    press(1);
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_PERIOD), L"60000");
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"150");
    press(-1);
    EXPECT_EQ(Text(SettingsPage::Monitoring, IDC_MON_PERIOD), L"100");
}

// An open monitoring window on the simulated card takes the new graphs at OK.
TEST_F(SettingsWindow, AnOpenMonitoringWindowTakesTheNewGraphs) {
    struct Owner : ToolWindowOwner {
        void DockToolWindow(CToolWindow& w) override { w.PlaceBeside(RECT{0, 0, 475, 440}); }
        void ToolWindowClosed(CToolWindow&) override {}
    } owner;
    sim::Simulator sim;
    std::string error;
    ASSERT_TRUE(sim.LoadScenarioText("load = 40\n", &error)) << error;
    sim::ScopedBinding binding(sim);
    NvidiaGpu gpu;
    gpu.Attach(nvapi::ResolveNvapiEntries(&sim::QueryInterface));
    ASSERT_TRUE(gpu.Initialize());
    WriteConfig(kConfig);
    CMonitorDlg monitor(L"Norvane.dll", nullptr, owner, gpu,
                        GraphColors{0xFE049BF2, 0xFE9CE1FC, 0xFE009CFF});
    ASSERT_TRUE(monitor.CreateModeless());
    EXPECT_EQ(monitor.Slot(1).sensor, kSensorMemoryClock);
    host.monitor = &monitor;
    Open();
    // The fifth first: with four checked, unchecking one would bring it back at once.
    SetRowChecked(kSensorShaderClock, true);
    SetRowChecked(kSensorMemoryClock, false);
    SelectRow(kSensorShaderClock);
    Type(SettingsPage::Monitoring, IDC_MON_LIMIT_MAX, L"3000");
    Type(SettingsPage::Monitoring, IDC_MON_PERIOD, L"400");
    PressOk();
    EXPECT_EQ(monitor.Slot(0).sensor, kSensorGpuClock);
    EXPECT_EQ(monitor.Slot(1).sensor, kSensorGpuTemperature);
    EXPECT_EQ(monitor.Slot(2).sensor, kSensorFanSpeed);
    EXPECT_EQ(monitor.Slot(3).sensor, kSensorShaderClock);
    EXPECT_EQ(monitor.Slot(3).scaleMax, 3000);
    EXPECT_EQ(monitor.PeriodMs(), 400);
    host.monitor = nullptr;
}

}  // namespace
}  // namespace velmora
