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

W2='HKLM\SOFTWARE\Tessaro\RF2400\Default'
R2='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'

# Setup, OSD and Exit are the visible top items; OSD holds Font, Location,
# Enable and Led.
osd_item() { menu_path 1/3 "$1/4"; }

# A read-side value, then a reload as "/u" asks for it. What a reload
# leaves alone cannot be watched for, so the reload gets a moment.
set_and_reload() {
  reg add "$R2" /v "$1" /t REG_DWORD /d "$2" /f
  keydeck_post 0x502 1 0
  sleep 0.5
}

strip_state() { wt visible "${LED[@]}"; }
strip_rect() { wt rect "${LED[@]}"; }

import_keymap
# Markers the dialog's OK must overwrite.
reg add "$W2" /v FontSize /t REG_DWORD /d 7 /f
reg add "$W2" /v Font /d marker /f
# Row 0 (0x21) without its target: its run fails and shows a text.
reg add "$R2\0000000000000000" /v LinkTo /d "" /f
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null
wt waitvisible "${LED[@]}" 5000
check "strip placed" "864 688 1024 733" "$(strip_rect)"

echo "-- the menu's tray icon"
icons=$(wait_tray_icons 10 1)
echo "tray icons (left right): $(tr '\n' ';' <<<"$icons")"
check "one icon in the tray: the menu's" 1 "$(grep -c . <<<"$icons")"
menu_icon=$(head -n1 <<<"$icons")
# Where the dispatch opens the menu for a posted request.
keydeck_post 0x602 0 0x204
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
sleep 0.5  # the icon's return cannot be seen: the old one was never unpainted
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
wait_until 5 test -e "$KD_RUN/stall.ready"
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
check "strip dragged by (-50, -50)" "814 638 974 683" "$(wait_for 3 "814 638 974 683" strip_rect)"
timeout 10 xdotool mousemove 850 650 sleep 0.2 mousedown 3 sleep 0.2 mousemove 880 680 sleep 0.2 \
  mousemove 900 700 sleep 0.2 mouseup 3
check "dragged back with the right button" "864 688 1024 733" "$(wait_for 3 "864 688 1024 733" strip_rect)"
timeout 10 xdotool mousemove 900 700 sleep 0.2 mousedown 2 sleep 0.2 mousemove 870 680 sleep 0.2 mouseup 2
check "dragged with the middle button" "834 668 994 713" "$(wait_for 3 "834 668 994 713" strip_rect)"
# The system cancels the capture (as when a dialog opens): the drag is over
# although the button is still down.
timeout 10 xdotool mousemove 900 690 sleep 0.2 mousedown 1 sleep 0.2 mousemove 890 690
check "dragged by (-10, 0) with the button still down" "824 668 984 713" \
  "$(wait_for 3 "824 668 984 713" strip_rect)"
wt post "${LED[@]}" 0x1F 0 0 >/dev/null  # WM_CANCELMODE
# Moves after the cancel must not move the strip: nothing to wait for.
sleep 0.3
timeout 10 xdotool mousemove 860 660 sleep 0.2 mousemove 850 650 sleep 0.2
sleep 0.3
check "after the capture is gone the strip stays" "824 668 984 713" "$(strip_rect)"
timeout 10 xdotool mouseup 1
sleep 0.3

echo "-- close box and tray"
read -r x y _ _ < <(strip_rect)
timeout 10 xdotool mousemove $((x + 159)) $((y + 4)) click 1
sleep 0.5
check "a click right of the close box keeps the strip" visible "$(strip_state)"
timeout 10 xdotool mousemove $((x + 158)) $((y + 7)) click 1
check "a click on the close box hides the strip" hidden "$(wait_for 3 hidden strip_state)"
icons=$(wait_tray_icons 5 2)
echo "tray icons (left right): $(tr '\n' ';' <<<"$icons")"
check "the strip's icon joins the menu's" 2 "$(grep -c . <<<"$icons")"
wt post "${LED[@]}" 0x603 512 0x200 >/dev/null
sleep 0.5
check "a mouse move on the tray icon does nothing" hidden "$(strip_state)"
wt traydel "${LED[@]}" 512 >/dev/null
check "the shell lost the strip's icon" 1 "$(wait_tray_icons 5 1 | grep -c .)"
wt postreg "${LED[@]}" TaskbarCreated >/dev/null
icons=$(wait_tray_icons 5 2)
check "TaskbarCreated: the strip's icon comes back" 2 "$(grep -c . <<<"$icons")"
# The shell puts a new icon left of the older ones.
led_icon=$(head -n1 <<<"$icons")
echo "the strip's icon at $led_icon, the menu's at $menu_icon"
click_tray_icon "$led_icon" 1
check "a click on the tray icon shows the strip" visible "$(wait_for 3 visible strip_state)"
check "and its icon is gone" 1 "$(wait_tray_icons 5 1 | grep -c .)"
check "shown again at its place" "864 688 1024 733" "$(strip_rect)"

