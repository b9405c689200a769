// The "BIOS" page of the settings window: the card's video BIOS backed up to a file, and a
// BIOS file written to the card, both by NVIDIA's flashing tool beside the program. Writing
// asks first, naming the file; during a run the settings window keeps painting but takes no
// input until the tool has ended.
#pragma once

#include <windows.h>

#include <string>

#include "settings/SettingsPage.h"

namespace velmora {

class CBiosDlg : public CSettingsPage {
  public:
    static constexpr int kIdCaption = 1008;
    static constexpr int kIdBackup = 1026;
    static constexpr int kIdFlash = 1011;

    CBiosDlg();

    // The file dialogs, replaceable so that tests need no modal dialog: true with the chosen
    // full path, false when cancelled. save: the backup's dialog (initial name "NvBIOS.rom").
    using ChooseFileFn = bool (*)(HWND owner, bool save, std::wstring& path);
    void SetFileChooser(ChooseFileFn fn) { chooser_ = fn; }
    // The question before a flash; replaceable likewise. True: go on.
    using ConfirmFn = bool (*)(HWND owner, const std::wstring& path);
    void SetFlashConfirmation(ConfirmFn fn) { confirm_ = fn; }
    // What the user is told when a backup would replace one of the program's files (the tool
    // writes it into the program's folder); replaceable likewise.
    using RefusalFn = void (*)(HWND owner, const std::wstring& fileName);
    void SetBackupRefusal(RefusalFn fn) { refuse_ = fn; }

    void Backup();
    void Flash();

  protected:
    void OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

  private:
    // Runs the tool with `parameters`, the page disabled meanwhile; false when it did not start.
    bool RunTool(const std::wstring& parameters);

    ChooseFileFn chooser_;
    ConfirmFn confirm_;
    RefusalFn refuse_;
};

// The system's file dialogs with the page's filter.
bool ChooseBiosFile(HWND owner, bool save, std::wstring& path);
// "Write ... to the card?" with No as the default answer.
bool ConfirmBiosFlash(HWND owner, const std::wstring& path);
// "... is a file of the program" with an OK button.
void RefuseBiosBackupName(HWND owner, const std::wstring& fileName);

}  // namespace velmora
