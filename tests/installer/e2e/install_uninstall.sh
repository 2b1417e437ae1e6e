# The setup program and the product's uninstall, end to end in a fresh
# prefix: a silent install puts the files, the Run and the Uninstall entries
# in place and starts Keydeck with the sample keymap; an install over the
# running Keydeck ends it first; the Uninstall entry's command (asked, then
# the silent one) ends Keydeck and removes every file, folder and key of the
# product, restoring the audio-CD AutoPlay command; a second run of the
# script harms nothing. Listings of the prefix before and after must agree
# but for the differences lib.sh allows.
. "$KD_SRC/tests/installer/e2e/lib.sh"

check "setup program built" present "$([ -f "$SETUP" ] && echo present || echo absent)"
FILES="keydeck.exe kbdrelay.dll keyhook.dll sweepall.exe qKeymap.reg Uninstall.ini"
WINDIR='C:\Program Files\Keydeck'
AUTOPLAY='HKCR\AudioCD\shell\play\command'

# A stock system's CD Player command, as Sweepall writes it back.
if [ "$WINE_VERSION_NAME" = win98 ]; then stock='C:\windows\cdplayer /play'
else stock='C:\windows\system32\cdplayer /play %1'; fi
timeout 30 wine reg add "$AUTOPLAY" /ve /d "$stock" /f >/dev/null 2>&1 </dev/null
reg_default() {
  timeout 30 wine reg query "$1" /ve 2>/dev/null </dev/null | tr -d '\r' |
    awk '$1 == "(Default)" { sub(/^[ \t]*\(Default\)[ \t]+REG_[A-Z_]+[ \t]*/, ""); print }'
}

# Ends the uninstall started last: all programs end, then a restart of the
# prefix removes the temporary copy of Sweepall as the next start of
# Windows would.
end_uninstall() {  # NAME
  all_ended 120
  check "$1: every program ended, Keydeck too" 0 "$?"
  # The temporary folder is the user's (C:\users\<name>\Temp) on the NT
  # family, C:\windows\temp on the 9x family.
  copy=$(cd "$C" && find . -iname 'swp*.exe' | head -n1)
  check "$1: Sweepall ran from a copy in the temporary folder" yes "$([ -n "$copy" ] && echo yes || echo no)"
  if [ "$WINE_VERSION_NAME" = win98 ]; then
    wininit=$(find "$C/windows" -maxdepth 1 -iname wininit.ini | head -n1)
    marked=$(tr -d '\r' <"${wininit:-/dev/null}" | grep -ic "^NUL=.*SWP")
  else
    # Wine keeps the value beside the CurrentControlSet link, where reg.exe
    # does not look; the saved registry shows it.
    marked=$(grep -ic '^"PendingFileRenameOperations"=.*swp' "$WINEPREFIX/system.reg")
  fi
  check "$1: the copy is marked for deletion at the next start" 1 "$marked"
  timeout 60 wine wineboot -r >"$KD_RUN/wineboot.log" 2>&1 </dev/null
  all_ended 60
  check "$1: the copy is gone after the restart" absent \
    "$([ -n "$copy" ] && [ -e "$C/$copy" ] && echo present || echo absent)"
}

snapshot before

echo "== silent install"
timeout 180 wine "$SETUP" /S >"$KD_RUN/setup1.log" 2>&1 </dev/null
check "setup /S ended with" 0 "$?"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 30000 >/dev/null
check "Keydeck started at the end" yes "$(keydeck_window)"
for f in $FILES; do check "installed $f" present "$([ -f "$DIR/$f" ] && echo present || echo absent)"; done
check "hidrelay.dll not installed" absent "$([ -e "$DIR/hidrelay.dll" ] && echo present || echo absent)"
check "uninstall script names the folder" 1 "$(tr -d '\r' <"$DIR/Uninstall.ini" | grep -cxF "\"$WINDIR\\keydeck.exe\" /q")"
check "no placeholder left in the script" 0 "$(grep -c '@INSTDIR@' "$DIR/Uninstall.ini")"
check "Run entry" "\"$WINDIR\\keydeck.exe\"" "$(reg_value "$RUNKEY" Keydeck)"
check "Uninstall DisplayName" Keydeck "$(reg_value "HKLM\\$ARP" DisplayName)"
check "Uninstall DisplayIcon" "$WINDIR\\keydeck.exe,0" "$(reg_value "HKLM\\$ARP" DisplayIcon)"
check "Uninstall Publisher" Tessaro "$(reg_value "HKLM\\$ARP" Publisher)"
check "Uninstall DisplayVersion" 1.0.0 "$(reg_value "HKLM\\$ARP" DisplayVersion)"
check "UninstallString" "\"$WINDIR\\sweepall.exe\" /T $WINDIR\\Uninstall.ini" \
  "$(reg_value "HKLM\\$ARP" UninstallString)"
