; Quillet's installer: per user, no elevation, upgrades in place and removes
; itself cleanly. scripts/package.py builds it with the defines
;   VERSION     the version, "2024.0"
;   VERSION4    the same in four parts, "2024.0.0.0"
;   COPYRIGHT   the licence's copyright line
;   FILES       an include with the macros QuilletInstallFiles, QuilletRemoveFiles
;               and QuilletWriteFileList, and the function IsShipped (the zip's files)
;   TEXTS       the languages of lang/languages.csv and our own texts in each, with
;               the macro QuilletLanguageOfId, from installer/installer_texts.py
;   OUTFILE     the installer's path

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user
AllowSkipFiles off
; A drive's root is refused by CheckFolder with a word of why, not taken silently
; for the default folder.
AllowRootDirInstall true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define UNINSTALLER "Uninstall Quillet.exe"
; What the last install put in the folder, so that the next one removes what it
; no longer ships.
!define FILE_LIST "Installed files.txt"
; Quillet's hidden window, and the message it answers by ending at once, also
; when it runs as administrator.
!define QUILLET_CLASS "WindowClass_0"
!define QUILLET_TITLE "quillet"
!define EXIT_REQUEST "QuilletExitRequest"
!define WAIT_FOR_EXIT_MS 10000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define SYNCHRONIZE 0x00100000
!define HKEY_CURRENT_USER_HANDLE 0x80000001
!define SETUP_MUTEX "Brindle_QuilletSetup"
!define POLICIES_KEY "Software\Microsoft\Windows\CurrentVersion\Policies\System"
; Exit codes besides 0 (done) and 1 (cancelled): the folder was refused or a Quillet
; did not exit; the installer was run as administrator; a file could not be
; replaced; another installer is running.
!define EXIT_REFUSED 2
!define EXIT_ELEVATED 3
!define EXIT_FILE_FAILED 4
!define EXIT_ALREADY_RUNNING 5

Name "Quillet"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillet"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quillet ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

Var QuilletWasRunning  ; 1 when a Quillet was closed for this run
Var ClosedQuillet      ; the Quillet.exe closed last, started again if the install fails
Var QuilletFolder      ; the folder of the Quillet a message names
Var DeclinedProcess    ; the process of a Quillet the user chose to keep running
Var ExitCode           ; set by the script's own refusals; empty for a file that failed
Var FolderRoot         ; a drive's root, as the user may write it
Var StartsShown        ; 1 when the finish page showed "Start Quillet with Windows" checked

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

; The languages, English first: NSIS's default.
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
    !insertmacro QuilletLanguageOfId
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

; Ends every Quillet of this session that the run concerns, through the message
; Quillet answers at once from inside its menu or a dialog, and waits for its
; process to end. The installer asks before it ends a Quillet that runs from
; another folder, and brings its settings along; the uninstaller leaves such a
; Quillet alone. One that stays is reported with Retry and Cancel, and Cancel (the
; answer in silent mode) aborts. Sets $QuilletWasRunning to 1 when one was ended,
; and $ClosedQuillet to its exe.
!macro CloseQuilletFunction un
Function ${un}CloseQuillet
  StrCpy $QuilletWasRunning 0
  StrCpy $DeclinedProcess ""
  System::Call 'user32::RegisterWindowMessageW(w "${EXIT_REQUEST}") i .r9'
  look:
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${QUILLET_CLASS}" "${QUILLET_TITLE}" "" $0
    ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ${IfThen} $1 == $DeclinedProcess ${|} ${Continue} ${|}
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r1) p .r2'
    ${IfThen} $2 = 0 ${|} ${Continue} ${|}
    StrCpy $3 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
    ${GetParent} $3 $QuilletFolder
    ${If} $QuilletFolder != $INSTDIR
!if "${un}" == ""
      MessageBox MB_YESNO|MB_ICONQUESTION "$(RunningElsewhere)" /SD IDYES IDYES close
      StrCpy $DeclinedProcess $1