echo "-- Led item after the tray"
osd_item 3
sleep 0.5  # a change would have come by now
check "Led (checked again) keeps the strip" visible "$(strip_state)"
osd_item 3
check "Led (unchecked) hides the strip" hidden "$(wait_for 3 hidden strip_state)"
osd_item 3
check "Led (checked) shows the strip" visible "$(wait_for 3 visible strip_state)"

echo "-- OSD place and switch"
GREEN="#008000"  # the sample keymap's OSD colour
upper_left() { count_colour 40 40 300 50 "$GREEN" "$@"; }
lower_right() { count_colour 814 658 210 30 "$GREEN" "$@"; }
# The text's pixels at both places, "UPPER LOWER", read from one picture:
# the text lasts a second only.
text_places_now() {
  local shot="$KD_RUN/places.png"
  screenshot "$shot"
  echo "$(upper_left "$shot") $(lower_right "$shot")"
}
text_wiped() { [ "$(text_places_now)" = "0 0" ]; }
# The first picture within 5 s that shows a text at either place.
text_places() {
  local places upper lower deadline=$(deadline_in 5)
  while places=$(text_places_now); read -r upper lower <<<"$places"; do
    [ "$upper" -gt 20 ] || [ "$lower" -gt 20 ] || [ "$(now_us)" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$places"
}
# Location > Upper left: the next text appears at (50, 50).
menu_path 1/3 1/4 0/5
# The desktop beneath the menu just closed repaints itself, which would
# wipe a text drawn too early.
sleep 1.5
keydeck_post 0x500 0x21 0  # row 0 has no target: "Hotkey not assigned!"
read -r upper lower < <(text_places)
check "text at the upper left" yes "$([ "$upper" -gt 20 ] && echo yes || echo no)"
wait_until 5 text_wiped
# A reload puts the place back to the stored one (lower right).
keydeck_post 0x502 1 0
keydeck_post 0x500 0x21 0
read -r upper lower < <(text_places)
check "after a reload no text at the upper left" 0 "$upper"
check "after a reload the text is at the lower right" yes "$([ "$lower" -gt 20 ] && echo yes || echo no)"
wait_until 5 text_wiped
osd_item 2  # Enable: off
keydeck_post 0x500 0x21 0
sleep 0.3  # no text is to come
check "no text with the OSD switched off" 0 "$(lower_right)"
osd_item 2  # Enable: on again

echo "-- font dialog"
osd_item 0
check "font dialog opened" 0 "$(wt boxtext Font 5000 >/dev/null; echo $?)"
wt press Font ok 3000 >/dev/null
# The write side is written last.
size_written() { [ "$(reg_value "$W2" FontSize)" != 0x7 ]; }
wait_until 5 size_written
size=$(reg_value "$W2" FontSize)
echo "FontSize on the write side after OK: $size"
check "OK wrote the font size" yes "$([ "$size" != absent ] && [ -n "$size" ] && [ "$size" != 0x7 ] && echo yes || echo no)"
face=$(reg_value "$W2" Font)
echo "Font on the write side after OK: '$face' (the dialog's choice; Wine has no Arial)"
check "OK wrote the face name" yes "$([ "$face" != absent ] && [ -n "$face" ] && [ "$face" != marker ] && echo yes || echo no)"
check "and the same size where the settings are read" "$size" "$(reg_value "$R2" FontSize)"

keydeck_stop
finish
