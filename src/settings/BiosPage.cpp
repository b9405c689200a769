#include "settings/BiosPage.h"

#include <commdlg.h>

#include "settings/BiosTool.h"
#include "settings/NvflashCommand.h"
#include "settings_ids.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// "BIOS Files |*.rom|All Files (*.*)|*.*||" in the dialog's own form.
constexpr wchar_t kFilter[] = L"BIOS Files \0*.rom\0All Files (*.*)\0*.*\0";
constexpr wchar_t kBackupName[] = L"NvBIOS.rom";

}  // namespace

bool ChooseBiosFile(HWND owner, bool save, std::wstring& path) {
    wchar_t file[MAX_PATH] = {};
    if (save) wcscpy_s(file, kBackupName);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"rom";
    ofn.Flags =
        OFN_EXPLORER | OFN_NOCHANGEDIR |
        (save ? OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const KeepCurrentFolder keep;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return false;
    path = file;
    return true;
}

bool ConfirmBiosFlash(HWND owner, const std::wstring& path) {
    // Writing a BIOS is the one step that can leave a card unusable: asked every time, with
    // the file named and No as the answer a stray Enter gives.
    const std::wstring text = L"Write the BIOS file\n" + path +
                              L"\nto the graphics card?\n\nDo not switch the computer off until "
                              L"the tool has finished.";
    return MessageBoxW(owner, text.c_str(), L"Save file to BIOS",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void RefuseBiosBackupName(HWND owner, const std::wstring& fileName) {
    const std::wstring text = L"\"" + fileName +
                              L"\" is a file of the program and cannot hold the backup.\n"
                              L"Please choose another file name.";
    MessageBoxW(owner, text.c_str(), L"Save BIOS to file", MB_OK | MB_ICONWARNING);
}

CBiosDlg::CBiosDlg()
    : CSettingsPage(IDD_PAGE_BIOS),
      chooser_(ChooseBiosFile),
      confirm_(ConfirmBiosFlash),
      refuse_(RefuseBiosBackupName) {}

void CBiosDlg::OnInit() {
    TakeOverCaptions({kIdCaption});
}

bool CBiosDlg::RunTool(const std::wstring& parameters) {
    EnableWindow(Hwnd(), FALSE);
    // The whole settings window waits with the page, painting all the while.
    const bool started = RunNvflashAndWait(parameters, GetAncestor(Hwnd(), GA_ROOT));
    EnableWindow(Hwnd(), TRUE);
    return started;
}

void CBiosDlg::Backup() {
    std::wstring path;
    if (!chooser_(Hwnd(), true, path)) return;
    const std::wstring name(FileNameOf(path));
    if (name.empty()) return;
    // The tool writes the backup into the program's folder, so a name there that reaches one
    // of the program's files (a short form such as "VELMOR~1.XML" too) would replace it.
    const std::wstring written = ProgramFilePath(name);
    if (!BackupNameAllowed(name) || !BackupNameAllowed(LongFileNameOf(written))) {
        refuse_(Hwnd(), name);
        return;
    }
    // It then goes where the user chose.
    if (!RunTool(BackupParameters(name))) return;
    if (CompareStringOrdinal(written.c_str(), -1, path.c_str(), -1, TRUE) != CSTR_EQUAL) {
        CopyFileW(written.c_str(), path.c_str(), FALSE);
    }
}

void CBiosDlg::Flash() {
    std::wstring path;
    if (!chooser_(Hwnd(), false, path)) return;
    if (!confirm_(Hwnd(), path)) return;
    RunTool(FlashParameters(path));
}

bool CBiosDlg::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == kIdBackup) {
        Backup();
        return true;
    }
    if (id == kIdFlash) {
        Flash();
        return true;
    }
    return false;
}

}  // namespace velmora
