# The sample key map as shipped, with keys pressed on the virtual display:
# the Media key opens Notepad (its row 2), the volume keys show the bar, and
# the caption appears at the sample's OSD place (lower right) in its green.
source "$(dirname "$0")/hk_lib.sh"

import_keymap
start_keydeck
GREEN=008000 YELLOW=FFFF00

timeout 10 xdotool mousemove 500 400
sleep 0.5
echo "-- Media key"
timeout 10 xdotool key XF86AudioMedia
check "Notepad opens" 0 "$(wt waitvisible Notepad - 20000 >/dev/null; echo $?)"
box=$(helper --bounds 0 0 1024 768 "$GREEN")
echo "green caption spans: $box"
read -r left top _ _ <<<"$box"
check "caption at the lower-right place (824, 668)" yes "$([ "${left:-0}" -ge 824 ] && [ "${left:-0}" -le 832 ] && [ "${top:-0}" -ge 668 ] && [ "${top:-0}" -le 680 ] && echo yes || echo no)"
wt post Notepad - 0x10 0 0 >/dev/null
wt waitgone Notepad - 10000 >/dev/null

echo "-- volume keys"
sleep 1.2
timeout 10 xdotool key XF86AudioLowerVolume
sleep 0.4
check "Volume Down shows the bar" yes "$([ "$(helper --count 0 655 1024 1 "$YELLOW")" -gt 900 ] && echo yes || echo no)"
timeout 10 xdotool key XF86AudioRaiseVolume
sleep 0.4
check "Volume Up: the bar at full level" 1022 "$(helper --count 0 655 1024 1 "$YELLOW")"

keydeck_stop
finish
