#include "settings/MonitoringPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "settings_ids.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

constexpr UINT kMsgListCheck = WM_APP + 1;
constexpr wchar_t kAppName[] = L"Velmora";
constexpr wchar_t kFewerThanFour[] = L"Please select at least four";
constexpr wchar_t kDefaultPeriod[] = L"100";
constexpr int32_t kPeriodStep = 100;
constexpr int32_t kPeriodLow = 100;
constexpr int32_t kPeriodHigh = 60000;
constexpr int32_t kLimitStep = 1;
constexpr int32_t kLimitLow = 0;
constexpr int32_t kLimitHigh = 1000000;

}  // namespace

CMonitoringDlg::CMonitoringDlg() : CSettingsPage(IDD_PAGE_MONITORING) {}

void CMonitoringDlg::OnInit() {
    TakeOverCaptions({IDC_MON_CAPTION_PROPERTIES, IDC_MON_CAPTION_HISTORY, IDC_MON_CAPTION_GRAPHS,
                      IDC_MON_CAPTION_LIMITS});
    SetItemText(IDC_MON_PERIOD, kDefaultPeriod);
    const struct {
        int spin, buddy;
        int32_t low, high;
    } spins[] = {{IDC_MON_PERIOD_SPIN, IDC_MON_PERIOD, kPeriodLow, kPeriodHigh},
                 {IDC_MON_LIMIT_MAX_SPIN, IDC_MON_LIMIT_MAX, kLimitLow, kLimitHigh},
                 {IDC_MON_LIMIT_MIN_SPIN, IDC_MON_LIMIT_MIN, kLimitLow, kLimitHigh}};
    for (const auto& s : spins) {
        SendMessageW(Item(s.spin), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(s.buddy)), 0);
        SendMessageW(Item(s.spin), UDM_SETRANGE32, static_cast<WPARAM>(s.low), s.high);
    }
    // What is shown is what the file will hold.
    SendMessageW(Item(IDC_MON_LIMIT_MAX), EM_SETLIMITTEXT, kLimitTextMaxChars, 0);
    SendMessageW(Item(IDC_MON_LIMIT_MIN), EM_SETLIMITTEXT, kLimitTextMaxChars, 0);

    HWND list = Item(IDC_MON_GRAPH_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Graph");
    column.cx = 350;
    ListView_InsertColumn(list, 0, &column);
    for (int i = 0; i < kMonitorSensorCount; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(kGraphRowTexts[i]);
        ListView_InsertItem(list, &item);
    }
    // The one column spans the list: a wider one would only add a horizontal scroll bar.
    ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);

    LoadSection();
    EnableLogPath();
    // The limit fields show the GPU clock's bounds; with its row selected, what is typed there
    // lands in its record, and the fields follow that row's check box.
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnableLimits(ListView_GetCheckState(list, 0) != FALSE);
    quiet_ = false;
}

void CMonitoringDlg::LoadSection() {
    ConfigFile file;
    if (!file.Open()) return;
    std::wstring text;
    if (file.ReadText(kPathRefreshRate, text)) SetItemText(IDC_MON_PERIOD, text);
    SetChecked(IDC_MON_LOG_TO_FILE,
               file.ReadText(kPathBlLogToFile, text) && ParseConfigIntFlag(text));
    if (file.ReadText(kPathLogToFilePath, text)) SetItemText(IDC_MON_LOG_PATH, text);
    HWND list = Item(IDC_MON_GRAPH_LIST);
    for (int i = 0; i < kMonitorSensorCount; ++i) {
        auto& record = records_[static_cast<size_t>(i)];
        if (file.ReadText(kPathSensors[i], text) && ParseConfigIntFlag(text)) {
            ListView_SetCheckState(list, i, TRUE);
            record.selected = true;
        }
        if (file.ReadAttribute(kPathSensors[i], kAttrMax, text)) record.maxText = LimitText(text);
        if (file.ReadAttribute(kPathSensors[i], kAttrMin, text)) record.minText = LimitText(text);
        if (i == kSensorGpuClock) ShowLimits(i);
    }
}

void CMonitoringDlg::SaveMonitoringPage() {
    ConfigFile file;
    if (!file.Open()) return;
    file.WriteText(kPathRefreshRate, ItemText(IDC_MON_PERIOD));
    file.WriteText(kPathBlLogToFile, FormatConfigFlag(IsChecked(IDC_MON_LOG_TO_FILE)));
    file.WriteText(kPathLogToFilePath, ItemText(IDC_MON_LOG_PATH));
    for (int i = 0; i < kMonitorSensorCount; ++i) {
        const auto& record = records_[static_cast<size_t>(i)];
        file.WriteText(kPathSensors[i], FormatConfigInt(record.selected ? 1 : 0));
        file.WriteAttribute(kPathSensors[i], kAttrMax, record.maxText);
        file.WriteAttribute(kPathSensors[i], kAttrMin, record.minText);
    }
    file.Save();
}

MonitoringSettings CMonitoringDlg::Settings() const {
    MonitoringSettings settings;
    settings.periodText = ItemText(IDC_MON_PERIOD);
    settings.logEnabled = IsChecked(IDC_MON_LOG_TO_FILE);
    settings.logPath = ItemText(IDC_MON_LOG_PATH);
    for (size_t i = 0; i < records_.size(); ++i) settings.sensors[i] = records_[i];
    return settings;
}

int CMonitoringDlg::SelectedRow() const {
    return ListView_GetNextItem(Item(IDC_MON_GRAPH_LIST), -1, LVNI_SELECTED);
}

