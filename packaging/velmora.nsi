; Velmora's per-user installer. Built by packaging/make-packages.sh, which passes:
;   VERSION (x.y.z), SRC (the folder with the shipped files), ICON, WIZARD (the welcome and
;   finish pages' side picture), OUTFILE, SIZE_KB and FILES_NSH (the generated File and Delete
;   lines of the program files).
; The program keeps "Velmora.xml" beside itself and saves it without elevation, so it goes
; where the user can write: no administrator prompt, nothing machine-wide.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "${FILES_NSH}"

!define PRODUCT "Velmora"
!define PUBLISHER "Tessarin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALLER "uninstall.exe"
; The program hands the fan back on its ordinary close; give it time to do so.
!define CLOSE_WAIT_MS 20000
; Only the program's main window carries this window property (src/app/MainWindowMark.h): a
; message box captioned "Velmora" has the main window's class and title too.
!define MAIN_WINDOW_PROPERTY "Velmora.MainWindow"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, the tuning and monitoring tool for your graphics card, for your user account only: no administrator rights are needed.$\r$\n$\r$\nIf ${PRODUCT} is running, setup closes it first, so that it hands the fan back to the driver. Your settings are kept."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running Velmora the way its own Close does (WM_CLOSE to its main window) and waits
; for the process to go, so every fan it holds is handed back before its files change.
; $0 is 1 on return when no Velmora runs any more.
!macro CLOSE_RUNNING_VELMORA un
Function ${un}CloseRunningVelmora
  Push $1
  Push $2
  Push $3
  StrCpy $0 1
  ; Every top-level window of the main window's class and title, in turn, until the one that
  ; carries the property.
  StrCpy $1 0
  ${Do}
    FindWindow $1 "#32770" "${PRODUCT}" "" $1
    ${If} $1 P= 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetPropW(p r1, w "${MAIN_WINDOW_PROPERTY}") p .r2'
    ${If} $2 P<> 0
      ${Break}
    ${EndIf}
  ${Loop}
  ${If} $1 P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2) i'
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
    DetailPrint "Closing the running ${PRODUCT}"
    System::Call 'user32::PostMessageW(p r1, i 0x0010, p 0, p 0) i'
    ${If} $3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i ${CLOSE_WAIT_MS}) i .r2'
      System::Call 'kernel32::CloseHandle(p r3)'
      ; WAIT_OBJECT_0
      ${If} $2 <> 0
        StrCpy $0 0
      ${EndIf}
    ${Else}
      ; No handle to wait on: watch the window instead.
      StrCpy $2 0
      ${Do}
        Sleep 250
        IntOp $2 $2 + 250
        System::Call 'user32::IsWindow(p r1) i .r3'
        ${If} $3 = 0
          ${Break}
        ${EndIf}
        ${If} $2 >= ${CLOSE_WAIT_MS}
          StrCpy $0 0
          ${Break}
        ${EndIf}
      ${Loop}
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_VELMORA ""
!insertmacro CLOSE_RUNNING_VELMORA "un."

Section "Velmora"
  SetShellVarContext current
  Call CloseRunningVelmora
  ${If} $0 <> 1
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is still running. Close it and run the setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  !insertmacro VELMORA_INSTALL_FILES
  ; The user's settings survive an upgrade: the delivered file goes in only where none is.
  SetOverwrite off
  File "${SRC}\Velmora.xml"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningVelmora
  ${If} $0 <> 1
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is still running. Close it and run the uninstaller again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  ; The program's "Start with Windows" entry would point at a file that is gone. Only this
  ; copy's entry (quoted as the program writes it, or bare): a portable copy elsewhere keeps
  ; its own. NSIS compares strings without regard to case, as Windows compares paths.
  ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $1 == '"$INSTDIR\Velmora.exe"'
  ${OrIf} $1 == "$INSTDIR\Velmora.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}

  !insertmacro VELMORA_DELETE_FILES
  ; The update descriptor the program downloads beside itself.
  Delete "$INSTDIR\VelmoraUpdate.xml"
  ; A silent uninstall keeps the settings, as an upgrade would.
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings (Velmora.xml)?" /SD IDYES IDYES keep_settings
  Delete "$INSTDIR\Velmora.xml"
  keep_settings:
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: logs, screenshots and BIOS backups the user made stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
