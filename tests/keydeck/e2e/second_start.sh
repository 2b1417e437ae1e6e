# A second plain start shows "Program already installed !" (caption
# "Message") and ends; the first instance keeps running untouched.
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
finish
