# The LED strip and the setup menu under the mouse: the menu's tray icon
# (a right click opens the menu at the dispatch's point, the Menu setting
# and a new shell's TaskbarCreated), the lock lamps following Caps Lock and
# Num Lock pressed on the display, also a Caps Lock the hook missed,
# dragging the strip with any button until it loses the capture, closing
# it into the tray with its close box and restoring it from there, the Led
# item afterwards, the OSD place and switch items, and the OSD font dialog
# whose OK writes the font where the settings are read and to the write
# side of the registry.
source "$(dirname "$0")/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
LED=(TRFLed RFLed)
W2='HKLM\SOFTWARE\Tessaro\RF2400\Default'
R2='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'

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

# A click beside an open menu closes it.
close_menu() {
  timeout 10 xdotool mousemove 300 300 click 1
  wt waithidden "#32768" - 3000
  sleep 0.3
}

# A read-side value, then a reload as "/u" asks for it.
set_and_reload() {
  timeout 30 wine reg add "$R2" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null
  wt post "${SETUP[@]}" 0x502 1 0 >/dev/null
  sleep 0.5
}

# Waits up to $3 s (3 when not given) until lamp $1 shows colour $2;
# prints the colour seen last.
wait_lamp() {
  local i got
  for ((i = 0; i < ${3:-3} * 4; i++)); do
    got=$(lamp "$1")
    [ "$got" = "$2" ] && break
    sleep 0.25
  done
  echo "$got"
}

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

echo "-- the menu's tray icon"
icons=$(wait_tray_icons 10 1)
echo "tray icons (left right): $(tr '\n' ';' <<<"$icons")"
check "one icon in the tray: the menu's" 1 "$(grep -c . <<<"$icons")"
menu_icon=$(head -n1 <<<"$icons")
# Where the dispatch opens the menu for a posted request.
wt post "${SETUP[@]}" 0x602 0 0x204 >/dev/null
wt waitvisible "#32768" - 3000
posted=$(wt rect "#32768" -)
echo "menu opened by a posted request at $posted"
close_menu
click_tray_icon "$menu_icon" 1
check "a left click on the icon opens no menu" 1 "$(wt waitvisible "#32768" - 1500; echo $?)"
click_tray_icon "$menu_icon" 3
check "a right click on the icon opens the menu" 0 "$(wt waitvisible "#32768" - 3000; echo $?)"
check "at the dispatch's point" "$posted" "$(wt rect "#32768" -)"
close_menu
# MenuLoc 600, 500 puts the point where the whole menu fits: (1024-600, 768-500).
set_and_reload MenuLoc $(((500 << 16) | 600))
click_tray_icon "$menu_icon" 3
wt waitvisible "#32768" - 3000
read -r l t _ _ < <(wt rect "#32768" -)
check "MenuLoc 600,500: the menu's corner at (424, 268)" "424 268" "$l $t"
close_menu
set_and_reload MenuLoc 0
check "a reload keeps the icon in its place" "$menu_icon" "$(wait_tray_icons 3 1)"
# Wine's task bar does not repaint the spot its last icon leaves, so the
# icon is told by what a right click on that spot does.
menu_from_icon() {  # prints 0 when a right click on the icon opened the menu
  click_tray_icon "$menu_icon" 3
  if wt waitvisible "#32768" - 2000; then echo 0; close_menu; else echo 1; fi
}
set_and_reload Menu 0
check "Menu 0: the icon is gone" 1 "$(menu_from_icon)"
set_and_reload Menu 1
check "Menu 1: the icon is back and opens the menu" 0 "$(menu_from_icon)"
# A shell that goes takes the icons along; the next one announces itself.
check "the shell drops the icon" 0 "$(wt traydel "${SETUP[@]}" 256; echo $?)"
check "without it no menu" 1 "$(menu_from_icon)"
wt postreg "${SETUP[@]}" TaskbarCreated >/dev/null
sleep 0.5
check "TaskbarCreated: the menu's icon comes back" 0 "$(menu_from_icon)"
check "in its place" "$menu_icon" "$(wait_tray_icons 3 1)"

echo "-- lock lamps"
# On the 9x family the hook runs on the thread that gets the key: a click
# gives the desktop the keyboard, as a shell always has it on a real system.
timeout 10 xdotool mousemove 500 300 click 1
check "Caps Lock off at start: Shape2" grey "$(lamp 2)"
timeout 10 xdotool key Caps_Lock
check "Caps Lock pressed: Shape2" lime "$(wait_lamp 2 lime)"
timeout 10 xdotool key Caps_Lock
check "Caps Lock pressed again: Shape2" grey "$(wait_lamp 2 grey)"
timeout 10 xdotool key Num_Lock
check "Num Lock pressed: Shape1" lime "$(wait_lamp 1 lime)"
check "Num Lock leaves Shape2" grey "$(lamp 2)"
timeout 10 xdotool key Num_Lock
check "Num Lock pressed again: Shape1" grey "$(wait_lamp 1 grey)"