!endif
      System::Call 'kernel32::CloseHandle(p r2)'
      ${Continue}
    ${EndIf}
!if "${un}" == ""
    close:
!endif
    System::Call 'user32::PostMessageW(p r0, i r9, p 0, p 0) i .r4'
    StrCpy $5 1
    ${If} $4 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${WAIT_FOR_EXIT_MS}) i .r5'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $5 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY look
      StrCpy $ExitCode ${EXIT_REFUSED}
      SetErrorLevel ${EXIT_REFUSED}
      Abort
    ${EndIf}
    StrCpy $QuilletWasRunning 1
    StrCpy $ClosedQuillet $3
!if "${un}" == ""
    ${If} $QuilletFolder != $INSTDIR
      Call TakeOverFrom
    ${EndIf}
!endif
    Goto look
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseQuilletFunction ""
!insertmacro CloseQuilletFunction "un."

; $R0 "1" when the Run value starts the Quillet.exe in the folder $R9, as Quillet
; writes it: the quoted path, then nothing or a space and parameters.
!macro RunStartsFunction un
Function ${un}RunStarts
  ReadRegStr $R1 HKCU "${RUN_KEY}" "Quillet"
  StrCpy $R2 '"$R9\Quillet.exe"'
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

Function ${un}RunIsOurs
  StrCpy $R9 $INSTDIR
  Call ${un}RunStarts
FunctionEnd
!macroend
!insertmacro RunStartsFunction ""
!insertmacro RunStartsFunction "un."

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

; $R0 1 when the token was elevated through the administrator prompt: a full token
; while the prompt is on. An account with the prompt off runs with its one token and
; is not refused. Wine reports every token full and says the prompt is off.
Function ElevatedThroughPrompt
  StrCpy $R0 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .R1) i .R2'
  ${IfThen} $R2 = 0 ${|} Return ${|}
  ; TokenElevationType (18): 2 is TokenElevationTypeFull.
  System::Call 'advapi32::GetTokenInformation(p R1, i 18, *i .R3, i 4, *i .R4) i .R2'
  System::Call 'kernel32::CloseHandle(p R1)'
  ${IfThen} $R2 = 0 ${|} Return ${|}
  ClearErrors
  ReadRegDWORD $R4 HKLM "${POLICIES_KEY}" "EnableLUA"
  ${If} $R3 = 2
    ${If} ${Errors}
    ${OrIf} $R4 <> 0
      StrCpy $R0 1
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  Call ChooseLanguage
  ; Two installers at once would race for the same files.
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .R0 ?e'
  Pop $R1
  ${If} $R1 = 183
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(SetupRunning)" /SD IDOK
    SetErrorLevel ${EXIT_ALREADY_RUNNING}
    Quit
  ${EndIf}
  ; Elevated, it would install into the administrator's profile or start Quillet
  ; elevated, and the next normal upgrade could not close it.
  Call ElevatedThroughPrompt
  ${If} $R0 = 1
    MessageBox MB_OK|MB_ICONSTOP "$(RunElevated)" /SD IDOK
    SetErrorLevel ${EXIT_ELEVATED}
    Quit
  ${EndIf}
  ; NSIS itself takes a share's root given with /D= for the default folder, so the
  ; folder asked for is read from the command line as the process got it.
  ${If} ${Silent}
    System::Call 'kernel32::GetCommandLineW() w .R1'
    StrLen $R2 $R1
    StrCpy $R3 0
    ${DoWhile} $R3 < $R2
      StrCpy $R4 $R1 4 $R3
      ${If} $R4 == " /D="
        IntOp $R3 $R3 + 4
        StrCpy $R5 $INSTDIR
        StrCpy $INSTDIR $R1 "" $R3
        Call IsRoot
        StrCpy $INSTDIR $R5
        ${If} $R0 = 1
          SetErrorLevel ${EXIT_REFUSED}
          Quit
        ${EndIf}
        ${ExitDo}
      ${EndIf}
      IntOp $R3 $R3 + 1
    ${Loop}
  ${EndIf}
