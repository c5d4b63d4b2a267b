; The Windows installer: Petalrain.scr into the 64-bit System32, where every user's
; screen-saver list finds it, an uninstaller, and (on by default) Petalrain as the current
; user's screen saver. Built by the Windows build's "installer" target:
; makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DFILE_VERSION=1.0.0.0 -DSTAGE=DIR -DICON=ICO
;          -DOUTFILE=SETUP.EXE Petalrain.nsi
; STAGE holds Petalrain.scr and LICENSE.txt with fixed modification times: makensis stores
; the times, and fixed ones give the same bytes on every build.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Petalrain"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SCR "$SYSDIR\Petalrain.scr"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3
; ERROR_ELEVATION_REQUIRED, the exit code when the rights are missing
!define EXIT_NEEDS_ADMIN 740

Name "Petalrain"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Petalrain"
BrandingText "Petalrain ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for UI languages that are neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SectionSaver ${LANG_ENGLISH} "Petalrain screen saver (for every user)"
LangString SectionSaver ${LANG_JAPANESE} "Petalrain スクリーンセーバー (すべてのユーザー)"
LangString SectionCurrent ${LANG_ENGLISH} "Make Petalrain my screen saver"
LangString SectionCurrent ${LANG_JAPANESE} "Petalrain を使用するスクリーンセーバーにする"
LangString NeedsAdmin ${LANG_ENGLISH} "Installing Petalrain needs administrator rights: it puts the screen saver into the Windows system folder for every user.$\r$\nRun the installer as an administrator. Nothing has been changed."
LangString NeedsAdmin ${LANG_JAPANESE} "Petalrain のインストールには管理者の権限が必要です (スクリーンセーバーをすべてのユーザー用に Windows のシステム フォルダーへ入れるため)。$\r$\n管理者としてインストーラーを実行してください。何も変更していません。"
LangString UnNeedsAdmin ${LANG_ENGLISH} "Removing Petalrain needs administrator rights.$\r$\nRun the uninstaller as an administrator. Nothing has been changed."
LangString UnNeedsAdmin ${LANG_JAPANESE} "Petalrain のアンインストールには管理者の権限が必要です。$\r$\n管理者としてアンインストーラーを実行してください。何も変更していません。"

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Petalrain"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Petalrain installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "The Petalrain authors"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "Copyright (c) 2026 The Petalrain authors"

; Checked before any page or section, so that a refusal leaves everything as it was.
!macro REQUIRE_ADMIN message
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "$(${message})" /SD IDOK
        SetErrorLevel ${EXIT_NEEDS_ADMIN}
        Quit
    ${EndIf}
!macroend

Function .onInit
    !insertmacro REQUIRE_ADMIN NeedsAdmin
FunctionEnd

Function un.onInit
    !insertmacro REQUIRE_ADMIN UnNeedsAdmin
FunctionEnd

Section "$(SectionSaver)" SectionSaver
    SectionIn RO
    ; A 64-bit installer sees the real System32 as $SYSDIR. Files of an earlier install
    ; are the same names, so they are overwritten.
    SetOutPath $SYSDIR
    File "${STAGE}\Petalrain.scr"
    SetOutPath $INSTDIR
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "Petalrain"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "The Petalrain authors"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "${SCR}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
    SectionGetSize ${SectionSaver} $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

; HKCU here is the user who ran the installer, the one who gave the administrator rights.
; The screen-saver switch as it was before goes into the uninstall key, for the uninstaller to
; put back; an install over one that already chose Petalrain keeps the first record.
Section "$(SectionCurrent)" SectionCurrent
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
    ${If} $0 != "${SCR}"
        ClearErrors
        ReadRegStr $1 HKCU "${DESKTOP_KEY}" ScreenSaveActive
        ${If} ${Errors}
            StrCpy $1 "none"
        ${EndIf}
        WriteRegStr HKLM "${UNINSTALL_KEY}" ScreenSaveActiveBefore $1
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE "${SCR}"
    WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive "1"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
SectionEnd

Section "Uninstall"
    ; The screen saver setting is cleared, and its switch put back, only where it names the
    ; file removed here, in its long or short form. The user's settings key
    ; Control Panel\ScreenSaver\Petalrain stays, as user data does.
    GetFullPathName /SHORT $1 "${SCR}"
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
    ${If} $0 == "${SCR}"
    ${OrIf} $0 == $1
    ${AndIf} $0 != ""
        DeleteRegValue HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
        ReadRegStr $2 HKLM "${UNINSTALL_KEY}" ScreenSaveActiveBefore
        ${If} $2 == "none"
            DeleteRegValue HKCU "${DESKTOP_KEY}" ScreenSaveActive
        ${ElseIf} $2 != ""
            WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive $2
        ${EndIf}
    ${EndIf}

    Delete "${SCR}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
