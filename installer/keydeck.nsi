; Keydeck's setup program. Built by scripts/package.sh:
;   makensis -DBIN=<deliverables> -DSRC=<repository> -DOUTFILE=<setup.exe> keydeck.nsi
; An ANSI installer with the classic pages, so that it runs on Windows 95 to XP
; and later. /S installs without pages or questions.

Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin
XPStyle on

!define PRODUCT "Keydeck"
!define VERSION "1.0.0"
!define PUBLISHER "Tessaro"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Keydeck's control form: "keydeck /q" posts WM_QUIT to it.
!define KD_CLASS "TSetupFrm"
!define KD_TITLE "WIRELESS KEYBOARD SETUP"

!include "LogicLib.nsh"
!include "WordFunc.nsh"
!include "TextFunc.nsh"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
BrandingText "${PRODUCT} ${VERSION}"
Icon "${SRC}\keydeck\resources\keydeck.ico"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

DirText "Setup will install ${PRODUCT}, the hotkey software of the wireless keyboard, in the folder below. Keydeck starts at log-on; Add/Remove Programs removes it again." \
  "Program folder"
Page directory
Page instfiles

; Ends a running Keydeck with "keydeck /q" (the copy about to be installed,
; run from the temporary folder with the two libraries it links), then waits
; until its control form has gone and the process had time to end.
Function EndRunningKeydeck
  FindWindow $0 "${KD_CLASS}" "${KD_TITLE}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "Ending the running Keydeck"
  SetOutPath "$PLUGINSDIR\quit"
  File "${BIN}\keydeck.exe"
  File "${BIN}\kbdrelay.dll"
  File "${BIN}\keyhook.dll"
  ExecWait '"$PLUGINSDIR\quit\keydeck.exe" /q'
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${KD_CLASS}" "${KD_TITLE}"
    ${If} $0 = 0
    ${OrIf} $1 >= 50
      ${Break}
    ${EndIf}
    Sleep 200
    IntOp $1 $1 + 1
  ${Loop}
  ; The window goes before the process has ended and let go of its files.
  Sleep 1000
  SetOutPath "$INSTDIR"
FunctionEnd

; Writes the uninstall script into the program folder, with the folder's
; own path in place of @INSTDIR@, as CR LF lines.
Function WriteUninstallScript
  File "/oname=$PLUGINSDIR\uninstall.ini" "${SRC}\installer\uninstall.ini"
  FileOpen $0 "$PLUGINSDIR\uninstall.ini" r
  FileOpen $1 "$INSTDIR\Uninstall.ini" w
  ${Do}
    ClearErrors
    FileRead $0 $2
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    ${TrimNewLines} "$2" $2
    ${WordReplace} "$2" "@INSTDIR@" "$INSTDIR" "+" $2
    FileWrite $1 "$2$\r$\n"
  ${Loop}
  FileClose $1
  FileClose $0
FunctionEnd

Function .onInit
  InitPluginsDir
FunctionEnd

Section "Keydeck"
  SetOutPath "$INSTDIR"
  Call EndRunningKeydeck
  File "${BIN}\keydeck.exe"
  File "${BIN}\kbdrelay.dll"
  File "${BIN}\keyhook.dll"
  File "${BIN}\sweepall.exe"
  File "${SRC}\keydeck\resources\qKeymap.reg"
  Call WriteUninstallScript

  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\keydeck.exe"'

  ; Sweepall runs from a copy in the temporary folder (/T), so that it can
  ; remove the program folder with its own file; /S asks no questions.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\keydeck.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\sweepall.exe" /T $INSTDIR\Uninstall.ini'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\sweepall.exe" /T /S $INSTDIR\Uninstall.ini'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Keydeck starts in its folder: on its first start it imports qKeymap.reg
; from the current directory.
Function .onInstSuccess
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\keydeck.exe"'
FunctionEnd
