# What hotkeys put on the desktop: the caption in the OSD font and colour at
# the OSD place, the volume bar with its level, both gone after the wipe;
# and the browser key (code 20) that starts nothing while a window of class
# "IEFrame" is open.
source "$(dirname "$0")/hk_lib.sh"

import_rows "6d|0|Media key|" \
            "30|4|Up|" \
            "2e|3|Down|" \
            "32|20|WWW|"
register_browser
start_keydeck
YELLOW=FFFF00 BLUE=0000FF DESK=256F95

echo "-- caption"
watch_start 2500 0 0 1024 768 "$OSD_RED"
post 0x500 0x6D 0
watch_end
echo "caption seen: $seen"
text_at "caption at the upper-left place (50, 50)" 50 50 "$seen"
# The cell of a 32-pixel font is up to 1.4 em tall in the face Wine
# substitutes (Noto Sans where it is installed).
check "caption within the 32-pixel font's cell below it" yes "$([ "$(watch_field bottom "$seen")" -lt 96 ] && echo yes || echo no)"
shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
check "caption shown for about a second (${shown} ms seen)" yes "$([ "$shown" -ge 700 ] && [ "$shown" -le 1600 ] && echo yes || echo no)"
check "caption wiped" 0 "$(osd_pixels)"

echo "-- volume bar"
# Keydeck's master volume starts at full (Wine keeps one per process): up
# stays at 0xFFFF (level 255), down gives 0xF9FF (249), down again 0xF3FF
# (243). The bar is the rectangle (0, 640)-(fill, 670) in yellow over
# (0, 640)-(1024, 670) in blue, outlined in black.
watch_start 3000 0 600 1024 100 "$YELLOW"
post 0x500 0x30 0
watch_end
echo "level 255, yellow: $seen"
check "level 255: yellow fills the whole bar inside its outline" "28616 1 641 1022 668" \
  "$(watch_field max "$seen") $(watch_field left "$seen") $(watch_field top "$seen") $(watch_field right "$seen") $(watch_field bottom "$seen")"
shown=$(($(watch_field last "$seen") - $(watch_field first "$seen")))
check "the bar is shown for about two seconds (${shown} ms seen)" yes "$([ "$shown" -ge 1700 ] && [ "$shown" -le 2600 ] && echo yes || echo no)"
check "the bar is wiped" 1024 "$(helper --count 0 655 1024 1 "$DESK")"

watch_start 1500 0 600 1024 100 "$YELLOW"
post 0x500 0x2E 0
watch_end
echo "level 249, yellow: $seen"
check "level 249: yellow ends at x 997 (fill 249 * 1024 / 255 = 999)" 997 "$(watch_field right "$seen")"

# Rows of the bar only: the LED strip below it has blue of its own.
watch_start 1500 0 641 1024 28 "$BLUE"
post 0x500 0x2E 0
watch_end
echo "level 243, blue: $seen"
check "level 243: blue from x 975 (fill 975) to the right outline" "975 641 1022 668" \
  "$(watch_field left "$seen") $(watch_field top "$seen") $(watch_field right "$seen") $(watch_field bottom "$seen")"
sleep 2.2

echo "-- browser key with a browser frame open"
(exec timeout 120 wine "$KD_BIN/hotkey_helper.exe" --window IEFrame >"$KD_RUN/frame.log" 2>&1 </dev/null) &
frame_pid=$!
wt waitvisible IEFrame IEFrame 15000 >/dev/null
check "an IEFrame window is open" yes "$(has_window IEFrame IEFrame)"
watch_start 2000 0 0 1024 768 "$OSD_RED"
post 0x500 0x32 0
watch_end
text_at "code 20 reports success: its caption is shown" 50 50 "$seen"
sleep 2
check "and starts no browser while the frame is open" 0 "$(started_count browser)"
wt post IEFrame IEFrame 0x10 0 0 >/dev/null
wt waitgone IEFrame IEFrame 10000 >/dev/null
wait "$frame_pid" 2>/dev/null
sleep 1.2
post 0x500 0x32 0
check "without the frame the same key starts the browser command" 0 "$(wait_started 15 1 browser; echo $?)"

keydeck_stop
finish