echo "-- lock lamps after a key the hook missed"
# Caps Lock pressed while the hook cannot see it. The NT family's low-level
# hook: its thread stalls, as a hook Windows dropped for missing its
# timeout (Wine skips it for that key), and its watchdog puts it back. The
# 9x family's classic hook: it cannot take its lock and passes the key on
# unseen, and a resume from standby puts it back. Either way the lamps
# then show the system's state.
rm -f "$KD_RUN/stall.ready"
if [ "$WINE_VERSION_NAME" = win98 ]; then
  timeout 30 wine "$KD_BIN/hotkey_helper.exe" --holdlock 2500 >"$KD_RUN/stall.out" 2>&1 </dev/null &
else
  timeout 30 wine "$KD_BIN/hotkey_helper.exe" --stall KeyhookResumeWatch 3000 >"$KD_RUN/stall.out" 2>&1 \
    </dev/null &
fi
stall=$!
for ((i = 0; i < 50; i++)); do [ -e "$KD_RUN/stall.ready" ] && break; sleep 0.1; done
timeout 10 xdotool key Caps_Lock
wait "$stall"
check "the hook was held off" done "$(tr -d '\r' <"$KD_RUN/stall.out")"
[ "$WINE_VERSION_NAME" = win98 ] && wt post KeyhookResumeWatch - 0x218 7 0 >/dev/null
check "Caps Lock pressed while the hook was gone: Shape2 after the hook is back" lime "$(wait_lamp 2 lime 8)"
check "and Shape1 stays" grey "$(lamp 1)"
timeout 10 xdotool key Caps_Lock
check "the next Caps Lock, seen again: Shape2" grey "$(wait_lamp 2 grey)"

echo "-- dragging"
timeout 10 xdotool mousemove 900 700 sleep 0.2 mousedown 1 sleep 0.2 mousemove 880 690 sleep 0.2 \
  mousemove 850 650 sleep 0.2 mouseup 1
sleep 0.5
check "strip dragged by (-50, -50)" "814 638 974 683" "$(wt rect "${LED[@]}")"
timeout 10 xdotool mousemove 850 650 sleep 0.2 mousedown 3 sleep 0.2 mousemove 880 680 sleep 0.2 \
  mousemove 900 700 sleep 0.2 mouseup 3
sleep 0.5
check "dragged back with the right button" "864 688 1024 733" "$(wt rect "${LED[@]}")"
timeout 10 xdotool mousemove 900 700 sleep 0.2 mousedown 2 sleep 0.2 mousemove 870 680 sleep 0.2 mouseup 2
sleep 0.5
check "dragged with the middle button" "834 668 994 713" "$(wt rect "${LED[@]}")"
# The system cancels the capture (as when a dialog opens): the drag is over
# although the button is still down.
timeout 10 xdotool mousemove 900 690 sleep 0.2 mousedown 1 sleep 0.2 mousemove 890 690
sleep 0.5
wt post "${LED[@]}" 0x1F 0 0 >/dev/null  # WM_CANCELMODE
sleep 0.3
timeout 10 xdotool mousemove 860 660 sleep 0.2 mousemove 850 650 sleep 0.2
sleep 0.3
check "after the capture is gone the strip stays" "824 668 984 713" "$(wt rect "${LED[@]}")"
timeout 10 xdotool mouseup 1
sleep 0.3

echo "-- close box and tray"
read -r x y _ _ < <(wt rect "${LED[@]}")
timeout 10 xdotool mousemove $((x + 159)) $((y + 4)) click 1
sleep 0.5
check "a click right of the close box keeps the strip" visible "$(wt visible "${LED[@]}")"
timeout 10 xdotool mousemove $((x + 158)) $((y + 7)) click 1
sleep 0.5
check "a click on the close box hides the strip" hidden "$(wt visible "${LED[@]}")"
icons=$(wait_tray_icons 5 2)
echo "tray icons (left right): $(tr '\n' ';' <<<"$icons")"
check "the strip's icon joins the menu's" 2 "$(grep -c . <<<"$icons")"
wt post "${LED[@]}" 0x603 512 0x200 >/dev/null
sleep 0.5
check "a mouse move on the tray icon does nothing" hidden "$(wt visible "${LED[@]}")"
wt traydel "${LED[@]}" 512 >/dev/null
check "the shell lost the strip's icon" 1 "$(wait_tray_icons 5 1 | grep -c .)"
wt postreg "${LED[@]}" TaskbarCreated >/dev/null
icons=$(wait_tray_icons 5 2)
check "TaskbarCreated: the strip's icon comes back" 2 "$(grep -c . <<<"$icons")"
# The shell puts a new icon left of the older ones.
led_icon=$(head -n1 <<<"$icons")
echo "the strip's icon at $led_icon, the menu's at $menu_icon"
click_tray_icon "$led_icon" 1
sleep 0.5
check "a click on the tray icon shows the strip" visible "$(wt visible "${LED[@]}")"
check "and its icon is gone" 1 "$(wait_tray_icons 5 1 | grep -c .)"
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
timeout 30 wine reg query "$R2" /v FontSize >"$KD_RUN/size.out" 2>&1 </dev/null
check "and the same size where the settings are read" "$size" \
  "$(tr -d '\r' <"$KD_RUN/size.out" | awk '/FontSize/{print $3}')"

keydeck_stop
finish
