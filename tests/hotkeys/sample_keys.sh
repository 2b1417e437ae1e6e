# The sample key map as shipped, with keys pressed on the virtual display:
# the Media key opens Notepad (its row 2), the volume keys show the bar, and
# the caption appears at the sample's OSD place (lower right) in its green;
# holding a channel key shows the Channel Setting window until it is let go.
source "$(dirname "$0")/hk_lib.sh"

import_keymap
start_keydeck
GREEN=008000 YELLOW=FFFF00

timeout 10 xdotool mousemove 500 400
sleep 0.5
echo "-- Media key"
watch_start 4000 0 0 1024 768 "$GREEN"
timeout 10 xdotool key XF86AudioMedia
check "Notepad opens" 0 "$(wt waitvisible Notepad - 20000 >/dev/null; echo $?)"
watch_end
echo "green caption seen: $seen"
text_at "caption at the lower-right place (824, 668)" 824 668 "$seen"
wt post Notepad - 0x10 0 0 >/dev/null
wt waitgone Notepad - 10000 >/dev/null

echo "-- volume keys"
wait_for 5 0 helper --count 824 660 200 28 "$GREEN" >/dev/null  # the caption is wiped
watch_start 1500 0 655 1024 1 "$YELLOW"
timeout 10 xdotool key XF86AudioLowerVolume
watch_end
echo "yellow after Volume Down: $seen"
check "Volume Down shows the bar, one step below full" 997 "$(watch_field right "$seen")"
watch_start 1500 0 655 1024 1 "$YELLOW"
timeout 10 xdotool key XF86AudioRaiseVolume
watch_end
check "Volume Up: the bar at full level" 1022 "$(watch_field max "$seen")"

echo "-- channel key"
# Wine gives the Hiragana key scan code 0x62, the second channel key's.
check "Channel Setting is hidden before" hidden "$(wt visible TForm3 "Channel Setting")"
timeout 10 xdotool keydown Hiragana
check "holding the channel key shows Channel Setting" 0 "$(wt waitvisible TForm3 "Channel Setting" 10000 >/dev/null; echo $?)"
timeout 10 xdotool keyup Hiragana
check "letting it go hides it" 0 "$(wt waithidden TForm3 "Channel Setting" 10000 >/dev/null; echo $?)"

keydeck_stop
finish