check "QuietUninstallString" "\"$WINDIR\\sweepall.exe\" /T /S $WINDIR\\Uninstall.ini" \
  "$(reg_value "HKLM\\$ARP" QuietUninstallString)"
check "sample keymap imported: read side" yes \
  "$(reg_value 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' ScanCode | grep -qi '^216b6d' && echo yes || echo no)"
check "sample keymap imported: write side" RF2400 "$(reg_default 'HKLM\SOFTWARE\Tessaro')"
check "no error box" 1 "$(wt boxtext - 1000 >/dev/null; echo $?)"

echo "== install over the running Keydeck"
first=$(wt pid TSetupFrm "WIRELESS KEYBOARD SETUP")
timeout 180 wine "$SETUP" /S >"$KD_RUN/setup2.log" 2>&1 </dev/null
check "second setup /S ended with" 0 "$?"
check "no 'already installed' box" 1 "$(wt waitbox "already installed" 3000 >/dev/null; echo $?)"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 30000 >/dev/null
second=$(wt pid TSetupFrm "WIRELESS KEYBOARD SETUP")
check "the running Keydeck was ended and a new one started" yes \
  "$([ -n "$first" ] && [ -n "$second" ] && [ "$first" != "$second" ] && echo yes || echo no)"

echo "== Keydeck takes the AutoPlay command (player choice 2, reloaded with /u)"
timeout 30 wine reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v Player /t REG_DWORD /d 2 /f \
  >/dev/null 2>&1 </dev/null
(cd "$DIR" && timeout 30 wine keydeck.exe /u >"$KD_RUN/reload.log" 2>&1 </dev/null)
sleep 1
check "AutoPlay command points at Keydeck" "$WINDIR\\keydeck.exe /p %1" "$(reg_default "$AUTOPLAY")"

echo "== uninstall from Add/Remove Programs (asked, answered Yes)"
rm -f "$C/sweepall.log"
check "UninstallString started and ended with" 0 "$(wt runreg "$ARP" UninstallString 30000)"
question=$(wt boxtext Keydeck 30000)
check "the copy asks first" yes "$([ -n "$question" ] && echo yes || echo no)"
check "question answered Yes" 0 "$(wt press Keydeck yes 10000 >/dev/null; echo $?)"
end_uninstall "asked uninstall"
check "AutoPlay command restored" "$stock" "$(reg_default "$AUTOPLAY")"
check "log written" 1 "$(tr -d '\r' <"$C/sweepall.log" 2>/dev/null | grep -c "^Delete File : $(printf '%s' "$WINDIR" | sed 's/\\/\\\\/g')\\\\keydeck.exe-->Remove Successful !")"
cp "$C/sweepall.log" "$KD_RUN/asked.log" 2>/dev/null
snapshot asked
left=$(differences before asked)
check "nothing of the product left after the asked uninstall" "" "$left"
extra=$(LC_ALL=C comm -13 "$KD_RUN/before.winini" "$KD_RUN/asked.winini" | tr '\n' ' ')
gone=$(LC_ALL=C comm -23 "$KD_RUN/before.winini" "$KD_RUN/asked.winini" | tr '\n' ' ')
check "win.ini lost nothing" "" "$gone"
check "win.ini: only the .dat MCI driver added" "" "$(echo "$extra" | sed 's/\[mci extensions\] //; s/dat=MPEGVideo //')"

echo "== silent install, then the silent uninstall"
timeout 180 wine "$SETUP" /S >"$KD_RUN/setup3.log" 2>&1 </dev/null
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 30000 >/dev/null
check "Keydeck runs again" yes "$(keydeck_window)"
mkdir -p "$C/kept" && cp "$DIR/Uninstall.ini" "$DIR/sweepall.exe" "$C/kept/"
check "QuietUninstallString started and ended with" 0 "$(wt runreg "$ARP" QuietUninstallString 30000)"
check "no question" 1 "$(wt boxtext - 3000 >/dev/null; echo $?)"
end_uninstall "silent uninstall"
mv "$C/kept" "$KD_RUN/kept"
snapshot silent
left=$(differences before silent)
check "nothing of the product left after the silent uninstall" "" "$left"

echo "== a second uninstall harms nothing"
check "the Uninstall entry is gone" 1 "$(wt runreg "$ARP" QuietUninstallString 5000 >/dev/null; echo $?)"
mv "$KD_RUN/kept" "$C/kept"
timeout 60 wine 'C:\kept\sweepall.exe' /S 'C:\kept\Uninstall.ini' >"$KD_RUN/again.log" 2>&1 </dev/null
check "second run ended with" 0 "$?"
check "second run found nothing" 6 "$(tr -d '\r' <"$C/sweepall.log" | grep -c '^Not Found : ')"
mv "$C/kept" "$KD_RUN/kept"
snapshot again
check "second run changed nothing" "" "$(differences silent again)"
finish
