# The setup program and the product's uninstall, end to end in a fresh
# prefix that holds another product's keys under both vendor keys, an
# earlier AutoPlay command and an earlier c:\sweepall.log: a silent install
# puts the files, the Run and the Uninstall entries in place, keeps the
# AutoPlay command and starts Keydeck with the sample keymap; Keydeck takes
# the AutoPlay command; an install over the running Keydeck ends it first
# and keeps the earlier command still; the Uninstall entry's command,
# answered Yes while Keydeck runs, ends Keydeck and removes every file,
# folder and key of the product, puts the earlier AutoPlay command back and
# leaves the other product and the log alone. A second install and a
# silent uninstall started in the program folder with a relative script
# name (foreign scripts lying in its way) remove the vendor keys that are
# then empty; a second run of the script harms nothing. Listings of the
# prefix before and after must agree but for the differences lib.sh allows.
. "$KD_SRC/tests/installer/e2e/lib.sh"

check "setup program built" present "$([ -f "$SETUP_EXE" ] && echo present || echo absent)"
FILES="keydeck.exe kbdrelay.dll keyhook.dll sweepall.exe qKeymap.reg Uninstall.ini"
WINDIR='C:\Program Files\Keydeck'
AUTOPLAY='HKCR\AudioCD\shell\play\command'

# A stock system's CD Player command, as Sweepall writes it when nothing
# was kept, and an earlier player's command, an expandable string.
if [ "$WINE_VERSION_NAME" = win98 ]; then stock='C:\windows\cdplayer /play'
else stock='C:\windows\system32\cdplayer /play %1'; fi
earlier='"%ProgramFiles%\Disc Player\player.exe" /cd "%1"'
reg add "$AUTOPLAY" /ve /t REG_EXPAND_SZ /d "$earlier" /f
# Another product of the vendor, under both vendor keys.
reg add 'HKLM\SOFTWARE\TessaroVantik\Mouse' /v Speed /d 3 /f
reg add 'HKLM\SOFTWARE\Tessaro\Mouse\Buttons' /v Count /t REG_DWORD /d 5 /f
printf 'an earlier log\r\n' >"$C/sweepall.log"

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
timeout 180 wine "$SETUP_EXE" /S >"$KD_RUN/setup1.log" 2>&1 </dev/null
check "setup /S ended with" 0 "$?"
wt wait "${SETUP[@]}" 30000 >/dev/null
check "Keydeck started at the end" yes "$(keydeck_window)"
for f in $FILES; do check "installed $f" present "$([ -f "$DIR/$f" ] && echo present || echo absent)"; done
check "hidrelay.dll not installed" absent "$(exists "$DIR/hidrelay.dll")"
check "uninstall script names the folder twice" 2 "$(tr -d '\r' <"$DIR/Uninstall.ini" | grep -cxF "$WINDIR")"
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
check "sample keymap imported: write side" RF2400 "$(reg_value 'HKLM\SOFTWARE\Tessaro' "")"
check "no error box" 1 "$(wt boxtext - 1000 >/dev/null; echo $?)"
check "the earlier AutoPlay command kept" "$earlier" "$(reg_value "HKLM\\$ARP" AudioCDCommand)"
check "... with its type" REG_EXPAND_SZ "$(reg_type "HKLM\\$ARP" AudioCDCommand)"

echo "== Keydeck takes the AutoPlay command (player choice 2, reloaded with /u)"
reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v Player /t REG_DWORD /d 2 /f
(cd "$DIR" && timeout 30 wine keydeck.exe /u >"$KD_RUN/reload.log" 2>&1 </dev/null)
check "AutoPlay command points at Keydeck" "\"$WINDIR\\keydeck.exe\" /p %1" \
  "$(wait_for 5 "\"$WINDIR\\keydeck.exe\" /p %1" reg_value "$AUTOPLAY" "")"

echo "== install over the running Keydeck"
first=$(wt pid "${SETUP[@]}")
timeout 180 wine "$SETUP_EXE" /S >"$KD_RUN/setup2.log" 2>&1 </dev/null
check "second setup /S ended with" 0 "$?"
check "no 'already installed' box" 1 "$(wt waitbox "already installed" 3000 >/dev/null; echo $?)"
wt wait "${SETUP[@]}" 30000 >/dev/null
second=$(wt pid "${SETUP[@]}")
check "the running Keydeck was ended and a new one started" yes \
  "$([ -n "$first" ] && [ -n "$second" ] && [ "$first" != "$second" ] && echo yes || echo no)"
check "the reinstall keeps the earlier command, not Keydeck's" "$earlier" \
  "$(reg_value "HKLM\\$ARP" AudioCDCommand)"

