# A second plain start shows "Program already installed !" (caption
# "Message") and ends; the first instance keeps running untouched. Two
# starts at the same moment, before either has its windows, give one
# running copy and one box.
source "$(dirname "$0")/lib.sh"

import_keymap
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null
first=$(wt find TSetupFrm "WIRELESS KEYBOARD SETUP")

keydeck_start "$KD_RUN/work"
check "box text" "Program already installed !" "$(wt boxtext Message 15000)"
check "box has an OK button" 0 "$(wt press Message ok 2000; echo $?)"
check "second copy ends" yes "$(keydeck_ended 15 && echo yes || echo no)"
check "first instance's control form unchanged" "$first" "$(wt find TSetupFrm "WIRELESS KEYBOARD SETUP")"
check "first instance still answers" 0 "$(wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x501 1 0; echo $?)"
unset 'keydeck_pids[-1]'
keydeck_stop
check "no copy left" no "$(has_window TSetupFrm "WIRELESS KEYBOARD SETUP")"

echo "-- two starts at once"
keydeck_start "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
check "box text" "Program already installed !" "$(wt boxtext Message 15000)"
check "box has an OK button" 0 "$(wt press Message ok 2000; echo $?)"
# The refused copy ends, and the other has made its windows.
one_ended() { ended "${keydeck_pids[-1]}" || ended "${keydeck_pids[-2]}"; }
wait_until 15 one_ended
keydeck_ready
check "one control form" 1 "$(wt all TSetupFrm "WIRELESS KEYBOARD SETUP" | grep -c .)"
check "one application window" 1 "$(wt all TApplication "WIRELESS KEYBOARD" | grep -c .)"
check "no second box" 1 "$(wt boxtext Message 1000 >/dev/null; echo $?)"
alive=0
for pid in "${keydeck_pids[@]: -2}"; do kill -0 "$pid" 2>/dev/null && alive=$((alive + 1)); done
check "one of the two still runs" 1 "$alive"
keydeck_stop
finish
