; Uptrail_Setup.exe: installs Uptrail for the whole machine, upgrades an installed copy in
; place, and carries the uninstaller. installer/CMakeLists.txt builds it and hands over the
; generated build defines (where the program, the version header and the sources are).
;
; Switches: /S silent, /D=folder the program folder (last, unquoted), /START start the
; program after a silent install; the uninstaller takes /S and /REMOVELOG.

Unicode true
; The program is a 64-bit program, and Wine on the build machines runs 64-bit programs only.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "${UPTRAIL_BUILD_DEFINES}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include nsDialogs.nsh

; Names and numbers are read where the program itself takes them from, so the setup can
; never disagree with the program it installs.
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_VERSION_STRING "` VERSION `"`
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_VERSION_MAJOR ` VERSION_MAJOR
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_VERSION_MINOR ` VERSION_MINOR
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_VERSION_REVISION ` VERSION_REVISION
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_TITLE "` TITLE `"`
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_EXE_NAME "` EXE_NAME `"`
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_COMPANY "` COMPANY `"`
; The Run entry of "Start with Windows" is named after the description.
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_DESCRIPTION "` RUN_VALUE `"`
!searchparse /file "${UPTRAIL_VERSION_HEADER}" `#define UPTRAIL_COMMENTS "` SITE `, mailto:`
!searchparse /file "${UPTRAIL_MAIN_WINDOW_HEADER}" `inline constexpr UINT kExitCommand = ` EXIT_COMMAND `;`
!searchparse /file "${UPTRAIL_MAIN_WINDOW_SOURCE}" `constexpr wchar_t kWindowClass[] = L"` MAIN_WINDOW_CLASS `";`

!define PROGRAM_EXE "${EXE_NAME}.exe"
!define UNINSTALLER "Uninstall.exe"
!define PROGRAM_KEY "SOFTWARE\${COMPANY}\${TITLE}"
!define COMPANY_KEY "SOFTWARE\${COMPANY}"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${TITLE}"
!define APP_PATHS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\${PROGRAM_EXE}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${TITLE}"
!define STARTUP_APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define LOG_FILE "${TITLE}.txt"
; Every rewrite of the log goes through this file first (see the README's storage notes).
!define LOG_TEMPORARY_FILE "${TITLE}.txt.uptrail-new"
!define USERS_GROUP_SID "*S-1-5-32-545"
!define MOVEFILE_REPLACE_EXISTING_WRITE_THROUGH 9
!define FILE_ATTRIBUTE_DIRECTORY 0x10
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400
!define SE_FILE_OBJECT 1
!define OWNER_SECURITY_INFORMATION 1
!define WinLocalSystemSid 22
!define WinBuiltinAdministratorsSid 26
!define SECURITY_MAX_SID_SIZE 68
!define TOKEN_QUERY 8
!define TokenUser 1
!define TOKEN_USER_BUFFER_SIZE 128
; Exit codes of a setup that found a log folder it cannot trust: ERROR_REPARSE_POINT_ENCOUNTERED
; for a link, ERROR_INVALID_OWNER for a folder of another owner.
!define EXIT_LOG_FOLDER_LINK 4395
!define EXIT_LOG_FOLDER_OWNER 1307
; How long a running copy gets to close, in tenths of a second, before the user is asked.
!define CLOSE_WAIT_TENTHS 80

Name "${TITLE}"
OutFile "${UPTRAIL_SETUP_FILE}"
InstallDir "$PROGRAMFILES64\${TITLE}"
RequestExecutionLevel admin
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show
BrandingText "${TITLE} ${VERSION}"

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_REVISION}.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_REVISION}.0"

Var StartRequested
Var FirstInstall
Var PreviousFolder
Var RemoveLog
Var RemoveLogBox
Var LogFolder

