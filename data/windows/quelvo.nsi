; The Windows installer: quelvo.exe, quelvoctl.exe and the two companions with their README and
; licence, for all users (Program Files) or for the current user (%LOCALAPPDATA%\Programs), with a
; Start-menu shortcut and an uninstaller. For all users it also installs and starts quelvosvc.exe,
; the machine schedule's service, and registers its event source; the uninstaller stops and
; deletes the service and leaves %ProgramData%\Quelvo, the machine's schedule and history, alone.
; makensis is given VERSION, STAGE (the folder holding the files) and OUTFILE;
; cmake/QuelvoWindowsDist.cmake does so, and MACHINE_SERVICE when the stage holds the service. Tests also give SERVICE_ARGUMENTS (--dry-run), which the
; service's command line gets after the program. Silent: /S, with /AllUsers or /CurrentUser;
; without either, all users when the account may, else the current user.
; A 64-bit installer for the 64-bit programs (and for Wine without its 32-bit half).
Target amd64-unicode
!define APP "Quelvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quelvo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SERVICE "quelvosvc"
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\${SERVICE}"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${APP}"
!ifdef SERVICE_ARGUMENTS
    !define SERVICE_COMMAND '\"$INSTDIR\${SERVICE}.exe\" ${SERVICE_ARGUMENTS}'
!else
    !define SERVICE_COMMAND '\"$INSTDIR\${SERVICE}.exe\"'
!endif

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh
!ifdef MACHINE_SERVICE
    !include StrFunc.nsh
    ${Using:StrFunc} StrStr
    ${Using:StrFunc} UnStrStr
!endif

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} installer"
VIAddVersionKey "LegalCopyright" "2026 Velmor Software"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

!ifdef MACHINE_SERVICE
; Stops the service and waits up to 30 seconds until it has, so that its program can be replaced
; or removed; without such a service there is nothing to wait for.
!macro STOP_SERVICE un
Function ${un}StopService
    nsExec::ExecToLog '"$SYSDIR\sc.exe" stop ${SERVICE}'
    Pop $0
    StrCpy $1 0
    ${Do}
        nsExec::ExecToStack '"$SYSDIR\sc.exe" query ${SERVICE}'
        Pop $0
        Pop $2
        ${IfThen} $0 != 0 ${|} ${Break} ${|}
        !if "${un}" == ""
            ${StrStr} $3 $2 "STOPPED"
        !else
            ${UnStrStr} $3 $2 "STOPPED"
        !endif
        ${IfThen} $3 != "" ${|} ${Break} ${|}
        IntOp $1 $1 + 1
        ${IfThen} $1 >= 60 ${|} ${Break} ${|}
        Sleep 500
    ${Loop}
FunctionEnd
!macroend
!insertmacro STOP_SERVICE ""
!insertmacro STOP_SERVICE "un."
!endif

Section "Install"
!ifdef MACHINE_SERVICE
    ; An older version's service lets go of its program before it is replaced.
    ${If} $MultiUser.InstallMode == "AllUsers"
        Call StopService
    ${EndIf}
!endif
    SetOutPath "$INSTDIR"
    File "${STAGE}\quelvo.exe"
    File "${STAGE}\quelvoctl.exe"
    File "${STAGE}\velmorshutdown.exe"
    File "${STAGE}\velmorlogoff.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\quelvo.exe"
    ; The uninstaller is told which installation it removes.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Velmor Software"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quelvo.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S /$MultiUser.InstallMode'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

!ifdef MACHINE_SERVICE
    ; The machine's schedule is kept by a service for everybody, so only an installation for all
    ; users has one.
    ${If} $MultiUser.InstallMode == "AllUsers"
        File "${STAGE}\${SERVICE}.exe"
        ; Information, warning and error entries, their texts in the service's message table.
        WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${SERVICE}.exe"
        WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
        nsExec::ExecToLog '"$SYSDIR\sc.exe" create ${SERVICE} binPath= "${SERVICE_COMMAND}" start= auto DisplayName= "${APP} machine schedule"'
        Pop $0
        ; An older version's service is kept, pointed at this installation's program.
        ${If} $0 != 0
            nsExec::ExecToLog '"$SYSDIR\sc.exe" config ${SERVICE} binPath= "${SERVICE_COMMAND}" start= auto'
            Pop $0
        ${EndIf}
        WriteRegStr HKLM "${SERVICE_KEY}" "Description" "Shuts the computer down or restarts it on the machine's weekly schedule"
        nsExec::ExecToLog '"$SYSDIR\sc.exe" start ${SERVICE}'
        Pop $0
    ${EndIf}
!endif
SectionEnd

Section "Uninstall"
!ifdef MACHINE_SERVICE
    ; The service first, so that its program can go; its schedule and history in ProgramData stay.
    ${If} $MultiUser.InstallMode == "AllUsers"
        Call un.StopService
        nsExec::ExecToLog '"$SYSDIR\sc.exe" delete ${SERVICE}'
        Pop $0
        DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
        Delete "$INSTDIR\${SERVICE}.exe"
    ${EndIf}
!endif
    ; Only what was installed: a schedule (events.ini) kept beside the programs stays.
    Delete "$INSTDIR\quelvo.exe"
    Delete "$INSTDIR\quelvoctl.exe"
    Delete "$INSTDIR\velmorshutdown.exe"
    Delete "$INSTDIR\velmorlogoff.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${APP}.lnk"
    ; "Load with windows" writes the current user's Run entry; an older copy may have written the
    ; machine's. Neither may start a program that is gone.
    DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
    ${If} $MultiUser.InstallMode == "AllUsers"
        DeleteRegValue HKLM "${RUN_KEY}" "${APP}"
    ${EndIf}
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