FunctionEnd

; $R0 1 when $INSTDIR is a drive's root or a share's ("E:\", "\\server\share").
; $FolderRoot is it without a trailing "\".
Function IsRoot
  StrCpy $FolderRoot $INSTDIR
  StrCpy $R1 $FolderRoot 1 -1
  ${IfThen} $R1 == "\" ${|} StrCpy $FolderRoot $FolderRoot -1 ${|}
  StrCpy $R0 0
  StrLen $R2 $FolderRoot
  StrCpy $R1 $FolderRoot 2
  ${If} $R2 <= 2
    StrCpy $R0 1
  ${ElseIf} $R1 == "\\"
    ; \\server\share holds one "\" after the server's name.
    StrCpy $R3 0
    StrCpy $R4 2
    ${DoWhile} $R4 < $R2
      StrCpy $R1 $FolderRoot 1 $R4
      ${IfThen} $R1 == "\" ${|} IntOp $R3 $R3 + 1 ${|}
      IntOp $R4 $R4 + 1
    ${Loop}
    ${IfThen} $R3 <= 1 ${|} StrCpy $R0 1 ${|}
  ${EndIf}
FunctionEnd

; Outside the user's profile a folder inherits what its drive allows, often that
; every account may change it, and then Quillet.exe or a library beside it. The
; folder is given to the user alone (with the system and administrators).
Function KeepFolderToUser
  StrLen $R1 "$PROFILE\"
  StrCpy $R2 $INSTDIR $R1
  ${IfThen} $R2 == "$PROFILE\" ${|} Return ${|}
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .R1) i .R2'
  ${IfThen} $R2 = 0 ${|} Return ${|}
  System::Alloc 256
  Pop $R3
  ; TokenUser (1): the record starts with the SID's address.
  System::Call 'advapi32::GetTokenInformation(p R1, i 1, p R3, i 256, *i .R4) i .R2'
  System::Call 'kernel32::CloseHandle(p R1)'
  ${If} $R2 <> 0
    System::Call '*$R3(p .R4)'
    System::Call 'advapi32::ConvertSidToStringSidW(p R4, *w .R5) i .R2'
    ${If} $R2 <> 0
      System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:P(A;OICI;FA;;;$R5)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", i 1, *p .R6, p 0) i .R2'
      ${If} $R2 <> 0
        System::Call 'advapi32::GetSecurityDescriptorDacl(p R6, *i .R7, *p .R8, *i .R9)'
        ; SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
        System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p R8, p 0) i .R2'
        System::Call 'kernel32::LocalFree(p R6)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Free $R3
FunctionEnd

; Quillet writes its settings beside itself: a folder the user cannot write is
; refused before anything is copied, and so is a drive's root, which the
; uninstaller could not remove. Folders made only for the test go again.
Function CheckFolder
  Call IsRoot
  ${If} $R0 = 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderIsRoot)" /SD IDOK
    StrCpy $ExitCode ${EXIT_REFUSED}
    SetErrorLevel ${EXIT_REFUSED}
    Abort
  ${EndIf}
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
    StrCpy $ExitCode ${EXIT_REFUSED}
    SetErrorLevel ${EXIT_REFUSED}
    Abort
  ${EndIf}
FunctionEnd

Function FolderLeave
  Call CheckFolder
FunctionEnd

; A Quillet from $QuilletFolder was closed for the installed one: its settings come
; along unless the folder has its own, and so does its start with Windows. Its
; files stay where they are.
Function TakeOverFrom
  ${If} ${FileExists} "$QuilletFolder\Quillet.json"
  ${AndIfNot} ${FileExists} "$INSTDIR\Quillet.json"
    CreateDirectory $INSTDIR
    CopyFiles /SILENT "$QuilletFolder\Quillet.json" "$INSTDIR"
  ${EndIf}
  StrCpy $R9 $QuilletFolder
  Call RunStarts
  ${If} $R0 = 1
    WriteRegStr HKCU "${RUN_KEY}" "Quillet" '"$INSTDIR\Quillet.exe" /silent'
  ${EndIf}
