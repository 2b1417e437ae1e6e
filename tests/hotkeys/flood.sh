# A flood of hotkeys posted at once (thousands of 0x500 in a row, as a
# stuck or chattering keyboard would send) is worked through without a
# crash: Keydeck still answers afterwards, the last caption is on the
# desktop and is wiped a second later.
source "$(dirname "$0")/hk_lib.sh"

import_rows "6d|0|Flood|" \
            "30|4|Up|" \
            "6c|1|After|$HELPER_WIN after-flood"
start_keydeck
pid_before=$(wt pid "${SETUP[@]}")

echo "-- 4000 caption keys and 2000 repeating volume keys, posted at once"
echo "$(helper --flood 4000 0x6D 0)"
echo "$(helper --flood 2000 0x30 1)"
echo "$(helper --flood 1 0x6D 0)"
watch_start 4000 0 0 1024 768 "$OSD_RED"
keydeck_post 0x500 0x6C 0
check "a launch key posted behind the flood still runs" 0 "$(wait_started 90 1 after-flood; echo $?)"
check "Keydeck is the same process" "$pid_before" "$(wt pid "${SETUP[@]}")"
check "the launch ran once" 1 "$(started_count after-flood)"
watch_end
echo "captions seen: $seen"
text_at "the captions are drawn at the OSD place" 50 50 "$seen"
sleep 1.2
check "and wiped a second after the last" 0 "$(osd_pixels)"
check "no volume bar is left either" 0 "$(helper --count 0 641 1024 28 FFFF00)"

keydeck_stop
finish
