# keydeck.exe starts with the sample keymap imported, creates its windows
# with their classes and titles, shows the LED strip after two seconds and
# ends on WM_QUIT.
source "$(dirname "$0")/lib.sh"

import_keymap
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null
# The control form appears before its load finishes; the forms after it
# come once it is done.
wt wait TPLAYER PLAYER 15000 >/dev/null
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

keydeck_stop
check "keydeck ended on WM_QUIT" no "$(has_window TApplication "WIRELESS KEYBOARD")"
finish