FunctionEnd

; $R0 1 when the file $R1 is there and its version record is not Quillet's: a
; full UniversalSpeech.dll the user put in place of ours.
Function IsUsersOwn
  StrCpy $R0 0
  ${IfThen} ${FileExists} $R1 ${|} StrCpy $R0 1 ${|}
  ${IfThen} $R0 = 0 ${|} Return ${|}
  System::Call 'version::GetFileVersionInfoSizeW(w R1, p 0) i .R2'
  ${IfThen} $R2 = 0 ${|} Return ${|}
  System::Alloc $R2
  Pop $R3
  StrCpy $R5 ""
  System::Call 'version::GetFileVersionInfoW(w R1, i 0, i R2, p R3) i .R4'
  ${If} $R4 <> 0
    System::Call 'version::VerQueryValueW(p R3, w "\StringFileInfo\000004b0\ProductName", *p .R6, *i .R7) i .R4'
    ${If} $R4 <> 0
      System::Call '*$R6(&w64 .R5)'
    ${EndIf}
  ${EndIf}
  System::Free $R3
  ${IfThen} $R5 == "Quillet" ${|} StrCpy $R0 0 ${|}
FunctionEnd

; What the last install listed and this one no longer ships goes. Only names inside
; the folder count.
Function RemoveDropped
  ClearErrors
  FileOpen $R0 "$INSTDIR\${FILE_LIST}" r
  ${IfThen} ${Errors} ${|} Return ${|}
  ${Do}
    ClearErrors
    FileRead $R0 $R1
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    ${TrimNewLines} $R1 $R1
    StrCpy $R3 $R1 1
    ${If} $R1 == ""
    ${OrIf} $R3 == "\"
      ${Continue}
    ${EndIf}
    StrLen $R4 $R1
    StrCpy $R5 0
    ${DoWhile} $R5 < $R4
      StrCpy $R3 $R1 2 $R5
      StrCpy $R6 $R3 1
      ${If} $R3 == ".."
      ${OrIf} $R6 == ":"
        StrCpy $R1 ""
        ${ExitDo}
      ${EndIf}
      IntOp $R5 $R5 + 1
    ${Loop}
    ${IfThen} $R1 == "" ${|} ${Continue} ${|}
    Call IsShipped
    ${If} $R2 = 0
      Delete "$INSTDIR\$R1"
      ${GetParent} "$INSTDIR\$R1" $R3
      ${IfThen} $R3 != $INSTDIR ${|} RMDir $R3 ${|}
    ${EndIf}
  ${Loop}
  FileClose $R0
FunctionEnd

; True while a Quillet runs in this session.
!macro _QuilletRuns _a _b _t _f
  FindWindow $_LOGICLIB_TEMP "${QUILLET_CLASS}" "${QUILLET_TITLE}"
  IntCmp $_LOGICLIB_TEMP 0 `${_f}` `${_t}` `${_t}`
!macroend
!define QuilletRuns `"" QuilletRuns ""`

Section
  SetShellVarContext current
  ; Silent installs never saw the folder page.
  ${If} ${Silent}
    Call CheckFolder
  ${EndIf}
  Call CloseQuillet
  CreateDirectory $INSTDIR
  Call KeepFolderToUser
  Call RemoveDropped
  ; Only our own files: Quillet.json and whatever the user put here stay.
  SetOverwrite on
  !insertmacro QuilletInstallFiles
  SetOutPath $INSTDIR
  !insertmacro QuilletWriteFileList
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
  ${AndIfNot} ${QuilletRuns}
    Exec '"$INSTDIR\Quillet.exe" /silent'
  ${EndIf}
SectionEnd

