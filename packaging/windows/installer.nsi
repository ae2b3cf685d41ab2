; The Windows installer, built by scripts/windows.sh with makensis:
;   makensis -DVERSION=<version> -DSOURCE_DIR=<program folder> -DFILE_LIST=<files.nsh>
;            -DOUT_FILE=<setup.exe> -DICON_FILE=<.ico> [-DSIGN=<sign.sh>] installer.nsi
; Installs the program folder, a Start menu shortcut, an Add/Remove Programs
; entry and the .naa file type, either for everyone (Program Files, HKLM; needs
; administrator rights) or just for the current user (AppData\Local\Programs,
; HKCU; needs none). A page asks which; /AllUsers or /CurrentUser chooses it
; from the command line, /S installs silently, /D= names the folder.
; Installing again replaces the earlier install of the same scope: its own
; uninstaller removes it first. While the program runs, nothing is changed.
; The uninstaller takes away exactly what was installed, and leaves the user's
; saved readings, the program's settings value and other programs' use of
; .naa alone.
Target amd64-unicode ; the program is 64-bit only

!define PRODUCT "Orra Native American Astrology"
!define PUBLISHER "Orra Software"
!define EXE "OrraFreeNativeAmericanAstrology.exe"
!define APP_KEY "OrraNativeAmericanAstrology"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_KEY}"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define PROGID "OrraNativeAmericanAstrology.Reading"

; Both scopes, as NSIS's MultiUser support offers them; the scope already
; installed is the default, so running the installer again upgrades it.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION ScopeChosen
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER}"
; A file that cannot be written is never skipped: retry, or stop with an error.
AllowSkipFiles off
; Installed files get the time they are installed, not the build's: the same
; source makes the same setup, byte for byte.
SetDateSave off

; Given a signing script (scripts/windows/package.sh passes one when a
; certificate is given), the uninstaller is signed before it goes into the
; installer, and the installer once written; a failed signing fails the build.
!ifdef SIGN
    !uninstfinalize 'bash "${SIGN}" "%1"' = 0
    !finalize 'bash "${SIGN}" "%1"' = 0
!endif

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The program's files, listed by scripts/windows.sh: InstallFiles and UninstallFiles.
!include "${FILE_LIST}"

Var DirFromCommandLine ; /D=, which the scope's default folder must not replace
Var EarlierDir         ; the folder of an earlier install of the chosen scope

Function .onInit
    SetRegView 64
    StrCpy $DirFromCommandLine $INSTDIR ; without InstallDir only /D= sets it
    !insertmacro MULTIUSER_INIT
FunctionEnd

; Called by MultiUser whenever the scope is set: an earlier install of that
; scope is upgraded in its own folder unless /D= names another.
Function ScopeChosen
    ReadRegStr $EarlierDir SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $DirFromCommandLine != ""
        StrCpy $INSTDIR $DirFromCommandLine
    ${ElseIf} $EarlierDir != ""
        StrCpy $INSTDIR $EarlierDir
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
    ; The scope is the one whose entry names this folder, whatever the switches say.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Call un.MultiUser.InstallMode.CurrentUser
    ${ElseIf} $1 == $INSTDIR
        Call un.MultiUser.InstallMode.AllUsers
    ${EndIf}
FunctionEnd

; A running program holds its .exe open, so it cannot be opened for writing
; (nor replaced, nor deleted). Asks the user to close it; cancelled, or
; silent, the installation stops before anything has changed (exit status 2).
!macro CLOSE_PROGRAM_FUNCTION UN
Function ${UN}CloseProgram ; folder on the stack
    Exch $R0
    Push $R1
    retry:
    ${If} ${FileExists} "$R0\${EXE}"
        ClearErrors
        FileOpen $R1 "$R0\${EXE}" a
        ${If} ${Errors}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
                "${PRODUCT} is running from$\r$\n$R0$\r$\n$\r$\nClose it, then click Retry; or click Cancel to leave it as it is." \
                /SD IDCANCEL IDRETRY retry
            DetailPrint "${PRODUCT} is running: nothing was changed."
            SetErrorLevel 2
            Abort
        ${EndIf}
        FileClose $R1
    ${EndIf}
    Pop $R1
    Pop $R0
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM_FUNCTION ""
!insertmacro CLOSE_PROGRAM_FUNCTION "un."

