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
; The audio-CD AutoPlay command Keydeck may point at itself, and the value
; of the Add/Remove Programs entry that keeps the one from before Keydeck
; (Sweepall's "[Au" section puts that one back).
!define AUTOPLAY_KEY "AudioCD\shell\play\command"
!define KEPT_AUTOPLAY "AudioCDCommand"
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

; Keeps the audio-CD AutoPlay command from before Keydeck in the Add/Remove
; Programs entry, with its type (an expandable string names folders such as
; %ProgramFiles%). An install over an earlier one keeps what that one kept;
; Keydeck's own command ('"...\keydeck.exe" /p %1') is never kept. With no
; command, nothing is kept and the uninstall writes the CD Player's.
Function KeepAutoPlayCommand
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${KEPT_AUTOPLAY}"
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKCR "${AUTOPLAY_KEY}" ""
  ${If} ${Errors}
    Return
  ${EndIf}
  StrCpy $1 $0 "" -18
  ${If} $1 == 'keydeck.exe" /p %1'
    Return
  ${EndIf}
  ; NSIS reads both string types alike; the type comes from the registry.
  StrCpy $3 0
  System::Call 'advapi32::RegOpenKeyExA(i 0x80000000, t "${AUTOPLAY_KEY}", i 0, i 0x20019, *i .r2) i .r4'
  ${If} $4 = 0
    System::Call 'advapi32::RegQueryValueExA(i r2, t "", i 0, *i .r3, i 0, i 0) i .r4'
    System::Call 'advapi32::RegCloseKey(i r2)'
  ${EndIf}
  ${If} $3 = 2
    WriteRegExpandStr HKLM "${UNINSTALL_KEY}" "${KEPT_AUTOPLAY}" $0
  ${Else}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${KEPT_AUTOPLAY}" $0
  ${EndIf}
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
  Call KeepAutoPlayCommand

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