; Whatever failed after a Quillet was closed, that Quillet runs again.
Function .onInstFailed
  ${If} $ClosedQuillet != ""
  ${AndIfNot} ${QuilletRuns}
    Exec '"$ClosedQuillet" /silent'
  ${EndIf}
  ; The script's own refusals were told already; otherwise a file was not written.
  ${If} $ExitCode == ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FileNotReplaced)" /SD IDOK
    SetErrorLevel ${EXIT_FILE_FAILED}
  ${EndIf}
FunctionEnd

Function StartNow
  ; One Quillet at a time: one ended for the upgrade runs again already, and one the
  ; user kept in another folder runs still.
  ${IfNot} ${QuilletRuns}
    Exec '"$INSTDIR\Quillet.exe"'
  ${EndIf}
FunctionEnd

; "Start Quillet with Windows" shows what Quillet's own menu would: this folder's
; Run value, and Task Manager not saying disabled. "Start Quillet now" is gone
; when Quillet runs already.
Function FinishShow
  Call StartsWithWindows
  StrCpy $StartsShown $R0
  ${If} $R0 = 1
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_CHECKED} 0
  ${EndIf}
  ${If} $QuilletWasRunning = 1
  ${OrIf} ${QuilletRuns}
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; $R0 1 when Quillet's menu would check "Start with Windows": this folder's Run
; value, and Task Manager's entry missing, or 12 bytes whose first is even.
Function StartsWithWindows
  Call RunIsOurs
  ${IfThen} $R0 <> 1 ${|} Return ${|}
  System::Alloc 16
  Pop $R2
  ; RRF_RT_REG_BINARY
  System::Call 'advapi32::RegGetValueW(p ${HKEY_CURRENT_USER_HANDLE}, w "${APPROVED_KEY}", w "Quillet", i 8, p 0, p R2, *i 16 .R3) i .R1'
  System::Call '*$R2(&i1 .R4)'
  System::Free $R2
  ${IfThen} $R1 = 2 ${|} Return ${|}
  IntOp $R4 $R4 & 1
  ${If} $R1 <> 0
  ${OrIf} $R3 <> 12
  ${OrIf} $R4 = 1
    StrCpy $R0 0
  ${EndIf}
FunctionEnd

; The same value as the menu's "Start with Windows"; Task Manager's entry for
; it, when there is one, is set to enabled so that the item shows checked.
Function StartWithWindows
  ${IfThen} $StartsShown = 1 ${|} Return ${|}
  WriteRegStr HKCU "${RUN_KEY}" "Quillet" '"$INSTDIR\Quillet.exe" /silent'
  System::Call 'advapi32::RegGetValueW(p ${HKEY_CURRENT_USER_HANDLE}, w "${APPROVED_KEY}", w "Quillet", i 0xFFFF, p 0, p 0, p 0) i .R0'
  ${If} $R0 = 0
    WriteRegBin HKCU "${APPROVED_KEY}" "Quillet" 020000000000000000000000
  ${EndIf}
FunctionEnd

; Only a box the user changed changes anything: unchecked, the value goes; checked
; where it was not, StartWithWindows writes it.
Function FinishLeave
  SendMessage $mui.FinishPage.ShowReadme ${BM_GETCHECK} 0 0 $R0
  ${If} $R0 <> ${BST_CHECKED}
  ${AndIf} $StartsShown = 1
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
  Delete "$INSTDIR\${FILE_LIST}"
  Call un.RemoveRunAtLogon
  ; A Quillet.exe that stayed (still running, or held by another program) keeps the
  ; uninstaller and the Apps entry, so that the removal can be done again.
  ${If} ${FileExists} "$INSTDIR\Quillet.exe"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotRemoved)" /SD IDOK
    SetErrorLevel ${EXIT_FILE_FAILED}
    Return
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  ; A file the user put here keeps the folder.
  RMDir $INSTDIR
  ; The shortcut and the Apps entry only when they are this folder's.
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    Delete "$SMPROGRAMS\Quillet.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
