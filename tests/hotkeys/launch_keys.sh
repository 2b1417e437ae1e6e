# Keymap rows of code 1 and 2 start a program when their key code is
# posted to Keydeck and when the key is pressed on the display through the
# keyboard hook; auto-repeat starts nothing; an empty target shows
# "Hotkey not assigned!".
source "$(dirname "$0")/hk_lib.sh"

import_rows "6c|1|A|$HELPER_WIN code1" \
            "21|2|B|$HELPER_WIN" \
            "65|1|C|"
start_keydeck

echo "-- key codes posted as Keyhook posts them"
keydeck_post 0x500 0x6C 0
check "code 1 runs its command line" 0 "$(wait_started 15 1 code1; echo $?)"
keydeck_post 0x500 0x21 0
check "code 2 opens its target" 0 "$(wait_started 15 1; echo $?)"
keydeck_post 0x500 0x6C 1
keydeck_post 0x500 0x21 7
sleep 3  # a start would have come by now
check "auto-repeat of the code 1 key starts nothing more" 1 "$(started_count code1)"
check "auto-repeat of the code 2 key starts nothing more" 1 "$(started_count)"

echo "-- keys pressed on the display"
timeout 10 xdotool mousemove 500 400
wait_for 5 0 osd_pixels >/dev/null  # past the last OSD wipe
watch_start 2500 0 0 1024 768 "$OSD_RED"
timeout 10 xdotool key XF86Mail
check "the Mail key starts the code 1 row through the hook" 0 "$(wait_started 15 2 code1; echo $?)"
watch_end
echo "caption seen: $seen"
text_at "its caption is drawn at the OSD place (50, 50)" 50 50 "$seen"

echo "-- a row whose target is empty"
wait_for 5 0 osd_pixels >/dev/null
watch_start 2500 0 0 1024 768 "$OSD_RED"
timeout 10 xdotool key XF86Search
watch_end
echo "text seen: $seen"
text_at "a text at the OSD place" 50 50 "$seen"
# The row's caption "C" would be one letter wide; "Hotkey not assigned!" in
# 32-pixel bold is far wider.
width=$(($(watch_field right "$seen") - $(watch_field left "$seen")))
check "it is the wide 'Hotkey not assigned!', not the caption" yes "$([ "$width" -gt 200 ] && echo yes || echo no)"
check "nothing was started for it" 2 "$(started_count code1)"
check "nothing was started for it (no bare start either)" 1 "$(started_count)"

keydeck_stop
finish
