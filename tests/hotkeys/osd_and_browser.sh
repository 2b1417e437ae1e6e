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
post 0x500 0x6D 0
sleep 0.3
box=$(helper --bounds 0 0 1024 768 "$OSD_RED")
echo "caption spans: $box"
read -r left top right bottom <<<"$box"
check "caption at the upper-left place (50, 50)" yes "$([ "${left:-0}" -ge 50 ] && [ "${left:-0}" -le 58 ] && [ "${top:-0}" -ge 50 ] && [ "${top:-0}" -le 62 ] && echo yes || echo no)"
check "caption within the 32-pixel cell below it" yes "$([ "${bottom:-999}" -lt 90 ] && echo yes || echo no)"
sleep 1.5
check "caption wiped after a second" 0 "$(osd_pixels)"

echo "-- volume bar"
# Keydeck's master volume starts at full (Wine keeps one per process): up
# stays at 0xFFFF (level 255), down then gives 0xF9FF (level 249).
post 0x500 0x30 0
sleep 0.5
check "level 255: yellow across the whole bar" 1022 "$(helper --count 0 655 1024 1 "$YELLOW")"
check "level 255: the bar spans rows 641..668" 28 "$(helper --count 500 600 1 100 "$YELLOW")"
post 0x500 0x2E 0
sleep 0.5
fill=$(helper --bounds 0 655 1024 1 "$YELLOW")
echo "level 249: yellow spans $fill"
# Rectangle (0, 640)-(999, 670): outline at x 0 and 998, yellow inside.
check "level 249: yellow ends at x 997 (249 * 1024 / 255 = 999)" 997 "$(echo "$fill" | cut -d' ' -f3)"
check "level 249: blue from there to the bar's right outline" 23 "$(helper --count 1000 667 23 1 "$BLUE")"
check "the percentage is drawn on the blue at (999, 645)" yes "$([ "$(helper --count 999 645 25 20 "$BLUE")" -lt 500 ] && echo yes || echo no)"
sleep 2.5
check "the bar is wiped" 1024 "$(helper --count 0 655 1024 1 "$DESK")"
post 0x500 0x30 0
sleep 1.3
check "the bar outlasts a text's second" yes "$([ "$(helper --count 0 655 1024 1 "$YELLOW")" -gt 900 ] && echo yes || echo no)"
sleep 1.5
check "and is gone after two" 1024 "$(helper --count 0 655 1024 1 "$DESK")"

echo "-- browser key with a browser frame open"
(exec timeout 120 wine "$KD_BIN/hotkey_helper.exe" --window IEFrame >"$KD_RUN/frame.log" 2>&1 </dev/null) &
frame_pid=$!
wt waitvisible IEFrame IEFrame 15000 >/dev/null
check "an IEFrame window is open" yes "$(has_window IEFrame IEFrame)"
post 0x500 0x32 0
sleep 0.3
check "code 20 reports success: its caption is shown" yes "$([ "$(osd_pixels)" -gt 20 ] && echo yes || echo no)"
sleep 3
check "and starts no browser while the frame is open" 0 "$(started_count browser)"
wt post IEFrame IEFrame 0x10 0 0 >/dev/null
wt waitgone IEFrame IEFrame 10000 >/dev/null
wait "$frame_pid" 2>/dev/null
sleep 1.2
post 0x500 0x32 0
check "without the frame the same key starts the browser command" 0 "$(wait_started 15 1 browser; echo $?)"

keydeck_stop
finish