Section "Install"
    ${If} $EarlierDir != ""
        Push $EarlierDir
        Call CloseProgram
    ${EndIf}
    Push $INSTDIR
    Call CloseProgram

    ; The earlier install's own uninstaller knows its files, even those this
    ; version no longer has; it runs in place (_?=) so that we can wait for it.
    ${If} $EarlierDir != ""
    ${AndIf} ${FileExists} "$EarlierDir\uninstall.exe"
        DetailPrint "Removing the earlier installation in $EarlierDir"
        ClearErrors
        ExecWait '"$EarlierDir\uninstall.exe" /S /$MultiUser.InstallMode _?=$EarlierDir' $0
        ${If} ${Errors}
        ${OrIf} $0 != 0
            MessageBox MB_OK|MB_ICONSTOP \
                "The earlier installation in $EarlierDir could not be removed.$\r$\nNothing was installed." \
                /SD IDOK
            SetErrorLevel 2
            Abort
        ${EndIf}
        Delete "$EarlierDir\uninstall.exe"
        RMDir "$EarlierDir"
    ${EndIf}

    ; The uninstaller and the entry come first: an installation stopped half
    ; way can still be uninstalled, or installed again.
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$INSTDIR\uninstall.exe" /S /$MultiUser.InstallMode'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

    !insertmacro InstallFiles
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    ; A saved reading opens in the program, which takes the file as its one
    ; argument. The program is always offered under Open with; it becomes the
    ; default only where no other program is (another program's choice, or the
    ; user's, stands, so there is nothing of theirs to put back later).
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "${PRODUCT} reading"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\${EXE},0"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
    WriteRegNone SHCTX "Software\Classes\.naa\OpenWithProgids" "${PROGID}"
    ; Just for me, the user's own choice and then everyone's count.
    ReadRegStr $0 SHCTX "Software\Classes\.naa" ""
    ${If} $0 == ""
        ReadRegStr $0 HKLM "Software\Classes\.naa" ""
    ${EndIf}
    ${If} $0 == ""
    ${OrIf} $0 == "${PROGID}"
        WriteRegStr SHCTX "Software\Classes\.naa" "" "${PROGID}"
    ${EndIf}
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; file types changed
SectionEnd

Section "Uninstall"
    Push $INSTDIR
    Call un.CloseProgram

    ; A file still in use (a race with a starting program) goes at the next restart.
    !insertmacro UninstallFiles

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; Only what is ours: another program's default and Open with entry stay.
    DeleteRegValue SHCTX "Software\Classes\.naa\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.naa\OpenWithProgids"
    ReadRegStr $0 SHCTX "Software\Classes\.naa" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue SHCTX "Software\Classes\.naa" ""
    ${EndIf}
    DeleteRegKey /ifempty SHCTX "Software\Classes\.naa"
    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ${If} ${RebootFlag}
        ; The entry and the uninstaller stay until the files are gone: the
        ; uninstaller runs once more, silently, when the user next logs on.
        WriteRegStr SHCTX "${RUNONCE_KEY}" "${APP_KEY}" \
            '"$INSTDIR\uninstall.exe" /S /$MultiUser.InstallMode'
        MessageBox MB_OK|MB_ICONINFORMATION \
            "Some files of ${PRODUCT} are in use. They will be removed when you restart Windows." \
            /SD IDOK
        SetErrorLevel 3010 ; ERROR_SUCCESS_REBOOT_REQUIRED
    ${Else}
        ${If} $EXEPATH != "$INSTDIR\uninstall.exe" ; in place, the installer deletes it
            Delete "$INSTDIR\uninstall.exe"
            RMDir "$INSTDIR" ; only if empty: anything the user put there stays
        ${EndIf}
        DeleteRegValue SHCTX "${RUNONCE_KEY}" "${APP_KEY}"
        DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
