; The Windows installer: the program's folder (Trova.exe, KivraLibrary.dll,
; trans_en_US.qm, font.ttf, help\ with the manuals and the SDK) into
; Program Files\Kivra, Start-menu entries, and an entry in the system's list
; of installed programs. The uninstaller removes exactly the files the
; installer wrote and the folders it made, so a user's own files (a
; config.ini left beside the program) and the folder holding them stay.
; make-installer.sh lists the files and passes the defines:
;   VERSION, PUBLISHER, OUTFILE, SIZE_KB, FILES_INSTALL, FILES_UNINSTALL
; Silent use: setup.exe /S [/D=C:\some\folder]; Uninstall.exe /S.
Unicode true
Target amd64-unicode
; The name users look for (kivra-<version>-setup.exe) carries "setup"; the
; stub's manifest already turns Windows' installer guessing off.
!pragma warning disable 9000
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivra"
!define MENU "$SMPROGRAMS\Kivra"

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

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; 64-bit registry and the Start menu of all users, in both programs.
Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Kivra"
    !include "${FILES_INSTALL}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${MENU}"
    SetOutPath "$INSTDIR"
    CreateShortcut "${MENU}\光学电动快门 Trova.lnk" "$INSTDIR\Trova.exe"
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
SectionEnd

Section "Uninstall"
    Delete "${MENU}\光学电动快门 Trova.lnk"
    Delete "${MENU}\Kivra软件使用说明书.lnk"
    Delete "${MENU}\Kivra User Manual.lnk"
    Delete "${MENU}\Uninstall Kivra.lnk"
    RMDir "${MENU}"

    ; Files by name and folders only when empty: nothing else is touched.
    !include "${FILES_UNINSTALL}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
