; Installer of Nuvaro for Windows: per user (no administrator), Start-menu entry, uninstaller.
; The program stays portable: its settings and logs lie beside the executable, in the folder
; chosen here. makensis -DDIST=<portable folder> -DOUT=<setup.exe> -DVERSION=<x.y.z>

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

Name "Nuvaro"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\Nuvaro"
InstallDirRegKey HKCU "Software\Nuvaro" "InstallDir"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Nuvaro"
VIAddVersionKey /LANG=2052 "FileDescription" "Nuvaro 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Nuvaro"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nuvaro"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\nuvaro.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Nuvaro"
  SetOutPath "$INSTDIR"
  File "${DIST}\nuvaro.exe"
  File "${DIST}\RegInfo.dll"
  File "${DIST}\smsdll.dll"
  File "${DIST}\emaildll.dll"
  File "${DIST}\help.html"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Nuvaro"
  CreateShortcut "$SMPROGRAMS\Nuvaro\Nuvaro.lnk" "$INSTDIR\nuvaro.exe"
  CreateShortcut "$SMPROGRAMS\Nuvaro\卸载 Nuvaro.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Nuvaro" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Nuvaro"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nuvaro.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's files go; the user's settings and logs beside them stay, as the user's data.
Section "Uninstall"
  Delete "$INSTDIR\nuvaro.exe"
  Delete "$INSTDIR\RegInfo.dll"
  Delete "$INSTDIR\smsdll.dll"
  Delete "$INSTDIR\emaildll.dll"
  Delete "$INSTDIR\help.html"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Nuvaro\Nuvaro.lnk"
  Delete "$SMPROGRAMS\Nuvaro\卸载 Nuvaro.lnk"
  RMDir "$SMPROGRAMS\Nuvaro"
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "Zelvra"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Nuvaro"
SectionEnd