void CMonitoringDlg::EnableLimits(bool enable) const {
    for (int id :
         {IDC_MON_LIMIT_MAX, IDC_MON_LIMIT_MAX_SPIN, IDC_MON_LIMIT_MIN, IDC_MON_LIMIT_MIN_SPIN}) {
        EnableWindow(Item(id), enable ? TRUE : FALSE);
    }
}

void CMonitoringDlg::ShowLimits(int sensor) {
    const bool wasQuiet = quiet_;
    quiet_ = true;
    SetItemText(IDC_MON_LIMIT_MAX, records_[static_cast<size_t>(sensor)].maxText);
    SetItemText(IDC_MON_LIMIT_MIN, records_[static_cast<size_t>(sensor)].minText);
    quiet_ = wasQuiet;
}

void CMonitoringDlg::EnableLogPath() const {
    EnableWindow(Item(IDC_MON_LOG_PATH), IsChecked(IDC_MON_LOG_TO_FILE) ? TRUE : FALSE);
}

void CMonitoringDlg::PostListCheck() {
    if (quiet_ || checkPosted_) return;
    checkPosted_ = true;
    PostMessageW(Hwnd(), kMsgListCheck, 0, 0);
}

void CMonitoringDlg::RunListCheck() {
    checkPosted_ = false;
    const int row = SelectedRow();
    if (row < 0) return;
    HWND list = Item(IDC_MON_GRAPH_LIST);
    GraphChecks checks{};
    for (int i = 0; i < kMonitorSensorCount; ++i) {
        checks[static_cast<size_t>(i)] = ListView_GetCheckState(list, i) != FALSE;
        records_[static_cast<size_t>(i)].selected = checks[static_cast<size_t>(i)];
    }
    GraphChecks toppedUp = checks;
    if (TopUpToMinimumGraphs(toppedUp)) {
        MessageBoxW(Hwnd(), kFewerThanFour, kAppName, MB_OK);
        quiet_ = true;
        for (int i = 0; i < kMonitorSensorCount; ++i) {
            if (toppedUp[static_cast<size_t>(i)] == checks[static_cast<size_t>(i)]) continue;
            ListView_SetCheckState(list, i, TRUE);
            records_[static_cast<size_t>(i)].selected = true;
        }
        quiet_ = false;
    }
    // After the top-up: the selected row may be one of those just checked.
    EnableLimits(ListView_GetCheckState(list, row) != FALSE);
    ShowLimits(row);
}

void CMonitoringDlg::Step(int field, int delta, int32_t step, int32_t low, int32_t high) {
    int64_t value = static_cast<int64_t>(ParseConfigInt(ItemText(field))) + int64_t{delta} * step;
    if (value < low) value = low;
    if (value > high) value = high;
    SetItemText(field, FormatConfigInt(static_cast<int32_t>(value)));
}

void CMonitoringDlg::BrowseLogFile() {
    wchar_t file[MAX_PATH] = L"Velmora.txt";
    // The suggested name lies beside the program, wherever the current directory is.
    const std::wstring folder = ProgramFilesFolder();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Hwnd();
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrFilter = L"txt\0*.txt\0All fils\0*.*\0\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    // The dialog would leave the current directory where the log was saved.
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    const KeepCurrentFolder keep;
    if (GetSaveFileNameW(&ofn)) SetItemText(IDC_MON_LOG_PATH, file);
}

bool CMonitoringDlg::OnCommand(WORD id, WORD code, HWND) {
    switch (id) {
        case IDC_MON_LOG_TO_FILE:
            if (code == BN_CLICKED) EnableLogPath();
            return true;
        case IDC_MON_LOG_BROWSE:
            if (code == BN_CLICKED) BrowseLogFile();
            return true;
        case IDC_MON_LIMIT_MAX:
        case IDC_MON_LIMIT_MIN: {
            if (code != EN_CHANGE || quiet_) return true;
            const int row = SelectedRow();
            if (row < 0) return true;
            auto& record = records_[static_cast<size_t>(row)];
            (id == IDC_MON_LIMIT_MAX ? record.maxText : record.minText) = LimitText(ItemText(id));
            return true;
        }
        default:
            return false;
    }
}

bool CMonitoringDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    result = 0;
    if (header.idFrom == IDC_MON_GRAPH_LIST) {
        if (header.code == NM_CLICK || header.code == LVN_ITEMCHANGED) PostListCheck();
        return false;
    }
    if (header.code != UDN_DELTAPOS) return false;
    const int delta = reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0 ? 1 : -1;
    switch (header.idFrom) {
        case IDC_MON_PERIOD_SPIN:
            Step(IDC_MON_PERIOD, delta, kPeriodStep, kPeriodLow, kPeriodHigh);
            break;
        case IDC_MON_LIMIT_MAX_SPIN:
            Step(IDC_MON_LIMIT_MAX, delta, kLimitStep, kLimitLow, kLimitHigh);
            break;
        case IDC_MON_LIMIT_MIN_SPIN:
            Step(IDC_MON_LIMIT_MIN, delta, kLimitStep, kLimitLow, kLimitHigh);
            break;
        default:
            return false;
    }
    // The field is stepped here; the arrows keep no position of their own.
    result = TRUE;
    return true;
}

bool CMonitoringDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == kMsgListCheck) {
        RunListCheck();
        return true;
    }
    // Showing the page counts as a click on the list, so a table with fewer than four graphs
    // is corrected when the user first sees it.
    if (msg == WM_SHOWWINDOW && wParam) PostListCheck();
    return false;
}

}  // namespace velmora
