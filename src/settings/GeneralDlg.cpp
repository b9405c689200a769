#include "settings/GeneralDlg.h"

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"
#include "settings/Autostart.h"
#include "settings/UpdateCheck.h"
#include "settings/UpdateSchedule.h"
#include "settings_ids.h"

namespace velmora {
namespace {

// The schedule list, by "UpadteCheck" index.
constexpr const wchar_t* kScheduleEntries[kUpdateScheduleCount] = {
    L"never", L"on startup", L"on startup daily", L"on startup weekly", L"on startup monthly"};

}  // namespace

CGeneralDlg::CGeneralDlg(SettingsHost& host) : CSettingsPage(IDD_PAGE_GENERAL), host_(host) {}

bool CGeneralDlg::StartWithWindows() const {
    return Hwnd() && IsChecked(IDC_GENERAL_START_WITH_WINDOWS);
}

void CGeneralDlg::Save() {
    if (!Hwnd()) return;
    ConfigFile cfg;
    if (!cfg.Open()) return;
    cfg.WriteText(kPathStartMinized, FormatConfigFlag(IsChecked(IDC_GENERAL_START_MINIMIZED)));
    // No selection (a stored index outside the list) is stored as -1, which checks never.
    const LRESULT index = SendMessageW(Item(IDC_GENERAL_SCHEDULE), CB_GETCURSEL, 0, 0);
    cfg.WriteInt(kPathUpadteCheck, index == CB_ERR ? -1 : static_cast<int32_t>(index));
    cfg.Save();
}

void CGeneralDlg::OnInit() {
    TakeOverCaptions({IDC_GENERAL_CAPTION_GENERAL, IDC_GENERAL_CAPTION_UPDATE});

    HWND schedule = Item(IDC_GENERAL_SCHEDULE);
    for (const wchar_t* entry : kScheduleEntries) {
        SendMessageW(schedule, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageW(schedule, CB_SETCURSEL, kDefaultUpdateSchedule, 0);

    SetChecked(IDC_GENERAL_START_WITH_WINDOWS, AutostartPointsHere());

    ConfigFile cfg;
    if (!cfg.Open()) return;
    bool startMinimized = false;
    if (cfg.ReadTextFlag(kPathStartMinized, startMinimized)) {
        SetChecked(IDC_GENERAL_START_MINIMIZED, startMinimized);
    }
    int32_t mode = 0;
    if (cfg.ReadInt(kPathUpadteCheck, mode)) {
        // An index outside the list leaves it without a selection (said outright: not every
        // list clears its selection for an index it does not have).
        const bool listed = mode >= 0 && mode < kUpdateScheduleCount;
        SendMessageW(schedule, CB_SETCURSEL, listed ? static_cast<WPARAM>(mode) : WPARAM(-1), 0);
    }
}

bool CGeneralDlg::OnCommand(WORD id, WORD code, HWND /*control*/) {
    if (id != IDC_GENERAL_CHECK_NOW || code != BN_CLICKED) return false;
    CheckNow();
    return true;
}

bool CGeneralDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
    if (msg == kCheckDownloadedMessage) {
        CheckDownloaded(wParam != 0);
        return true;
    }
    if (msg == WM_SETCURSOR && Checking()) {
        // Working, and still taking clicks.
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, TRUE);
        return true;
    }
    return false;
}

void CGeneralDlg::ShowChecking(bool checking) {
    HWND button = Item(IDC_GENERAL_CHECK_NOW);
    const bool hadFocus = GetFocus() == button;
    EnableWindow(button, checking ? FALSE : TRUE);
    if (checking && hadFocus) SetFocus(Hwnd());
    // The pointer is on the button just clicked; it shows the change without a move.
    SetCursor(LoadCursorW(nullptr, checking ? IDC_APPSTARTING : IDC_ARROW));
}

void CGeneralDlg::CheckNow() {
    if (Checking()) return;
    // The download runs elsewhere: this thread goes on with the windows and the fan curve.
    if (!download_.Start(Hwnd(), kCheckDownloadedMessage, UpdateFolder())) {
        MessageBoxW(Hwnd(), kCheckFailedText, kUpdateMessageCaption, MB_OK);
        return;
    }
    ShowChecking(true);
}

void CGeneralDlg::CheckDownloaded(bool downloaded) {
    if (!Checking()) return;
    download_.Finished();
    ShowChecking(false);
    if (!FinishManualUpdateCheck(Hwnd(), downloaded, UpdateFolder())) return;
    // The settings window ends first, so the main window's ordinary close (fans handed back)
    // runs after its loop rather than under an open settings window.
    PostMessageW(GetAncestor(Hwnd(), GA_ROOT), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    host_.RequestExit();
}

}  // namespace velmora
