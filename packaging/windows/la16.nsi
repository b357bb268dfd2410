; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of la16: la16.exe, la16-capture.exe and the guide
; under Program Files, a Start menu entry, sigrok sessions (.sr) opened by
; la16, and an uninstaller that Windows lists with the installed programs.
; scripts/windows-installer builds it with Debian's makensis:
;   makensis -DVERSION=1.6 -DLA16=<la16.exe> -DCAPTURE=<la16-capture.exe>
;            -DGUIDE=<docs/guide> -DNOTICES=<SOURCES.txt and licences\>
;            -DLICENCE=<COPYING>
;            -DOUTFILE=<la16-setup-1.6.exe> -DSIZE_KB=<installed size> la16.nsi
; Silent: la16-setup-1.6.exe /S, then "<folder>\uninstall.exe" /S.

Unicode true
; A 64-bit installer: 64-bit Windows (and Debian's 64-bit Wine) runs it as is,
; and it writes to the 64-bit Program Files and registry.
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | LA16 | CAPTURE | GUIDE | NOTICES | LICENCE | OUTFILE | SIZE_KB
  !error "give -DVERSION, -DLA16, -DCAPTURE, -DGUIDE, -DNOTICES, -DLICENCE, -DOUTFILE and -DSIZE_KB"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\la16"
!define SESSION_CLASS "la16.session"
; SHChangeNotify: file associations changed.
!define SHCNE_ASSOCCHANGED 0x08000000

!include "MUI2.nsh"

Name "la16 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\la16"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1036 "ProductName" "la16"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de la16 ${VERSION}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "la16"

!define MUI_FINISHPAGE_RUN "$INSTDIR\la16.exe"
; The GPL asks nothing of whoever only runs the program: shown, not accepted.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "la16 est un logiciel libre, sous licence GNU GPL version 3 ou ultérieure. \
  Elle vous permet de le copier, de le modifier et de le redistribuer ; elle est installée, \
  avec les notices de ce que la16.exe contient, dans le dossier licences."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

Function .onInit
  ; The Start menu entry is for every user of the machine.
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "la16"
  SetOutPath "$INSTDIR"
  File "${LA16}"
  File "${CAPTURE}"
  ; The licences of la16 and of everything la16.exe carries (Qt and the
  ; libraries inside it, libzip, zlib, the MinGW runtime, the picture's font)
  ; go with every copy, and SOURCES.txt says where their sources are.
  File /r "${NOTICES}\*"
  ; Beside the program, where la16 looks for its guide.
  SetOutPath "$INSTDIR\docs\guide"
  File /r "${GUIDE}\*"
  SetOutPath "$INSTDIR"

  CreateShortCut "$SMPROGRAMS\la16.lnk" "$INSTDIR\la16.exe" "" "$INSTDIR\la16.exe" 0

  ; A double click on a sigrok session opens it in la16.
  WriteRegStr HKLM "Software\Classes\.sr" "" "${SESSION_CLASS}"
  WriteRegStr HKLM "Software\Classes\.sr\OpenWithProgids" "${SESSION_CLASS}" ""
  WriteRegStr HKLM "Software\Classes\${SESSION_CLASS}" "" "Session sigrok"
  WriteRegStr HKLM "Software\Classes\${SESSION_CLASS}\DefaultIcon" "" "$INSTDIR\la16.exe,0"
  WriteRegStr HKLM "Software\Classes\${SESSION_CLASS}\shell\open\command" "" \
    '"$INSTDIR\la16.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "la16"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "la16"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\la16.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Windows shows it.
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "${SIZE_KB}"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\la16.exe"
  Delete "$INSTDIR\la16-capture.exe"
  Delete "$INSTDIR\SOURCES.txt"
  RMDir /r "$INSTDIR\licences"
  RMDir /r "$INSTDIR\docs\guide"
  RMDir "$INSTDIR\docs"
  Delete "$SMPROGRAMS\la16.lnk"

  ; .sr goes back to no program only when it is still ours.
  ReadRegStr $0 HKLM "Software\Classes\.sr" ""
  StrCmp $0 "${SESSION_CLASS}" 0 +2
    DeleteRegValue HKLM "Software\Classes\.sr" ""
  DeleteRegValue HKLM "Software\Classes\.sr\OpenWithProgids" "${SESSION_CLASS}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.sr\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.sr"
  DeleteRegKey HKLM "Software\Classes\${SESSION_CLASS}"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: whatever else is in the folder is not ours to delete.
  RMDir "$INSTDIR"
SectionEnd
