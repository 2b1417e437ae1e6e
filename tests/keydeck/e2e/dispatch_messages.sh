# The control form's messages as Keyhook, Kbdrelay and the outside world
# send them: channel keys and receiver words drive the Channel Setting
# window and the warning lamps; hotkeys run their rows with the lParam
# gating, and a row the load could not read says "Hotkey not assigned!";
# the volume codes show the bar; 0x602 opens the setup menu, whose
# Exit item asks before it ends Keydeck.
source "$(dirname "$0")/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
FORM3=(TForm3 "Channel Setting")
post() { wt post "${SETUP[@]}" "$@" >/dev/null; sleep 0.3; }

import_keymap
# Row 0 (0x21) without its target: its run fails. Row 1 (0x6B) cannot be
# read: its function is stored as text.
timeout 30 wine reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000000' /v LinkTo /d "" /f \
  >/dev/null 2>&1 </dev/null
timeout 30 wine reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000001' /v Function /d 27 /f \
  >/dev/null 2>&1 </dev/null
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
wt waitvisible TRFLed RFLed 5000

echo "-- channel keys"
post 0x500 0x5A 0
check "0x5A shows Channel Setting" visible "$(wt visible "${FORM3[@]}")"
post 0x500 0xDA 0
check "0xDA hides it" hidden "$(wt visible "${FORM3[@]}")"
post 0x500 0x62 0
check "0x62 shows it" visible "$(wt visible "${FORM3[@]}")"
post 0x500 0xE2 0
check "0xE2 hides it" hidden "$(wt visible "${FORM3[@]}")"

echo "-- receiver words"
check "keyboard lamp at start" grey "$(lamp 4)"
check "mouse lamp at start" grey "$(lamp 5)"
post 0x464 0 0x1004
check "word 0x1004 shows Channel Setting" visible "$(wt visible "${FORM3[@]}")"
# Minimised by the user (its minimize button sends SC_MINIMIZE), it comes
# back restored with the next channel-mode report.
shown_at=$(wt rect "${FORM3[@]}")
wt post "${FORM3[@]}" 0x112 0xF020 0 >/dev/null
sleep 0.5
minimised_at=$(wt rect "${FORM3[@]}")
echo "Channel Setting at $shown_at, minimised at $minimised_at"
check "the minimize button minimises Channel Setting" yes "$([ "$minimised_at" != "$shown_at" ] && echo yes || echo no)"
post 0x464 0 0x1004
check "the next report shows Channel Setting restored" "$shown_at" "$(wt rect "${FORM3[@]}")"
check "and visible" visible "$(wt visible "${FORM3[@]}")"
wt post "${FORM3[@]}" 0x112 0xF020 0 >/dev/null
sleep 0.5
post 0x464 0 0x0104
check "word 0x0104 hides Channel Setting" hidden "$(wt visible "${FORM3[@]}")"
check "word 0x0104: keyboard lamp" red "$(lamp 4)"
check "word 0x0104: mouse lamp" grey "$(lamp 5)"
post 0x464 1 0x1C04
check "second word touches no window" hidden "$(wt visible "${FORM3[@]}")"
check "second word touches no lamp" red "$(lamp 4)"
post 0x464 0 0x0803
check "report kind 3 leaves the lamps" red "$(lamp 4)"
post 0x464 0 0x0804
check "word 0x0804: keyboard lamp" grey "$(lamp 4)"
check "word 0x0804: mouse lamp" red "$(lamp 5)"
# Hidden while minimised: a channel key shows it restored as well.
post 0x500 0x5A 0
check "a channel key shows the minimised, hidden window restored" "$shown_at visible" \
  "$(wt rect "${FORM3[@]}") $(wt visible "${FORM3[@]}")"
post 0x500 0xDA 0
check "0xDA hides it again" hidden "$(wt visible "${FORM3[@]}")"

echo "-- hotkeys"
post 0x500 0x6D 1
check "auto-repeat of a launch key starts nothing" 1 "$(wt wait Notepad - 2500; echo $?)"
post 0x500 0x6D 0
check "first press starts Notepad" 0 "$(wt wait Notepad - 15000; echo $?)"
wt post Notepad - 0x10 0 0 >/dev/null
wt waitgone Notepad - 10000
sleep 1.5  # the OSD of the launch is wiped
post 0x500 0x21 0
green=$(count_colour 824 668 200 40 "#008000")
check "failed row shows a text at the OSD place" yes "$([ "${green:-0}" -gt 20 ] && echo yes || echo no)"
sleep 1.5
check "the text is wiped" 0 "$(count_colour 824 668 200 40 "#008000")"
post 0x500 0x6B 0
green=$(count_colour 824 668 200 40 "#008000")
check "an unreadable row shows a text at the OSD place" yes "$([ "${green:-0}" -gt 20 ] && echo yes || echo no)"
sleep 1.5
post 0x500 0x2E 7
check "volume key on auto-repeat shows the bar" "srgb(255,255,0)" "$(pixel 10 655)"
sleep 2.5
check "the bar is wiped" "srgb(37,111,149)" "$(pixel 10 655)"

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
sleep 1
for _ in $(seq 100); do
  wt post "${SETUP[@]}" 0x501 1 0 >/dev/null
  sleep 0.3
  [ "$(lamp 2)" = lime ] && break
done
echo "the lock request behind the flood was answered after $(( $(date +%s) - start )) s"
check "Keydeck answers after the flood" lime "$(lamp 2)"
timeout 10 xdotool key Caps_Lock
sleep 1.5

echo "-- setup menu"
post 0x602 0 0x205
check "0x602 without 0x204 opens no menu" 1 "$(wt waitvisible "#32768" - 1000; echo $?)"
# The last item of the menu is Exit.
click_exit() {
  local left top right bottom
  read -r left top right bottom < <(wt rect "#32768" -)
  echo "menu at $left $top $right $bottom"
  timeout 10 xdotool mousemove $((left + 20)) $((bottom - 10)) click 1
}
post 0x602 0 0x204
check "0x602 with 0x204 opens the menu" 0 "$(wt waitvisible "#32768" - 3000; echo $?)"
click_exit
check "Exit asks first" 0 "$(wt waitbox "" 5000 >/dev/null; echo $?)"
echo "the question (string 259 of ComDlg32.dll): '$(wt boxtext Message 2000)'"
wt press Message no 3000 >/dev/null
sleep 1
check "No keeps Keydeck running" yes "$(has_window "${SETUP[@]}")"
post 0x602 0 0x204
wt waitvisible "#32768" - 3000
click_exit
wt press Message yes 5000 >/dev/null
check "Yes ends Keydeck" yes "$(keydeck_ended 20 && echo yes || echo no)"
finish
