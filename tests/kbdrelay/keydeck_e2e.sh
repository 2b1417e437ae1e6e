# keydeck.exe with the real kbdrelay.dll over the simulated receiver: the
# reader opens the receiver's input collection, reports written to it reach
# SetupFrm as 0x464 and drive the Channel Setting window and the LED
# strip's warning lamps, Timer3's feature report reaches the feature
# collection, and the reader lets go of the input when Keydeck ends.
# Runs inside wine-run.sh (WINEPREFIX, DISPLAY, KD_BIN, KD_SRC, KD_RUN) with
# a virtual desktop.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"
source "$KD_SRC/tests/kbdrelay/sim/sim.sh"

form3() { wt visible TForm3 "Channel Setting"; }

report() {  # hex bytes of one input report
  check "report $1 reached one reader" 1 "$(sim send kbdsim-input "$1")"
}
# After a report that must change nothing: time for it to be handled.
settle() { sleep 0.5; }

import_keymap
sim_serve 300
check "simulated receiver up, no client yet" 0 "$(wait_clients 0 20)"
keydeck_start_over_sim

echo "-- start"
check "kbdrelay's reader opened the input collection" 1 "$(wait_clients 1 30)"
check "LED strip shown" visible "$(wt waitvisible "${LED[@]}" 10000 >/dev/null; wt visible "${LED[@]}")"
check "Channel Setting window hidden at start" hidden "$(form3)"
check "keyboard lamp grey at start" grey "$(lamp 4)"
check "mouse lamp grey at start" grey "$(lamp 5)"

echo "-- receiver reports"
report 041100000000000000
check "kind 4, bit 12: Channel Setting shown" visible "$(wait_for 3 visible form3)"
check "kind 4, bit 8: keyboard lamp" red "$(wait_lamp 4 red)"
check "kind 4, bit 8: mouse lamp" grey "$(lamp 5)"
report 040C00000000000000
check "kind 4, bit 12 clear: Channel Setting hidden" hidden "$(wait_for 3 hidden form3)"
check "kind 4, bits 10-11: keyboard lamp" grey "$(wait_lamp 4 grey)"
check "kind 4, bits 10-11: mouse lamp" red "$(wait_lamp 5 red)"
report 031F00000000000000
settle
check "kind 3 leaves Channel Setting hidden" hidden "$(form3)"
check "kind 3 leaves the keyboard lamp" grey "$(lamp 4)"
check "kind 3 leaves the mouse lamp" red "$(lamp 5)"
report 000000000410000000
settle
check "zero first word (second word not posted) changes nothing" hidden "$(form3)"
report 040200000000000000
check "kind 4, bit 9: keyboard lamp" red "$(wait_lamp 4 red)"
check "kind 4, bit 9: mouse lamp" grey "$(wait_lamp 5 grey)"

echo "-- feature report"
wait_until 15 test -s "$FEATURES"
check "Timer3's feature report at the feature collection" "kbdsim-feature 03 04 00 00 00" \
  "$(head -n1 "$FEATURES" 2>/dev/null | tr -d '\r')"

echo "-- end"
keydeck_post 0x12 0 0  # WM_QUIT
check "keydeck.exe ended" yes "$(keydeck_ended 10 && echo yes || echo no)"
check "the reader let go of the input" 0 "$(wait_clients 0 10)"
sim quit >/dev/null
finish
