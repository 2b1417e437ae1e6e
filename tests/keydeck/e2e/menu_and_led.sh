# The LED strip and the setup menu under the mouse: dragging the strip,
# closing it into the tray with its close box and restoring it from there,
# the Led item afterwards, the OSD place and switch items, and the OSD font
# dialog whose OK writes the font to the write side of the registry.
source "$(dirname "$0")/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
LED=(TRFLed RFLed)
W2='HKLM\SOFTWARE\Tessaro\RF2400\Default'

# Clicks item $2 (0-based) of the $3 visible items of the menu whose rect
# is $1 ("left top right bottom").
click_item() {
  local left top right bottom
  read -r left top right bottom <<<"$1"
  local y=$((top + (bottom - top) * (2 * $2 + 1) / (2 * $3)))
  timeout 10 xdotool mousemove $((left + 25)) "$y" click 1
  sleep 0.5
}

# Opens the setup menu and clicks through it: each argument is "item/count"
# for the next menu level (the item's 0-based index among count visible).
menu_path() {
  wt post "${SETUP[@]}" 0x602 0 0x204 >/dev/null
  wt waitvisible "#32768" - 3000 || { echo "menu did not open"; return 1; }
  local seen="" step rect
  for step in "$@"; do
    rect=$(wt list "#32768" | grep -vxF -e "${seen:-none}" | head -n1)
    [ -n "$rect" ] || { echo "menu level for $step did not open"; return 1; }
    seen="$seen"$'\n'"$rect"
    seen="${seen#$'\n'}"
    click_item "$rect" "${step%/*}" "${step#*/}"
  done
}

# Setup, OSD and Exit are the visible top items; OSD holds Font, Location,
# Enable and Led.
osd_item() { menu_path 1/3 "$1/4"; }

import_keymap
# Markers the dialog's OK must overwrite.
timeout 30 wine reg add "$W2" /v FontSize /t REG_DWORD /d 7 /f >/dev/null 2>&1 </dev/null
timeout 30 wine reg add "$W2" /v Font /d marker /f >/dev/null 2>&1 </dev/null
# Row 0 (0x21) without its target: its run fails and shows a text.
timeout 30 wine reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000000' /v LinkTo /d "" /f \
  >/dev/null 2>&1 </dev/null
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
wt waitvisible "${LED[@]}" 5000
check "strip placed" "864 688 1024 733" "$(wt rect "${LED[@]}")"

echo "-- dragging"
timeout 10 xdotool mousemove 900 700 sleep 0.2 mousedown 1 sleep 0.2 mousemove 880 690 sleep 0.2 \
  mousemove 850 650 sleep 0.2 mouseup 1
sleep 0.5
check "strip dragged by (-50, -50)" "814 638 974 683" "$(wt rect "${LED[@]}")"

echo "-- close box and tray"
read -r x y _ _ < <(wt rect "${LED[@]}")
timeout 10 xdotool mousemove $((x + 159)) $((y + 4)) click 1
sleep 0.5
check "a click right of the close box keeps the strip" visible "$(wt visible "${LED[@]}")"
timeout 10 xdotool mousemove $((x + 158)) $((y + 7)) click 1
sleep 0.5
check "a click on the close box hides the strip" hidden "$(wt visible "${LED[@]}")"
wt post "${LED[@]}" 0x603 512 0x200 >/dev/null
sleep 0.5
check "a mouse move on the tray icon does nothing" hidden "$(wt visible "${LED[@]}")"
wt post "${LED[@]}" 0x603 512 0x202 >/dev/null
sleep 0.5
check "a click on the tray icon shows the strip" visible "$(wt visible "${LED[@]}")"
check "shown again at its place" "864 688 1024 733" "$(wt rect "${LED[@]}")"

echo "-- Led item after the tray"
osd_item 3
check "Led (checked again) keeps the strip" visible "$(wt visible "${LED[@]}")"
osd_item 3
check "Led (unchecked) hides the strip" hidden "$(wt visible "${LED[@]}")"
osd_item 3
check "Led (checked) shows the strip" visible "$(wt visible "${LED[@]}")"

echo "-- OSD place and switch"
upper_left() { count_colour 40 40 300 50 "#008000"; }
lower_right() { count_colour 814 658 210 30 "#008000"; }
# Location > Upper left: the next text appears at (50, 50).
menu_path 1/3 1/4 0/5
sleep 1.5
wt post "${SETUP[@]}" 0x500 0x21 0 >/dev/null  # row 0 has no target: "Hotkey not assigned!"
sleep 0.3
check "text at the upper left" yes "$([ "$(upper_left)" -gt 20 ] && echo yes || echo no)"
sleep 1.5
# A reload puts the place back to the stored one (lower right).
wt post "${SETUP[@]}" 0x502 1 0 >/dev/null
wt post "${SETUP[@]}" 0x500 0x21 0 >/dev/null
sleep 0.3
check "after a reload no text at the upper left" 0 "$(upper_left)"
check "after a reload the text is at the lower right" yes "$([ "$(lower_right)" -gt 20 ] && echo yes || echo no)"
sleep 1.5
osd_item 2  # Enable: off
wt post "${SETUP[@]}" 0x500 0x21 0 >/dev/null
sleep 0.3
check "no text with the OSD switched off" 0 "$(lower_right)"
osd_item 2  # Enable: on again

echo "-- font dialog"
osd_item 0
check "font dialog opened" 0 "$(wt boxtext Font 5000 >/dev/null; echo $?)"
wt press Font ok 3000 >/dev/null
sleep 1
timeout 30 wine reg query "$W2" /v FontSize >"$KD_RUN/size.out" 2>&1 </dev/null
size=$(tr -d '\r' <"$KD_RUN/size.out" | awk '/FontSize/{print $3}')
echo "FontSize on the write side after OK: $size"
check "OK wrote the font size" yes "$([ -n "$size" ] && [ "$size" != "0x7" ] && echo yes || echo no)"
timeout 30 wine reg query "$W2" /v Font >"$KD_RUN/font.out" 2>&1 </dev/null
face=$(tr -d '\r' <"$KD_RUN/font.out" | sed -n 's/^ *Font *REG_SZ *//p')
echo "Font on the write side after OK: '$face' (the dialog's choice; Wine has no Arial)"
check "OK wrote the face name" yes "$([ -n "$face" ] && [ "$face" != marker ] && echo yes || echo no)"

keydeck_stop
finish
