# keydeck.exe starts with the sample keymap imported, creates its windows
# with their classes and titles in the order of its forms, shows no
# task-bar button, shows the LED strip after two seconds and ends on
# WM_QUIT.
source "$(dirname "$0")/lib.sh"

import_keymap
mkdir -p "$KD_RUN/work"
# Watches the forms being created, from before the start.
timeout 60 wine "$KD_BIN/wintool.exe" creations 8000 TRFLed TSetupFrm TForm3 TMovie TPLAYER \
  >"$KD_RUN/creations.out" 2>/dev/null </dev/null &
watcher=$!
wait_until 10 grep -q ready "$KD_RUN/creations.out"
keydeck_start "$KD_RUN/work"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null
# The control form appears before its load finishes; the forms after it
# come once it is done.
wt wait TForm3 "Channel Setting" 15000 >/dev/null
pid="$(wt pid TSetupFrm "WIRELESS KEYBOARD SETUP")"
check "no task-bar button before the strip shows" "" "$(wt buttons "$pid")"
wait "$watcher"
# The last window of each class counts: the action engine's own panel is
# created in SetupFrm's start, before Form3.
order="$(tr -d '\r' <"$KD_RUN/creations.out" | grep -v '^ready$' | tac | awk '!seen[$0]++' | tac | tr '\n' ' ')"
check "forms created in the order RFLed, SetupFrm, Form3, Movie, PLAYER" \
  "TRFLed TSetupFrm TForm3 TMovie TPLAYER " "$order"
check "control form exists" yes "$(has_window TSetupFrm "WIRELESS KEYBOARD SETUP")"
check "application window exists" yes "$(has_window TApplication "WIRELESS KEYBOARD")"
check "LED strip exists" yes "$(has_window TRFLed RFLed)"
check "Channel Setting exists" yes "$(has_window TForm3 "Channel Setting")"
check "movie window exists" yes "$(has_window TMovie Movie)"
check "panel exists" yes "$(has_window TPLAYER PLAYER)"
check "application window hidden" hidden "$(wt visible TApplication "WIRELESS KEYBOARD")"
check "control form hidden" hidden "$(wt visible TSetupFrm "WIRELESS KEYBOARD SETUP")"
check "Channel Setting hidden" hidden "$(wt visible TForm3 "Channel Setting")"
wt waitvisible TRFLed RFLed 5000
check "LED strip shown by Timer2" visible "$(wt visible TRFLed RFLed)"
check "LED strip at the lower right" "864 688 1024 733" "$(wt rect TRFLed RFLed)"
check "no task-bar button with the strip shown" "" "$(wt buttons "$pid")"

keydeck_stop
check "keydeck ended on WM_QUIT" no "$(has_window TApplication "WIRELESS KEYBOARD")"
finish
