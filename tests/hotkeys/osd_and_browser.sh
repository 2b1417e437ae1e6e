# What hotkeys put on the desktop: the caption in the OSD font and colour at
# the OSD place, the volume bar with its level, both gone after the wipe;
# from Vista on (win7, win10) both in a window of the OSD's own that stays
# its whole time, also while a program the hotkey started opens a window,
# and that neither takes the focus nor catches a click; and the browser key
# (code 20) that starts nothing while a window of class "IEFrame" is open.
source "$(dirname "$0")/hk_lib.sh"

import_rows "6d|0|Media key|" \
            "30|4|Up|" \
            "2e|3|Down|" \
            "32|20|WWW|" \
            "21|1|Launch|$HELPER_WIN --window KdLaunched 250 30 400 150"
register_browser
start_keydeck
YELLOW=FFFF00 BLUE=0000FF DESK=256F95
bar_wiped() { [ "$(helper --count 0 655 1024 1 "$DESK")" = 1024 ]; }
bar_shown() { [ "$(helper --count 0 641 1024 28 "$YELLOW")" -gt 0 ]; }
clicked() { grep -q '^click KdFocus' "$HELPER_LOG" 2>/dev/null; }
case "$WINE_VERSION_NAME" in
  win7 | win10 | vista | win8 | win81) own_window=yes ;;
  *) own_window=no ;;
esac

echo "-- caption"
# The upper-left quarter: the smaller the box, the closer together the
# pictures, and the truer the time the caption is seen.
watch_start 2500 0 0 512 384 "$OSD_RED"
keydeck_post 0x500 0x6D 0
watch_end
echo "caption seen: $seen"
text_at "caption at the upper-left place (50, 50)" 50 50 "$seen"
# The cell of a 32-pixel font is up to 1.4 em tall in the face Wine
# substitutes (Noto Sans where it is installed).
check "caption within the 32-pixel font's cell below it" yes "$([ "$(watch_field bottom "$seen")" -lt 96 ] && echo yes || echo no)"
shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
check "caption shown for about a second (${shown} ms seen)" yes "$([ "$shown" -ge 700 ] && [ "$shown" -le 1600 ] && echo yes || echo no)"
check "caption wiped" 0 "$(osd_pixels)"
if [ "$own_window" = yes ]; then
  check "the caption is in every picture while it is shown" 0 "$(watch_field gaps "$seen")"
  check "for its whole second (${shown} ms between the first and last picture, $(watch_field step "$seen") ms apart at most)" yes \
    "$([ "$shown" -ge 750 ] && echo yes || echo no)"
fi

echo "-- volume bar"
# Keydeck's master volume starts at full (Wine keeps one per process): up
# stays at 0xFFFF (level 255), down gives 0xF9FF (249), down again 0xF3FF
# (243). The bar is the rectangle (0, 640)-(fill, 670) in yellow over
# (0, 640)-(1024, 670) in blue, outlined in black.
watch_start 3000 0 600 1024 100 "$YELLOW"
keydeck_post 0x500 0x30 0
watch_end
echo "level 255, yellow: $seen"
check "level 255: yellow fills the whole bar inside its outline" "28616 1 641 1022 668" \
  "$(watch_field max "$seen") $(watch_field left "$seen") $(watch_field top "$seen") $(watch_field right "$seen") $(watch_field bottom "$seen")"
shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
check "the bar is shown for about two seconds (${shown} ms seen)" yes "$([ "$shown" -ge 1700 ] && [ "$shown" -le 2600 ] && echo yes || echo no)"
check "the bar is wiped" 1024 "$(helper --count 0 655 1024 1 "$DESK")"
if [ "$own_window" = yes ]; then
  check "the bar is in every picture while it is shown" 0 "$(watch_field gaps "$seen")"
  check "for its whole two seconds (${shown} ms)" yes "$([ "$shown" -ge 1750 ] && echo yes || echo no)"
fi

# From Vista on the level is the default endpoint's, which Wine does not
# move: there the steps are not checked.
if [ "$own_window" = no ]; then
  watch_start 1500 0 600 1024 100 "$YELLOW"
  keydeck_post 0x500 0x2E 0
  watch_end
  echo "level 249, yellow: $seen"
  check "level 249: yellow ends at x 997 (fill 249 * 1024 / 255 = 999)" 997 "$(watch_field right "$seen")"

  # Rows of the bar only: the LED strip below it has blue of its own.
  watch_start 1500 0 641 1024 28 "$BLUE"
  keydeck_post 0x500 0x2E 0
  watch_end
  echo "level 243, blue: $seen"
  check "level 243: blue from x 975 (fill 975) to the right outline" "975 641 1022 668" \
    "$(watch_field left "$seen") $(watch_field top "$seen") $(watch_field right "$seen") $(watch_field bottom "$seen")"
fi
wait_until 5 bar_wiped

echo "-- the focus and the mouse"
if [ "$own_window" = yes ]; then
  # Topmost 0x8, transparent 0x20, tool window 0x80, layered 0x80000, no
  # activation 0x8000000.
  style=$(helper --exstyle TKeydeckOsd)
  echo "OSD window extended style: $style"
  check "the OSD window is topmost, click-through, layered, never activated, without a task-bar button" \
    $((0x080800A8)) "$(((${style:-0}) & 0x080800A8))"