echo "== uninstall from Add/Remove Programs while Keydeck runs (asked, answered Yes)"
check "Keydeck runs" yes "$(keydeck_window)"
check "UninstallString started and ended with" 0 "$(wt runreg "$ARP" UninstallString 30000)"
question=$(wt boxtext Keydeck 30000)
check "the copy asks first" yes "$([ -n "$question" ] && echo yes || echo no)"
check "question answered Yes" 0 "$(wt press Keydeck yes 10000 >/dev/null; echo $?)"
end_uninstall "asked uninstall"
check "the earlier AutoPlay command is back" "$earlier" "$(reg_value "$AUTOPLAY" "")"
check "... with its type" REG_EXPAND_SZ "$(reg_type "$AUTOPLAY" "")"
check "the other product's key under TessaroVantik" 3 "$(reg_value 'HKLM\SOFTWARE\TessaroVantik\Mouse' Speed)"
check "the other product's key under Tessaro" 0x5 "$(reg_value 'HKLM\SOFTWARE\Tessaro\Mouse\Buttons' Count)"
check "the earlier log untouched" "an earlier log" "$(tr -d '\r' <"$C/sweepall.log" 2>/dev/null)"
snapshot asked
left=$(differences before asked)
check "nothing of the product left after the asked uninstall" "" "$left"
extra=$(LC_ALL=C comm -13 "$KD_RUN/before.winini" "$KD_RUN/asked.winini" | tr '\n' ' ')
gone=$(LC_ALL=C comm -23 "$KD_RUN/before.winini" "$KD_RUN/asked.winini" | tr '\n' ' ')
check "win.ini lost nothing" "" "$gone"
check "win.ini: only the .dat MCI driver added" "" "$(echo "$extra" | sed 's/\[mci extensions\] //; s/dat=MPEGVideo //')"

echo "== without the other product, the stock command, then Keydeck's own command before a silent install"
reg delete 'HKLM\SOFTWARE\TessaroVantik' /f
reg delete 'HKLM\SOFTWARE\Tessaro' /f
reg add "$AUTOPLAY" /ve /d "$stock" /f
snapshot before2
# As a Keydeck run without the setup program would have left it: not kept.
reg add "$AUTOPLAY" /ve /d "\"$WINDIR\\keydeck.exe\" /p %1" /f
timeout 180 wine "$SETUP_EXE" /S >"$KD_RUN/setup3.log" 2>&1 </dev/null
wt wait "${SETUP[@]}" 30000 >/dev/null
check "Keydeck runs again" yes "$(keydeck_window)"
check "Keydeck's own AutoPlay command is not kept" absent "$(reg_value "HKLM\\$ARP" AudioCDCommand)"
mkdir -p "$C/kept" && cp "$DIR/Uninstall.ini" "$DIR/sweepall.exe" "$C/kept/"

echo "== silent uninstall started in the program folder with a relative script name"
temp=$(timeout 30 wine cmd /c echo %TEMP% 2>/dev/null </dev/null | tr -d '\r' | tail -n1)
temp_unix=$(timeout 30 winepath -u "$temp" 2>/dev/null)
printf '[x]\r\nOption=2\r\n[Re\r\nC:\\foreign.txt\r\n' >"$C/foreign.ini"
for f in "$temp_unix/Uninstall.ini" "$C/windows/Uninstall.ini" "$temp_unix/Sweepall.ini"; do
  cp "$C/foreign.ini" "$f"
done
printf 'not to be deleted\r\n' >"$C/foreign.txt"
(cd "$DIR" && timeout 60 wine sweepall.exe /T /S Uninstall.ini >"$KD_RUN/relative.log" 2>&1 </dev/null)
check "sweepall /T /S Uninstall.ini ended with" 0 "$?"
check "no question" 1 "$(wt boxtext - 3000 >/dev/null; echo $?)"
end_uninstall "silent uninstall"
check "no foreign script ran" present "$([ -f "$C/foreign.txt" ] && echo present || echo absent)"
check "the product's script ran: the folder is gone" absent "$(exists "$DIR")"
check "the CD Player's command, as nothing was kept" "$stock" "$(reg_value "$AUTOPLAY" "")"
check "TessaroVantik, empty, is gone" absent "$(reg_key 'HKLM\SOFTWARE\TessaroVantik')"
check "Tessaro, empty, is gone" absent "$(reg_key 'HKLM\SOFTWARE\Tessaro')"
rm -f "$C/foreign.txt" "$C/foreign.ini" "$temp_unix/Uninstall.ini" "$C/windows/Uninstall.ini" \
  "$temp_unix/Sweepall.ini"
mv "$C/kept" "$KD_RUN/kept"
snapshot silent
left=$(differences before2 silent)
check "nothing of the product left after the silent uninstall" "" "$left"

echo "== a second uninstall harms nothing"
check "the Uninstall entry is gone" 1 "$(wt runreg "$ARP" QuietUninstallString 5000 >/dev/null; echo $?)"
mv "$KD_RUN/kept" "$C/kept"
# With a log, as the README tells: a line Log=1 in the script's header.
sed -i 's/^Uninstall=Keydeck\r$/&\nLog=1\r/' "$C/kept/Uninstall.ini"
mv "$C/sweepall.log" "$KD_RUN/earlier.log"
timeout 60 wine 'C:\kept\sweepall.exe' /S 'C:\kept\Uninstall.ini' >"$KD_RUN/again.log" 2>&1 </dev/null
check "second run ended with" 0 "$?"
check "second run found nothing" 6 "$(tr -d '\r' <"$C/sweepall.log" | grep -c '^Not Found : ')"
mv "$C/sweepall.log" "$KD_RUN/again-sweepall.log"
mv "$KD_RUN/earlier.log" "$C/sweepall.log"
mv "$C/kept" "$KD_RUN/kept"
snapshot again
check "second run changed nothing" "" "$(differences silent again)"
finish
