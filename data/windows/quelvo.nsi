; The Windows installer: quelvo.exe, quelvoctl.exe and the two companions with their README and
; licence, for all users (Program Files) or for the current user (%LOCALAPPDATA%\Programs), with a
; Start-menu shortcut and an uninstaller. makensis is given VERSION, STAGE (the folder holding the
; files) and OUTFILE; cmake/QuelvoWindowsDist.cmake does so. Silent: /S, with /AllUsers or
; /CurrentUser; without either, all users when the account may, else the current user.
; A 64-bit installer for the 64-bit programs (and for Wine without its 32-bit half).
Target amd64-unicode
!define APP "Quelvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quelvo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh

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

Section "Install"
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
SectionEnd

Section "Uninstall"
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