else
  check "no OSD window of its own: it draws on the desktop" none "$(helper --exstyle TKeydeckOsd)"
fi
# A window of another program under the caption, in the foreground.
(exec timeout 120 wine "$KD_BIN/hotkey_helper.exe" --window KdFocus 20 20 500 150 >"$KD_RUN/focus.log" 2>&1 </dev/null) &
focus_pid=$!
wt waitvisible KdFocus KdFocus 15000 >/dev/null
check "the window beneath has the focus" "KdFocus KdFocus" "$(wait_for 5 "KdFocus KdFocus" helper --foreground)"
keydeck_post 0x500 0x6D 0
# A glyph pixel of the caption, found while it is shown, is clicked.
glyph=none
for _ in 1 2 3 4 5; do
  glyph=$(helper --pixel 40 40 400 80 "$OSD_RED")
  [ "$glyph" != none ] && break
done
echo "caption glyph at: $glyph"
check "while the caption is shown the focus stays where it was" "KdFocus KdFocus" "$(helper --foreground)"
if [ "$own_window" = yes ]; then
  if [ "$glyph" != none ]; then timeout 10 xdotool mousemove ${glyph% *} ${glyph#* } click 1; fi
  check "a click on the caption reaches the window beneath" yes "$(wait_until 3 clicked && echo yes || echo no)"
fi
keydeck_post 0x500 0x30 0
wait_until 3 bar_shown
check "while the bar is shown the focus stays where it was" "KdFocus KdFocus" "$(helper --foreground)"
wt post KdFocus KdFocus 0x10 0 0 >/dev/null
wait "$focus_pid" 2>/dev/null
wait_until 5 bar_wiped

if [ "$own_window" = yes ]; then
  echo "-- a program started by the hotkey opens a window next to the caption"
  # On the desktop DC the repaint that follows a program start erased the
  # caption within about 70 ms; the OSD's own window stays above it.
  watch_start 2500 0 0 240 140 "$OSD_RED"
  keydeck_post 0x500 0x21 0
  watch_end
  echo "caption seen: $seen"
  check "the program was started and its window is open" 0 "$(wt waitvisible KdLaunched KdLaunched 15000 >/dev/null; echo $?)"
  text_at "the caption at its place (50, 50)" 50 50 "$seen"
  shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
  check "the caption stays its whole second beside the new window (${shown} ms, pictures $(watch_field step "$seen") ms apart at most)" yes \
    "$([ "$shown" -ge 750 ] && [ "$shown" -le 1600 ] && echo yes || echo no)"
  check "and is in every picture meanwhile" 0 "$(watch_field gaps "$seen")"
  check "the started program's window took the focus" "KdLaunched KdLaunched" "$(helper --foreground)"
  wt post KdLaunched KdLaunched 0x10 0 0 >/dev/null

  echo "-- a program opens a window next to the volume bar"
  watch_start 3000 0 641 1024 28 "$YELLOW"
  keydeck_post 0x500 0x30 0
  (exec timeout 120 wine "$KD_BIN/hotkey_helper.exe" --window KdBarNext 200 480 400 150 >"$KD_RUN/barnext.log" 2>&1 </dev/null) &
  barnext_pid=$!
  watch_end
  echo "bar seen: $seen"
  shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
  check "the bar stays its whole two seconds beside the new window (${shown} ms, pictures $(watch_field step "$seen") ms apart at most)" yes \
    "$([ "$shown" -ge 1750 ] && [ "$shown" -le 2600 ] && echo yes || echo no)"
  check "and is in every picture meanwhile" 0 "$(watch_field gaps "$seen")"
  check "the bar's yellow at full level, inside its outline" "1 641 1022 668" \
    "$(watch_field left "$seen") $(watch_field top "$seen") $(watch_field right "$seen") $(watch_field bottom "$seen")"
  check "the bar is wiped" 1024 "$(helper --count 0 655 1024 1 "$DESK")"
  wt post KdBarNext KdBarNext 0x10 0 0 >/dev/null
  wait "$barnext_pid" 2>/dev/null
  sleep 1.2
fi

echo "-- browser key with a browser frame open"
(exec timeout 120 wine "$KD_BIN/hotkey_helper.exe" --window IEFrame >"$KD_RUN/frame.log" 2>&1 </dev/null) &
frame_pid=$!
wt waitvisible IEFrame IEFrame 15000 >/dev/null
check "an IEFrame window is open" yes "$(has_window IEFrame IEFrame)"
watch_start 2000 0 0 1024 768 "$OSD_RED"
keydeck_post 0x500 0x32 0
watch_end
text_at "code 20 reports success: its caption is shown" 50 50 "$seen"
sleep 2
check "and starts no browser while the frame is open" 0 "$(started_count browser)"
wt post IEFrame IEFrame 0x10 0 0 >/dev/null
wt waitgone IEFrame IEFrame 10000 >/dev/null
wait "$frame_pid" 2>/dev/null
sleep 1.2
keydeck_post 0x500 0x32 0
check "without the frame the same key starts the browser command" 0 "$(wait_started 15 1 browser; echo $?)"

keydeck_stop
finish
