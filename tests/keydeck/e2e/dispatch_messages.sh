# The control form's messages as Keyhook, Kbdrelay and the outside world
# send them: channel keys and receiver words drive the Channel Setting
# window and the warning lamps; hotkeys run their rows with the lParam
# gating, and a row the load could not read says "Hotkey not assigned!";
# the volume codes show the bar; 0x602 opens the setup menu, whose
# Exit item asks before it ends Keydeck.
source "$(dirname "$0")/lib.sh"

FORM3=(TForm3 "Channel Setting")
R2='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'
form3() { wt visible "${FORM3[@]}"; }
form3_rect() { wt rect "${FORM3[@]}"; }
form3_moved_from() { [ "$(form3_rect)" != "$1" ]; }
# After a message that must change nothing: time for it to be handled.
settle() { sleep 0.3; }

import_keymap
# Row 0 (0x21) without its target: its run fails. Row 1 (0x6B) cannot be
# read: its function is stored as text.
reg add "$R2\0000000000000000" /v LinkTo /d "" /f
reg add "$R2\0000000000000001" /v Function /d 27 /f
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
wt waitvisible "${LED[@]}" 5000

echo "-- channel keys"
keydeck_post 0x500 0x5A 0
check "0x5A shows Channel Setting" visible "$(wait_for 3 visible form3)"
keydeck_post 0x500 0xDA 0
check "0xDA hides it" hidden "$(wait_for 3 hidden form3)"
keydeck_post 0x500 0x62 0
check "0x62 shows it" visible "$(wait_for 3 visible form3)"
keydeck_post 0x500 0xE2 0
check "0xE2 hides it" hidden "$(wait_for 3 hidden form3)"

echo "-- receiver words"
check "keyboard lamp at start" grey "$(lamp 4)"
check "mouse lamp at start" grey "$(lamp 5)"
keydeck_post 0x464 0 0x1004
check "word 0x1004 shows Channel Setting" visible "$(wait_for 3 visible form3)"
# Minimised by the user (its minimize button sends SC_MINIMIZE), it comes
# back restored with the next channel-mode report.
shown_at=$(form3_rect)
wt post "${FORM3[@]}" 0x112 0xF020 0 >/dev/null
wait_until 3 form3_moved_from "$shown_at"
minimised_at=$(form3_rect)
echo "Channel Setting at $shown_at, minimised at $minimised_at"
check "the minimize button minimises Channel Setting" yes "$([ "$minimised_at" != "$shown_at" ] && echo yes || echo no)"
keydeck_post 0x464 0 0x1004
check "the next report shows Channel Setting restored" "$shown_at" "$(wait_for 3 "$shown_at" form3_rect)"
check "and visible" visible "$(form3)"
wt post "${FORM3[@]}" 0x112 0xF020 0 >/dev/null
wait_until 3 form3_moved_from "$shown_at"
keydeck_post 0x464 0 0x0104
check "word 0x0104 hides Channel Setting" hidden "$(wait_for 3 hidden form3)"
check "word 0x0104: keyboard lamp" red "$(wait_lamp 4 red)"
check "word 0x0104: mouse lamp" grey "$(lamp 5)"
keydeck_post 0x464 1 0x1C04
settle
check "second word touches no window" hidden "$(form3)"
check "second word touches no lamp" red "$(lamp 4)"
keydeck_post 0x464 0 0x0803
settle
check "report kind 3 leaves the lamps" red "$(lamp 4)"
keydeck_post 0x464 0 0x0804
check "word 0x0804: keyboard lamp" grey "$(wait_lamp 4 grey)"
check "word 0x0804: mouse lamp" red "$(wait_lamp 5 red)"
# Hidden while minimised: a channel key shows it restored as well.
form3_place() { echo "$(form3_rect) $(form3)"; }
keydeck_post 0x500 0x5A 0
check "a channel key shows the minimised, hidden window restored" "$shown_at visible" \
  "$(wait_for 3 "$shown_at visible" form3_place)"
