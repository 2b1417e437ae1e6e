# Setup > Application 1 chooses a program for row 0: the row's key then
# starts it, and the choice is written to the write side's row key.
# Setup > Browser > Default opens the Internet options and writes row 3
# back as the default browser.
source "$(dirname "$0")/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
W2ROW='HKLM\SOFTWARE\Tessaro\RF2400\Default\0000000000000000'

click_item() {  # menu rect, item index, visible items
  local left top right bottom
  read -r left top right bottom <<<"$1"
  timeout 10 xdotool mousemove $((left + 25)) $((top + (bottom - top) * (2 * $2 + 1) / (2 * $3))) click 1
  sleep 0.5
}

import_keymap
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null

wt post "${SETUP[@]}" 0x602 0 0x204 >/dev/null
wt waitvisible "#32768" - 3000
main=$(wt list "#32768" | head -n1)
click_item "$main" 0 3  # Setup
sub=$(wt list "#32768" | grep -vx "$main" | head -n1)
check "Setup submenu opened" yes "$([ -n "$sub" ] && echo yes || echo no)"
click_item "$sub" 2 5  # Browser, Email, Application 1..3 (Hotkeys = 3)
check "file dialog opened" 0 "$(wt boxtext Open 5000 >/dev/null; echo $?)"
path='C:\windows\notepad.exe'
wt settext Open 0x47c "$path" 3000 >/dev/null || wt settext Open 0x480 "$path" 3000 >/dev/null
wt press Open ok 3000 >/dev/null
wt waitgone "#32770" Open 5000

timeout 30 wine reg query "$W2ROW" >"$KD_RUN/row.out" 2>&1 </dev/null
tr -d '\r' <"$KD_RUN/row.out"
value() { tr -d '\r' <"$KD_RUN/row.out" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
check "caption written" notepad "$(value Caption)"
check "link target written" "$path" "$(value LinkTo)"
check "function written" 0x2 "$(value Function)"

wt post "${SETUP[@]}" 0x500 0x21 0 >/dev/null
check "row 0's key now starts the chosen program" 0 "$(wt wait Notepad - 15000; echo $?)"
wt post Notepad - 0x10 0 0 >/dev/null

echo "-- Browser > Default"
W2ROW3='HKLM\SOFTWARE\Tessaro\RF2400\Default\0000000000000003'
timeout 30 wine reg add "$W2ROW3" /v Caption /d marker /f >/dev/null 2>&1 </dev/null
timeout 30 wine reg add "$W2ROW3" /v Function /t REG_DWORD /d 99 /f >/dev/null 2>&1 </dev/null
wt post "${SETUP[@]}" 0x602 0 0x204 >/dev/null
wt waitvisible "#32768" - 3000
main=$(wt list "#32768" | head -n1)
click_item "$main" 0 3
sub=$(wt list "#32768" | grep -vx "$main" | head -n1)
click_item "$sub" 0 5  # Browser
subsub=$(wt list "#32768" | grep -vxF -e "$main" -e "$sub" | head -n1)
click_item "$subsub" 0 2  # Default
options=$(wt waitbox "" 15000)
echo "dialog opened by Default: '$options'"
check "Default opens the Internet options" yes "$([ -n "$options" ] && echo yes || echo no)"
sleep 1
timeout 30 wine reg query "$W2ROW3" >"$KD_RUN/row3.out" 2>&1 </dev/null
value3() { tr -d '\r' <"$KD_RUN/row3.out" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
check "row 3 caption written" WWW "$(value3 Caption)"
check "row 3 function written" 0x14 "$(value3 Function)"
[ -n "$options" ] && wt press "$options" cancel 3000 >/dev/null
keydeck_stop
finish
