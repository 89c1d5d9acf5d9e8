; Quillet's installer: per user, no elevation, upgrades in place and removes
; itself cleanly. scripts/package.py builds it with the defines
;   VERSION     the version, "2024.0"
;   VERSION4    the same in four parts, "2024.0.0.0"
;   COPYRIGHT   the licence's copyright line
;   FILES       an include with the macros QuilletInstallFiles and QuilletRemoveFiles
;               (the zip's files)
;   TEXTS       our own texts in every language, from installer/installer_texts.py
;   OUTFILE     the installer's path

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define UNINSTALLER "Uninstall Quillet.exe"
; Quillet's hidden window, which ends Quillet when it gets WM_CLOSE.
!define QUILLET_CLASS "WindowClass_0"
!define QUILLET_TITLE "quillet"
!define WAIT_FOR_EXIT_MS 10000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define STILL_ACTIVE 259
!define HKEY_CURRENT_USER_HANDLE 0x80000001

Name "Quillet"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillet"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quillet ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

Var QuilletWasRunning

; --- pages -------------------------------------------------------------------

; The folder page's Install button stays enabled whatever the folder: a button
; greyed out without a word tells a screen reader's user nothing. Its leave
; function says what is wrong instead.
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartNow
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(StartWithWindows)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION StartWithWindows
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FinishLeave
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: NSIS's default.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Russian"
!include "${TEXTS}"
!include "${FILES}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Quillet"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Brindle"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Quillet ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

; --- shared by the installer and the uninstaller -------------------------------

; The language Quillet itself would speak: the first of Windows' display
; languages that it knows, a regional variant counting as its language and every
; Portuguese as Brazilian; English when none is known.
!macro ChooseLanguageFunction un
Function ${un}ChooseLanguage
  StrCpy $LANGUAGE ${LANG_ENGLISH}
  System::Alloc 2048
  Pop $R0
  ; MUI_LANGUAGE_ID (4): four hex digits each, "0407", one after another.
  System::Call 'kernel32::GetUserPreferredUILanguages(i 4, *i .R1, p R0, *i 1024) i .R2'
  ${If} $R2 == "error"
  ${OrIf} $R2 = 0
    ; Windows XP has only the one language.
    System::Call 'kernel32::GetUserDefaultUILanguage() i .R3'
    IntFmt $R3 "%04x" $R3
    System::Call '*$R0(&w5 R3)'
    StrCpy $R1 1
  ${EndIf}
  StrCpy $R2 0
  ${DoWhile} $R2 < $R1
    IntOp $R3 $R2 * 10
    IntOp $R3 $R0 + $R3
    System::Call '*$R3(&w5 .R4)'
    IntOp $R4 0x$R4 & 0x3FF
    IntOp $R2 $R2 + 1
    StrCpy $R5 ""
    ${If} $R4 = 0x09
      StrCpy $R5 ${LANG_ENGLISH}
    ${ElseIf} $R4 = 0x07
      StrCpy $R5 ${LANG_GERMAN}
    ${ElseIf} $R4 = 0x0A
      StrCpy $R5 ${LANG_SPANISH}
    ${ElseIf} $R4 = 0x0C
      StrCpy $R5 ${LANG_FRENCH}
    ${ElseIf} $R4 = 0x10
      StrCpy $R5 ${LANG_ITALIAN}
    ${ElseIf} $R4 = 0x16
      StrCpy $R5 ${LANG_PORTUGUESEBR}
    ${ElseIf} $R4 = 0x19
      StrCpy $R5 ${LANG_RUSSIAN}
    ${EndIf}
    ${If} $R5 != ""
      StrCpy $LANGUAGE $R5
      ${ExitDo}
    ${EndIf}
  ${Loop}
  System::Free $R0
FunctionEnd
!macroend
!insertmacro ChooseLanguageFunction ""
!insertmacro ChooseLanguageFunction "un."

; Ends a Quillet that runs from $INSTDIR, as its own menu's Exit would, and
; waits for it; one that stays is reported with Retry and Cancel, and Cancel
; (the answer in silent mode) aborts before anything is changed. Sets
; $QuilletWasRunning to 1 when one ran, ended by us or by the user before Retry.
!macro CloseQuilletFunction un
Function ${un}CloseQuillet
  StrCpy $QuilletWasRunning 0
  look:
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "${QUILLET_CLASS}" "${QUILLET_TITLE}" "" $R0
    ${IfThen} $R0 = 0 ${|} ${ExitDo} ${|}
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i R1) p .R2'
    ${IfThen} $R2 = 0 ${|} ${Continue} ${|}
    StrCpy $R3 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN})'
    ${If} $R3 != "$INSTDIR\Quillet.exe"
      System::Call 'kernel32::CloseHandle(p R2)'
      ${Continue}
    ${EndIf}
    StrCpy $QuilletWasRunning 1
    ; Refused for a Quillet started as administrator: nothing to wait for then.
    System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0) i .R4'
    StrCpy $R5 0
    ${DoWhile} $R4 <> 0
      System::Call 'kernel32::GetExitCodeProcess(p R2, *i .R6)'
      ${IfThen} $R6 <> ${STILL_ACTIVE} ${|} ${ExitDo} ${|}
      ${IfThen} $R5 >= ${WAIT_FOR_EXIT_MS} ${|} ${ExitDo} ${|}
      Sleep 100
      IntOp $R5 $R5 + 100
    ${Loop}
    System::Call 'kernel32::GetExitCodeProcess(p R2, *i .R6)'
    System::Call 'kernel32::CloseHandle(p R2)'
    ${If} $R6 = ${STILL_ACTIVE}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY look
      Abort
    ${EndIf}
    Goto look
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseQuilletFunction ""
!insertmacro CloseQuilletFunction "un."