!define MUI_ICON "${UPTRAIL_ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${UPTRAIL_WIZARD_PICTURE}"
!define MUI_UNICON "${UPTRAIL_ICON}"
!define MUI_ABORTWARNING
; The list of what was done stays up until the user moves on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${TITLE} ${VERSION} for every account of this computer.$\r$\n$\r$\n${TITLE} lives in the notification area and records when Windows starts and ends in a session log that all accounts share.$\r$\n$\r$\nIf ${TITLE} is running, Setup closes it first. The session log, the settings and the alarms are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${UPTRAIL_LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${TITLE} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgramAsUser
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${TITLE}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${TITLE} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${COMPANY}"

; Closes a running copy the way its Exit command does, so that it stores an orderly close:
; the copy started afterwards in the same boot then continues the session without a log
; entry. A copy that does not close in time leaves the choice to the user; Cancel stops
; before anything was changed. Silent runs cancel.
!macro CLOSE_RUNNING_COPY prefix
Function ${prefix}CloseRunningCopy
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 != 0
        DetailPrint "Closing the running ${TITLE}"
    ${EndIf}
    retry:
    StrCpy $1 0
    wait:
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 == 0
        Return
    ${EndIf}
    ; Asked again every second: a copy still starting up ignores commands until it is ready.
    IntOp $2 $1 % 10
    ${If} $2 == 0
        SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 $3 /TIMEOUT=2000
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
    IntCmp $1 ${CLOSE_WAIT_TENTHS} 0 wait 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${TITLE} is still running.$\r$\n$\r$\nChoose Exit in the menu of its icon, then click Retry. Cancel leaves everything as it is." /SD IDCANCEL IDRETRY retry
    Abort "${TITLE} is still running: nothing was changed."
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; Where the system let a standard account start the setup without asking for rights (user
; account control turned off), the per-machine writes would fail one by one: say so first.
!macro REQUIRE_ADMINISTRATOR
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "${TITLE} is installed for every account of this computer: this needs administrator rights." /SD IDOK
        ; ERROR_ELEVATION_REQUIRED
        SetErrorLevel 740
        Quit
    ${EndIf}
!macroend

; Starts the program as the signed-in user, without the administrator rights of this setup:
; the running shell starts what explorer.exe is handed. An elevated copy would keep its
; settings in another HKEY_CURRENT_USER and could not be reached by the user's own copies.
Function StartProgramAsUser
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${PROGRAM_EXE}"'
FunctionEnd

Function .onInit
    !insertmacro REQUIRE_ADMINISTRATOR
    SetRegView 64
    ; The shortcut and $APPDATA (then %ProgramData%) are the machine's, not the account's.
    SetShellVarContext all
    Call CheckLogFolder
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/START" $1
    ${IfNot} ${Errors}
        StrCpy $StartRequested 1
    ${EndIf}
    ReadRegStr $PreviousFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $PreviousFolder == ""
        StrCpy $FirstInstall 1
    ${Else}
        StrCpy $FirstInstall 0
        ; An upgrade goes where the installed copy is. /D has set $INSTDIR before this
        ; runs, so any folder but the default is its choice (the default named with /D
        ; reads as no choice, and the copy stays where it is).
        ${If} $INSTDIR == "$PROGRAMFILES64\${TITLE}"
            StrCpy $INSTDIR $PreviousFolder
        ${EndIf}
    ${EndIf}
FunctionEnd

; A deployment tool runs the setup as the system account, in the services' session 0: a
; program started from there would run in the wrong account, or on no one's screen. The Run
; entry starts the program at each account's next sign-in instead. Leaves 1 in $0 when so.
Function IsSystemOrServiceSession
    StrCpy $0 0
    System::Call 'kernel32::GetCurrentProcessId() i .r1'
    System::Call 'kernel32::ProcessIdToSessionId(i r1, *i .r2) i .r3'
    ${If} $3 <> 0
    ${AndIf} $2 == 0
        StrCpy $0 1
        Return
    ${EndIf}
    System::Alloc ${SECURITY_MAX_SID_SIZE}
    Pop $1
    System::Call 'advapi32::CreateWellKnownSid(i ${WinLocalSystemSid}, p 0, p r1, *i ${SECURITY_MAX_SID_SIZE}) i .r2'
    ${If} $2 <> 0
        System::Call 'advapi32::CheckTokenMembership(p 0, p r1, *i .r3) i .r2'
        ${If} $2 <> 0
        ${AndIf} $3 <> 0
            StrCpy $0 1
        ${EndIf}
    ${EndIf}
    System::Free $1
FunctionEnd

Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $StartRequested == 1
        Call IsSystemOrServiceSession
        ${If} $0 == 1
            DetailPrint "Not started: Setup runs as the system account; ${TITLE} starts at each account's next sign-in."
        ${Else}
            Call StartProgramAsUser
        ${EndIf}
    ${EndIf}
FunctionEnd

; The new program is unpacked beside the old one and then moved over it in one step, so
; the folder always holds a whole program, the old or the new.
Function ReplaceProgram
    retry:
    StrCpy $1 0
    move:
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${PROGRAM_EXE}.new", w "$INSTDIR\${PROGRAM_EXE}", i ${MOVEFILE_REPLACE_EXISTING_WRITE_THROUGH}) i .r0'
    ${If} $0 != 0
        Return
    ${EndIf}
    ; A copy that has just closed its window may hold its file a moment longer.
    Sleep 100
    IntOp $1 $1 + 1
    IntCmp $1 ${CLOSE_WAIT_TENTHS} 0 move 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\${PROGRAM_EXE} cannot be replaced: ${TITLE} may still be running for another account.$\r$\n$\r$\nClose it there, then click Retry. Cancel leaves the installed copy as it is." /SD IDCANCEL IDRETRY retry
    Delete "$INSTDIR\${PROGRAM_EXE}.new"
    ; Only an empty folder goes: that of a first install that did not finish.
    RMDir "$INSTDIR"
    Abort "${PROGRAM_EXE} could not be replaced: nothing was changed."
FunctionEnd

; A standard user may create folders under %ProgramData% before an administrator installs:
; a folder of their own, or a junction to any folder. The setup grants the Users group
; modify rights on the log folder, and icacls follows a junction to its target, so an
; existing folder on the way is accepted only as a real folder that belongs to the
; administrators, the system, or the administrator running the setup. Anything else stops
; the setup before it has changed anything.
; Leaves 1 in $0 when the folder $R0 belongs to the administrators, the system, or the
; administrator running this setup (who may have made it before), 0 otherwise.
Function IsOwnedByAdministrators
    StrCpy $0 0
    System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i ${SE_FILE_OBJECT}, i ${OWNER_SECURITY_INFORMATION}, *p .r2, p 0, p 0, p 0, *p .r3) i .r1'
    ${If} $1 <> 0
        Return
    ${EndIf}
    System::Call 'advapi32::IsWellKnownSid(p r2, i ${WinBuiltinAdministratorsSid}) i .r4'
    System::Call 'advapi32::IsWellKnownSid(p r2, i ${WinLocalSystemSid}) i .r5'
    ${If} $4 <> 0
    ${OrIf} $5 <> 0
        StrCpy $0 1
    ${Else}
        System::Call 'kernel32::GetCurrentProcess() p .r6'
        System::Call 'advapi32::OpenProcessToken(p r6, i ${TOKEN_QUERY}, *p .r6) i .r1'
        ${If} $1 <> 0
            System::Alloc ${TOKEN_USER_BUFFER_SIZE}
            Pop $7
            System::Call 'advapi32::GetTokenInformation(p r6, i ${TokenUser}, p r7, i ${TOKEN_USER_BUFFER_SIZE}, *i .r8) i .r1'
            ${If} $1 <> 0
                ; TOKEN_USER begins with the pointer to the account's SID.
                System::Call '*$7(p .r8)'
                System::Call 'advapi32::EqualSid(p r2, p r8) i .r1'
                ${If} $1 <> 0
                    StrCpy $0 1
                ${EndIf}
            ${EndIf}
            System::Free $7
            System::Call 'kernel32::CloseHandle(p r6)'
        ${EndIf}
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r3)'
FunctionEnd

