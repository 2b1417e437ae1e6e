# Setup > Application 1 chooses a program for row 0 and OSD > Font an OSD
# font, through the real menu and dialogs: row 0's key then starts the
# program, and both choices are written where the settings are read (and
# to the write side), so they are still in force after "keydeck /u" and
# after a restart. Setup > Browser > Default opens the Internet options
# and writes row 3 back as the default browser.
source "$(dirname "$0")/lib.sh"

R2='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'
W2='HKLM\SOFTWARE\Tessaro\RF2400\Default'

# The font the OSD font dialog opens with (it shows the font in use):
# "face size".
font_in_force() {
  menu_path 1/3 0/4  # OSD > Font
  wt boxtext Font 5000 >/dev/null
  echo "$(wt ctext "#32770" Font 0x470) $(wt ctext "#32770" Font 0x472)"
  wt press Font cancel 3000 >/dev/null
  wt waitgone "#32770" Font 5000
}

# Row 0's key (0x21) starts the chosen program.
row0_starts_notepad() {
  keydeck_post 0x500 0x21 0
  if wt wait Notepad - 15000 >/dev/null; then
    echo yes
    wt post Notepad - 0x10 0 0 >/dev/null
    wt waitgone Notepad - 5000
  else
    echo no
  fi
}

# What a settings save writes last for a row: its link target and function.
row_written() { echo "$(reg_value "$1" LinkTo) $(reg_value "$1" Function)"; }

import_keymap
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
start_font=$(font_in_force)
echo "font at start: $start_font"

echo "-- Setup > Application 1"
menu_path 0/3 2/5  # Setup > (Browser, Email, Application 1..3: Hotkeys = 3)
check "file dialog opened" 0 "$(wt boxtext Open 5000 >/dev/null; echo $?)"
path='C:\windows\notepad.exe'
wt settext Open 0x47c "$path" 3000 >/dev/null || wt settext Open 0x480 "$path" 3000 >/dev/null
wt press Open ok 3000 >/dev/null
wt waitgone "#32770" Open 5000
# The write side comes last.
wait_for 5 "$path 0x2" row_written "$W2\0000000000000000" >/dev/null
for side in "$R2" "$W2"; do
  check "caption written to ${side%%\\RF2400*}" notepad "$(reg_value "$side\\0000000000000000" Caption)"
  check "link target written to ${side%%\\RF2400*}" "$path" "$(reg_value "$side\\0000000000000000" LinkTo)"
  check "function written to ${side%%\\RF2400*}" 0x2 "$(reg_value "$side\\0000000000000000" Function)"
done
check "row 0's key now starts the chosen program" yes "$(row0_starts_notepad)"

echo "-- OSD > Font"
menu_path 1/3 0/4
check "font dialog opened" 0 "$(wt boxtext Font 5000 >/dev/null; echo $?)"
# The next face of the list, and the size three steps down its list (the
# dialog has the keyboard; Wine has no Arial, so it opens on its first face).
timeout 10 xdotool key Down Tab Tab Down Down Down
sleep 0.5
wanted="$(wt ctext "#32770" Font 0x470) $(wt ctext "#32770" Font 0x472)"
wt press Font ok 3000 >/dev/null
wt waitgone "#32770" Font 5000
chosen_font=$(font_in_force)
echo "font chosen: $chosen_font (was $start_font)"
check "the font chosen is a new one" yes "$([ "$chosen_font" != "$start_font" ] && echo yes || echo no)"
check "the OSD took the dialog's font" "$wanted" "$chosen_font"
face=$(reg_value "$R2" Font)
size=$(reg_value "$R2" FontSize)
check "face written where it is read" "${chosen_font% *}" "$face"
check "size written where it is read" yes \
  "$([ "$size" != absent ] && [ -n "$size" ] && [ "$size" != 0x18 ] && echo yes || echo no)"
check "and to the write side" "$face $size" "$(reg_value "$W2" Font) $(reg_value "$W2" FontSize)"

echo "-- keydeck /u"
check "/u ends" 0 "$(keydeck_once "$KD_RUN/work" /u)"
# Its request waits in the queue before the key's.
check "after /u row 0's key still starts the chosen program" yes "$(row0_starts_notepad)"
check "after /u the chosen font is in force" "$chosen_font" "$(font_in_force)"

echo "-- a restart"
keydeck_stop
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
check "after a restart row 0's key still starts the chosen program" yes "$(row0_starts_notepad)"
check "after a restart the chosen font is in force" "$chosen_font" "$(font_in_force)"

echo "-- Browser > Default"
W2ROW3="$W2\\0000000000000003"
reg add "$W2ROW3" /v Caption /d marker /f
reg add "$W2ROW3" /v Function /t REG_DWORD /d 99 /f
menu_path 0/3 0/5 0/2  # Setup > Browser > Default
options=$(wt waitbox "" 15000)
echo "dialog opened by Default: '$options'"
check "Default opens the Internet options" yes "$([ -n "$options" ] && echo yes || echo no)"
function_written() { [ "$(reg_value "$W2ROW3" Function)" != 0x63 ]; }
wait_until 5 function_written
check "row 3 caption written" WWW "$(reg_value "$W2ROW3" Caption)"
check "row 3 function written" 0x14 "$(reg_value "$W2ROW3" Function)"
[ -n "$options" ] && wt press "$options" cancel 3000 >/dev/null
keydeck_stop
finish