; $R0 "1" when the Run value starts this folder's Quillet, as Quillet writes it:
; the quoted path, then nothing or a space and parameters.
!macro RunIsOursFunction un
Function ${un}RunIsOurs
  ReadRegStr $R1 HKCU "${RUN_KEY}" "Quillet"
  StrCpy $R2 '"$INSTDIR\Quillet.exe"'
  StrLen $R3 $R2
  StrCpy $R4 $R1 $R3
  StrCpy $R5 $R1 1 $R3
  StrCpy $R0 0
  ${If} $R4 == $R2
    ${If} $R5 == ""
    ${OrIf} $R5 == " "
      StrCpy $R0 1
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RunIsOursFunction ""
!insertmacro RunIsOursFunction "un."

!macro RemoveRunAtLogonFunction un
Function ${un}RemoveRunAtLogon
  Call ${un}RunIsOurs
  ${If} $R0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "Quillet"
    DeleteRegValue HKCU "${APPROVED_KEY}" "Quillet"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RemoveRunAtLogonFunction ""
!insertmacro RemoveRunAtLogonFunction "un."

; --- the installer ---------------------------------------------------------------

Function .onInit
  Call ChooseLanguage
FunctionEnd

; Quillet writes its settings beside itself: a folder the user cannot write is
; refused before anything is copied. Folders made only for the test go again.
Function CheckFolder
  StrCpy $R0 $INSTDIR
  ${DoUntil} ${FileExists} "$R0\*.*"
    ${GetParent} $R0 $R1
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
    StrCpy $R0 $R1
  ${Loop}
  ClearErrors
  CreateDirectory $INSTDIR
  FileOpen $R2 "$INSTDIR\Quillet-write-test.tmp" w
  ${If} ${Errors}
    StrCpy $R3 0
  ${Else}
    FileClose $R2
    Delete "$INSTDIR\Quillet-write-test.tmp"
    StrCpy $R3 1
  ${EndIf}
  StrCpy $R1 $INSTDIR
  ${DoUntil} $R1 == $R0
    RMDir $R1
    ${GetParent} $R1 $R1
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
  ${Loop}
  ${If} $R3 = 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderNotWritable)" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function FolderLeave
  Call CheckFolder
FunctionEnd

Section
  SetShellVarContext current
  ; Silent installs never saw the folder page.
  ${If} ${Silent}
    Call CheckFolder
  ${EndIf}
  Call CloseQuillet
  ; Only our own files: Quillet.json and whatever the user put here stay.
  SetOverwrite on
  !insertmacro QuilletInstallFiles
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\Quillet.lnk" "$INSTDIR\Quillet.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillet"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Brindle"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $QuilletWasRunning = 1
    Exec '"$INSTDIR\Quillet.exe" /silent'
  ${EndIf}
SectionEnd

Function StartNow
  ; A Quillet ended for the upgrade runs again already.
  ${If} $QuilletWasRunning <> 1
    Exec '"$INSTDIR\Quillet.exe"'
  ${EndIf}
FunctionEnd

; The check box shows whether Quillet starts with Windows already.
Function FinishShow
  Call RunIsOurs
  ${If} $R0 = 1
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_CHECKED} 0
  ${EndIf}
FunctionEnd

; The same value as the menu's "Start with Windows"; Task Manager's entry for
; it, when there is one, is set to enabled so that the item shows checked.
Function StartWithWindows
  WriteRegStr HKCU "${RUN_KEY}" "Quillet" '"$INSTDIR\Quillet.exe" /silent'
  System::Call 'advapi32::RegGetValueW(p ${HKEY_CURRENT_USER_HANDLE}, w "${APPROVED_KEY}", w "Quillet", i 0xFFFF, p 0, p 0, p 0) i .R0'
  ${If} $R0 = 0
    WriteRegBin HKCU "${APPROVED_KEY}" "Quillet" 020000000000000000000000
  ${EndIf}
FunctionEnd

Function FinishLeave
  SendMessage $mui.FinishPage.ShowReadme ${BM_GETCHECK} 0 0 $R0
  ${If} $R0 <> ${BST_CHECKED}
    Call RemoveRunAtLogon
  ${EndIf}
FunctionEnd

; --- the uninstaller ---------------------------------------------------------------

Function un.onInit
  Call un.ChooseLanguage
  ; The copy that runs is given the folder with a trailing "\"; paths compare without it.
  StrCpy $R0 $INSTDIR "" -1
  ${If} $R0 == "\"
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
FunctionEnd

Section Uninstall
  SetShellVarContext current
  Call un.CloseQuillet
  !insertmacro QuilletRemoveFiles
  ; The settings, the copy of an unreadable file and an interrupted save's file.
  Delete "$INSTDIR\Quillet.json"
  Delete "$INSTDIR\Quillet.json.bak"
  Delete "$INSTDIR\Quillet.json.tmp"
  Delete "$INSTDIR\Quillet.json.*.tmp"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; A file the user put here keeps the folder.
  RMDir $INSTDIR
  Call un.RemoveRunAtLogon
  ; The shortcut and the Apps entry only when they are this folder's.
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    Delete "$SMPROGRAMS\Quillet.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
