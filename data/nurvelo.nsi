; The installer of Nurvelo for 64-bit Windows, made with NSIS:
;
;   makensis -DVERSION=1.00 -DVERSION4=1.0.0.0 -DPROGRAM=Nurvelo.exe -DICON=nurvelo.ico
;            -DOUTFILE=Nurvelo-1.00-setup.exe nurvelo.nsi
;
; It installs for the current user without administrator rights, or for all users when run as
; administrator; /S installs silently. Qt 6 runs on 64-bit Windows only, so the installer is a
; 64-bit program too.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user
; Nurvelo-1.00-setup.exe is the name people look for; its manifest keeps Windows from guessing
; from that name that it needs administrator rights.
!pragma warning disable 9000

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nurvelo"

Name "Nurvelo"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Nurvelo"
BrandingText "Nurvelo ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Nurvelo.exe"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Nurvelo"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "Nurvelo"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Nurvelo ${VERSION} installieren"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "GPL 3 oder neuer"

; Run as administrator, for everyone: the programs folder, the common Start menu and HKLM.
Function .onInit
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        SetShellVarContext all
        StrCpy $INSTDIR "$PROGRAMFILES64\Nurvelo"
    ${EndIf}
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File "/oname=Nurvelo.exe" "${PROGRAM}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Nurvelo.lnk" "$INSTDIR\Nurvelo.exe" "" "$INSTDIR\Nurvelo.exe" 0

    ; The entry in "Apps and features"; SHCTX is HKLM for everyone, HKCU for one user.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Nurvelo"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nurvelo.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Nurvelo"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Installed for everyone when the entry in HKLM names this folder.
Function un.onInit
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Nurvelo.lnk"
    Delete "$INSTDIR\Nurvelo.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
