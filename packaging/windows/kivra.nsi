; The Windows installer: the program's folder (Trova.exe, KivraLibrary.dll,
; kivra.exe, kivra-sim.exe, kivra-demo.exe, trans_en_US.qm, font.ttf, help\
; with the manuals and the SDK) into Program Files\Kivra, Start-menu entries
; (the program, the demo that starts the simulator and then the program, the
; manuals), the folder recorded in HKLM\Software\Kivra for the Python package,
; optionally the folder on the user's PATH for kivra.exe, and an entry in the
; system's list of installed programs. The uninstaller removes exactly the
; files the installer wrote, the folders it made and what it added to the
; registry and the PATH, so a user's own files (a config.ini left beside the
; program) and the folder holding them stay.
; make-installer.sh lists the files and passes the defines:
;   VERSION, PUBLISHER, OUTFILE, SIZE_KB, FILES_INSTALL, FILES_UNINSTALL
; Silent use: setup.exe /S [/ADDTOPATH] [/D=C:\some\folder]; Uninstall.exe /S.
Unicode true
Target amd64-unicode
; The name users look for (kivra-<version>-setup.exe) carries "setup"; the
; stub's manifest already turns Windows' installer guessing off.
!pragma warning disable 9000
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivra"
!define MENU "$SMPROGRAMS\Kivra"
!define DEMO_LINK "Trova demo (simulated controller).lnk"
; The installed folder, for the Python package to find KivraLibrary.dll in.
!define KIVRA_KEY "Software\Kivra"
; The user's own PATH, and the record of what this installer added to it.
!define ENV_KEY "Environment"

Name "Kivra ${VERSION}"
Caption "Kivra ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kivra"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Kivra"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Kivra ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Kivra" SecMain
    SectionIn RO
    !include "${FILES_INSTALL}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${MENU}"
    SetOutPath "$INSTDIR"
    CreateShortcut "${MENU}\光学电动快门 Trova.lnk" "$INSTDIR\Trova.exe"
    CreateShortcut "${MENU}\${DEMO_LINK}" "$INSTDIR\kivra-demo.exe" "" "$INSTDIR\Trova.exe" 0
    CreateShortcut "${MENU}\Kivra软件使用说明书.lnk" "$INSTDIR\help\Kivra软件使用说明书.pdf"
    CreateShortcut "${MENU}\Kivra User Manual.lnk" "$INSTDIR\help\Kivra-User-Manual-en.pdf"
    CreateShortcut "${MENU}\Uninstall Kivra.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kivra Shutter Control"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Trova.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKLM "${KIVRA_KEY}" "InstallDir" "$INSTDIR"
SectionEnd

; An NSIS string holds at most NSIS_MAX_STRLEN characters: a PATH that long
; comes back cut short, and writing it would lose the rest, so it is left
; alone and the user told.
Section /o "kivra.exe on your PATH" SecPath
    ReadRegStr $0 HKCU "${ENV_KEY}" "Path"
    StrLen $1 $0
    ${If} $1 >= ${NSIS_MAX_STRLEN}
        MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the installer to change \
            safely; add $INSTDIR to it yourself." /SD IDOK
        Return
    ${EndIf}
    ${WordAdd} "$0" ";" "+$INSTDIR" $2
    ${If} $2 == $0
        Return ; already there: not ours to remove later
    ${EndIf}
    WriteRegExpandStr HKCU "${ENV_KEY}" "Path" "$2"
    WriteRegStr HKCU "${KIVRA_KEY}" "PathEntry" "$INSTDIR"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

; 64-bit registry and the Start menu of all users, in both programs (after
; the sections, whose indexes .onInit selects by).
Function .onInit
    SetRegView 64
    SetShellVarContext all
    ; /ADDTOPATH chooses the PATH option without the components page.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/ADDTOPATH" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecPath}
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    Delete "${MENU}\光学电动快门 Trova.lnk"
    Delete "${MENU}\${DEMO_LINK}"
    Delete "${MENU}\Kivra软件使用说明书.lnk"
    Delete "${MENU}\Kivra User Manual.lnk"
    Delete "${MENU}\Uninstall Kivra.lnk"
    RMDir "${MENU}"

    ; Files by name and folders only when empty: nothing else is touched.
    !include "${FILES_UNINSTALL}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegValue HKLM "${KIVRA_KEY}" "InstallDir"
    DeleteRegKey /ifempty HKLM "${KIVRA_KEY}"

    ; The PATH entry this installer added, and nothing else of the PATH.
    ReadRegStr $0 HKCU "${KIVRA_KEY}" "PathEntry"
    ${If} $0 != ""
        ReadRegStr $1 HKCU "${ENV_KEY}" "Path"
        StrLen $2 $1
        ${If} $2 < ${NSIS_MAX_STRLEN}
            ${un.WordAdd} "$1" ";" "-$0" $3
            WriteRegExpandStr HKCU "${ENV_KEY}" "Path" "$3"
            SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
        ${EndIf}
        DeleteRegValue HKCU "${KIVRA_KEY}" "PathEntry"
        DeleteRegKey /ifempty HKCU "${KIVRA_KEY}"
    ${EndIf}
SectionEnd