; Leaves in $R2 0 when the folder $R0 is missing or may be trusted, else the exit code of a
; refusal, with its reason in $R1.
Function CheckFolder
    StrCpy $R2 0
    System::Call 'kernel32::GetFileAttributesW(w R0) i .r0'
    ${If} $0 == -1
        Return
    ${EndIf}
    IntOp $1 $0 & ${FILE_ATTRIBUTE_REPARSE_POINT}
    IntOp $2 $0 & ${FILE_ATTRIBUTE_DIRECTORY}
    ${If} $1 <> 0
        StrCpy $R1 "it is a link to another place (a junction or a symbolic link)"
        StrCpy $R2 ${EXIT_LOG_FOLDER_LINK}
        Return
    ${EndIf}
    ${If} $2 == 0
        StrCpy $R1 "it is a file, not a folder"
        StrCpy $R2 ${EXIT_LOG_FOLDER_LINK}
        Return
    ${EndIf}
    Call IsOwnedByAdministrators
    ${If} $0 != 1
        StrCpy $R1 "it belongs to a user, not to the administrators"
        StrCpy $R2 ${EXIT_LOG_FOLDER_OWNER}
    ${EndIf}
FunctionEnd

; The folders the setup grants rights to, the company folder first, then the data folder:
; $R2 and $R1 as CheckFolder leaves them, $R0 the folder refused.
Function CheckDataFolders
    StrCpy $R0 "$APPDATA\${COMPANY}"
    Call CheckFolder
    ${If} $R2 == 0
        StrCpy $R0 "$APPDATA\${COMPANY}\${TITLE}"
        Call CheckFolder
    ${EndIf}
FunctionEnd