keydeck_post 0x500 0xDA 0
check "0xDA hides it again" hidden "$(wait_for 3 hidden form3)"

echo "-- hotkeys"
GREEN="#008000"  # the sample keymap's OSD colour
osd_text() { count_colour 824 668 200 40 "$GREEN"; }
keydeck_post 0x500 0x6D 1
check "auto-repeat of a launch key starts nothing" 1 "$(wt wait Notepad - 2500; echo $?)"
keydeck_post 0x500 0x6D 0
check "first press starts Notepad" 0 "$(wt wait Notepad - 15000; echo $?)"
wt post Notepad - 0x10 0 0 >/dev/null
wt waitgone Notepad - 10000
wait_for 5 0 osd_text >/dev/null  # the launch's caption is wiped
keydeck_post 0x500 0x21 0
green=$(wait_above 3 20 osd_text)
check "failed row shows a text at the OSD place" yes "$([ "${green:-0}" -gt 20 ] && echo yes || echo no)"
check "the text is wiped" 0 "$(wait_for 5 0 osd_text)"
keydeck_post 0x500 0x6B 0
green=$(wait_above 3 20 osd_text)
check "an unreadable row shows a text at the OSD place" yes "$([ "${green:-0}" -gt 20 ] && echo yes || echo no)"
wait_for 5 0 osd_text >/dev/null
bar() { pixel 10 655; }
keydeck_post 0x500 0x2E 7
check "volume key on auto-repeat shows the bar" "srgb(255,255,0)" "$(wait_for 3 "srgb(255,255,0)" bar)"
check "the bar is wiped" "srgb(37,111,149)" "$(wait_for 5 "srgb(37,111,149)" bar)"

echo "-- a flood of hotkeys"
# Mute (code 5) an even number of times, so the switch ends where it began;
# then a lock request behind them must still be answered.
check "2000 hotkeys posted" 0 "$(wt post "${SETUP[@]}" 0x500 0x20 0 2000; echo $?)"
start=$(date +%s)
# On the 9x family the hook runs on the thread that gets the key, and the
# Channel Setting window hidden above left no window active: a click gives
# the desktop the keyboard, as a shell always has it on a real system.
timeout 10 xdotool mousemove 500 300 click 1
timeout 10 xdotool key Caps_Lock
lamp_on_request() { keydeck_post 0x501 1 0; sleep 0.3; lamp 2; }
answered=$(wait_for 60 lime lamp_on_request)
echo "the lock request behind the flood was answered after $(( $(date +%s) - start )) s"
check "Keydeck answers after the flood" lime "$answered"
timeout 10 xdotool key Caps_Lock
wait_lamp 2 grey 5 >/dev/null

echo "-- setup menu"
keydeck_post 0x602 0 0x205
check "0x602 without 0x204 opens no menu" 1 "$(wt waitvisible "#32768" - 1000; echo $?)"
# The last item of the menu is Exit.
click_exit() {
  local left top right bottom
  read -r left top right bottom < <(wt rect "#32768" -)
  echo "menu at $left $top $right $bottom"
  timeout 10 xdotool mousemove $((left + 20)) $((bottom - 10)) click 1
}
keydeck_post 0x602 0 0x204
check "0x602 with 0x204 opens the menu" 0 "$(wt waitvisible "#32768" - 3000; echo $?)"
click_exit
check "Exit asks first" 0 "$(wt waitbox "" 5000 >/dev/null; echo $?)"
echo "the question (string 259 of ComDlg32.dll): '$(wt boxtext Message 2000)'"
wt press Message no 3000 >/dev/null
sleep 1  # an end would have begun by now
check "No keeps Keydeck running" yes "$(has_window "${SETUP[@]}")"
keydeck_post 0x602 0 0x204
wt waitvisible "#32768" - 3000
click_exit
wt press Message yes 5000 >/dev/null
check "Yes ends Keydeck" yes "$(keydeck_ended 20 && echo yes || echo no)"
finish
