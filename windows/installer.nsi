; The installer of the Windows programs, per machine under Program Files.
;   makensis -DVERSION=2.0 -DSTAGE=<the staged programs> -DICON=<tavrix.ico> -DOUTFILE=<setup.exe>
;            -DINSTALLFILES=<File lines> -DFILELIST=<Delete lines> -DLICENCE=<licence page text>
;            [-DSIGN=<signing script>] installer.nsi
; Built from the same files it gives the same bytes: the files are named in a fixed order
; and carry fixed times, and nothing here reads the clock.
; A 64-bit installer for the 64-bit programs: it needs no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma

!define NAME "Конфигуратор Tavrix"
!define FOLDER "Tavrix Configurator"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TavrixConfigurator"

!ifdef SIGN
; The uninstaller is written out at install time from data inside the installer: it is
; signed here, before that data is packed.
!uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Name "${NAME}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${FOLDER}"
RequestExecutionLevel admin
ManifestDPIAware true
BrandingText "${NAME} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "Tavrix Configurator"
VIAddVersionKey /LANG=0 "FileDescription" "Tavrix Configurator setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "Tavrix"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 The Tavrix configurator developers, MIT licence"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavrix-configurator.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  !include "${INSTALLFILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\tavrix-configurator.exe" "" "$INSTDIR\tavrix-configurator.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tavrix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavrix-configurator.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${NAME}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Only what the installer put there: files the user left in the folder stay.
  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