; Before anything changes. A "LogFolder" of an earlier installation elsewhere is kept
; without new rights, and so needs no check; one that is the data folder is checked.
Function CheckLogFolder
    StrCpy $1 "$APPDATA\${COMPANY}\${TITLE}"
    ReadRegStr $0 HKLM "${PROGRAM_KEY}" "LogFolder"
    ${If} $0 != ""
    ${AndIf} $0 != $1
    ${AndIf} ${FileExists} "$0\*.*"
        Return
    ${EndIf}
    Call CheckDataFolders
    ${If} $R2 != 0
        MessageBox MB_OK|MB_ICONSTOP "The folder $R0 already exists, but $R1.$\r$\n$\r$\nSetup would give every user of this computer write access to it, so it changed nothing. Delete the folder (an administrator can), then run Setup again." /SD IDOK
        SetErrorLevel $R2
        Quit
    ${EndIf}
FunctionEnd

; The log folder every account's copy writes. A "LogFolder" that names an existing folder
; (an earlier installation's, or one a user chose) is kept. The per-machine data folder is
; not writable for standard users by default, so the Users group gets modify rights on it,
; inherited by the log file; icacls takes the group by its SID, whatever the system's language.
Function PrepareLogFolder
    StrCpy $1 "$APPDATA\${COMPANY}\${TITLE}"
    ReadRegStr $LogFolder HKLM "${PROGRAM_KEY}" "LogFolder"
    ${If} $LogFolder != ""
    ${AndIf} ${FileExists} "$LogFolder\*.*"
        DetailPrint "Keeping the log folder $LogFolder"
    ${Else}
        StrCpy $LogFolder $1
        CreateDirectory $LogFolder
        ${IfNot} ${FileExists} "$LogFolder\*.*"
            DetailPrint "The log folder $LogFolder could not be created; ${TITLE} chooses one at its start."
            Return
        ${EndIf}
        WriteRegStr HKLM "${PROGRAM_KEY}" "LogFolder" $LogFolder
    ${EndIf}
    ${If} $LogFolder == $1
        ; Checked again: the pages of an interactive setup leave time to plant a link.
        Call CheckDataFolders
        ${If} $R2 != 0
            DetailPrint "The Users group gets no rights on $R0: $R1."
            Return
        ${EndIf}
        nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$LogFolder" /grant ${USERS_GROUP_SID}:(OI)(CI)M'
        Pop $0
        ${If} $0 != 0
            DetailPrint "The Users group could not be given modify rights on $LogFolder ($0)."
        ${EndIf}
    ${EndIf}
FunctionEnd

Function RegisterProgram
    WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\${PROGRAM_EXE}"
    WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" $INSTDIR

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_EXE},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $INSTDIR
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} $INSTDIR "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The source of the program's events: Event Viewer finds their sentences in the
    ; program's message table. Errors, warnings and information (the program writes the
    ; last two).
    WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${PROGRAM_EXE}"
    WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

    ; As the program's own first start does; an upgrade keeps the user's choice.
    ${If} $FirstInstall == 1
        WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "${PROGRAM_EXE}"
    ${EndIf}
FunctionEnd

; An installation moved elsewhere with /D leaves no second program behind, whose Run entry
; and App Paths would no longer be its own. Only the files of the setup go: the old folder
; may hold the log of an earlier version.
; Whether the two are one folder is asked of the file system, not of the spelling: a
; trailing separator, a short name or another case must never remove the new program.
Function RemovePreviousFolder
    ${If} $PreviousFolder == ""
        Return
    ${EndIf}
    StrCpy $1 "$INSTDIR\${PROGRAM_EXE}.setup-mark"
    ${GetFileName} $1 $2
    SetDetailsPrint none
    FileOpen $0 $1 w
    FileClose $0
    ${IfNot} ${FileExists} "$PreviousFolder\$2"
    ${AndIf} ${FileExists} $1
        SetDetailsPrint both
        Delete "$PreviousFolder\${PROGRAM_EXE}"
        Delete "$PreviousFolder\${UNINSTALLER}"
        RMDir $PreviousFolder
        SetDetailsPrint none
    ${EndIf}
    Delete $1
    SetDetailsPrint both
FunctionEnd

Section "Install"
    ; A folder typed with "..", "." or a trailing separator is recorded as Windows names it.
    GetFullPathName $0 $INSTDIR
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
    Call CloseRunningCopy
    SetOutPath $INSTDIR
    ; The list names the program, not the file it is unpacked to first.
    SetDetailsPrint none
    File "/oname=${PROGRAM_EXE}.new" "${UPTRAIL_PROGRAM_FILE}"
    SetDetailsPrint both
    Call ReplaceProgram
    DetailPrint "Installed: $INSTDIR\${PROGRAM_EXE}"
    Call RemovePreviousFolder
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortCut "$SMPROGRAMS\${TITLE}.lnk" "$INSTDIR\${PROGRAM_EXE}"
    Call PrepareLogFolder
    Call RegisterProgram
SectionEnd

; --- The uninstaller ---

; The log folder as the program finds it: the current user's fallback copy of "LogFolder"
; first, then the machine's, then the default.
Function un.FindLogFolder
    ReadRegStr $LogFolder HKCU "${PROGRAM_KEY}" "LogFolder"
    ${If} $LogFolder == ""
        ReadRegStr $LogFolder HKLM "${PROGRAM_KEY}" "LogFolder"
    ${EndIf}
    ${If} $LogFolder == ""
        StrCpy $LogFolder "$APPDATA\${COMPANY}\${TITLE}"
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro REQUIRE_ADMINISTRATOR
    SetRegView 64
    SetShellVarContext all
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVELOG" $1
    ${If} ${Errors}
        StrCpy $RemoveLog 0
    ${Else}
        StrCpy $RemoveLog 1
    ${EndIf}
    Call un.FindLogFolder
FunctionEnd

Function un.OptionsPage
    !insertmacro MUI_HEADER_TEXT "Uninstall ${TITLE}" "Remove ${TITLE} from this computer."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 24u "${TITLE} will be closed and removed from this folder:"
    Pop $0
    ${NSD_CreateText} 0 26u 100% 13u $INSTDIR
    Pop $0
    SendMessage $0 ${EM_SETREADONLY} 1 0
    ${NSD_CreateLabel} 0 50u 100% 24u "The session log and its alarms stay where they are, for a later installation or another system of this computer:"
    Pop $0
    ${NSD_CreateText} 0 76u 100% 13u "$LogFolder\${LOG_FILE}"
    Pop $0
    SendMessage $0 ${EM_SETREADONLY} 1 0
    ${NSD_CreateCheckbox} 0 100u 100% 12u "Also delete the session log and alarms"
    Pop $RemoveLogBox
    ${If} $RemoveLog == 1
        ${NSD_Check} $RemoveLogBox
    ${EndIf}
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
    nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
    ${NSD_GetState} $RemoveLogBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $RemoveLog 1
    ${Else}
        StrCpy $RemoveLog 0
    ${EndIf}
FunctionEnd

; The program goes first: should it still be held by a copy of another account, nothing
; else has been removed yet.
Function un.RemoveProgram
    retry:
    StrCpy $1 0
    remove:
    ClearErrors
    Delete "$INSTDIR\${PROGRAM_EXE}"
    ${IfNot} ${FileExists} "$INSTDIR\${PROGRAM_EXE}"
        Return
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
    IntCmp $1 ${CLOSE_WAIT_TENTHS} 0 remove 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\${PROGRAM_EXE} cannot be removed: ${TITLE} may still be running for another account.$\r$\n$\r$\nClose it there, then click Retry." /SD IDCANCEL IDRETRY retry
    Abort "${PROGRAM_EXE} could not be removed: nothing was changed."
FunctionEnd

; Only the log's own files: the folder may be one the user chose, holding other files.
Function un.RemoveLog
    Delete "$LogFolder\${LOG_FILE}"
    Delete "$LogFolder\${LOG_TEMPORARY_FILE}"
    ; Each running copy's own temporary file, "<log>.uptrail-new-<process id>".
    Delete "$LogFolder\${LOG_TEMPORARY_FILE}-*"
    RMDir $LogFolder
    ${If} $LogFolder == "$APPDATA\${COMPANY}\${TITLE}"
        RMDir "$APPDATA\${COMPANY}"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunningCopy
    Call un.RemoveProgram
    Delete "$INSTDIR\${PROGRAM_EXE}.new"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Not /r: the folder may hold the log, or be a folder the user named with /D.
    RMDir $INSTDIR
    Delete "$SMPROGRAMS\${TITLE}.lnk"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${APP_PATHS_KEY}"
    DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegValue HKLM "${STARTUP_APPROVED_KEY}" "${RUN_VALUE}"
    DeleteRegValue HKCU "${STARTUP_APPROVED_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKLM "${PROGRAM_KEY}"
    DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
    DeleteRegKey HKCU "${PROGRAM_KEY}"
    DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"

    ${If} $RemoveLog == 1
        Call un.RemoveLog
    ${EndIf}
SectionEnd
