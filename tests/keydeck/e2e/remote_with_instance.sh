# With an instance running: "/p" makes it read the lock lamps, "/u" makes
# it reload its settings, "/x" and "/P" reach nothing, "/q" ends it.
source "$(dirname "$0")/lib.sh"

KEY='HKLM\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000002'
import_keymap
# Row 2 (media key, 0x6D) starts nothing until the reload brings notepad.
timeout 30 wine reg add "$KEY" /v LinkTo /d "" /f >/dev/null 2>&1 </dev/null
mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null
wt waitvisible TRFLed RFLed 5000
timeout 10 xdotool mousemove 500 400
check "Caps Lock lamp before /p" grey "$(lamp 2)"

# Caps Lock on: the hook reports the change itself, so the lamp follows
# without a lock request; /P (upper case) and /p both end at once.
timeout 10 xdotool key Caps_Lock
for attempt in $(seq 20); do
  sleep 0.2
  [ "$(lamp 2)" = lime ] && break
done
check "Caps Lock lamp follows the key" lime "$(lamp 2)"
check "/P (upper case) ends" 0 "$(keydeck_once "$KD_RUN/work" /P)"
check "/p ends" 0 "$(keydeck_once "$KD_RUN/work" /p)"
sleep 0.3
check "Caps Lock lamp after /p" lime "$(lamp 2)"
timeout 10 xdotool key Caps_Lock

# Reload: the new link target is used by the next key.
wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x500 0x6D 0 >/dev/null
check "media key before the reload starts nothing" 1 "$(wt wait Notepad - 3000; echo $?)"
timeout 30 wine reg add "$KEY" /v LinkTo /d notepad.exe /f >/dev/null 2>&1 </dev/null
check "/x ends" 0 "$(keydeck_once "$KD_RUN/work" /x)"
wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x500 0x6D 0 >/dev/null
check "/x reloads nothing" 1 "$(wt wait Notepad - 3000; echo $?)"
check "/u ends" 0 "$(keydeck_once "$KD_RUN/work" /u)"
sleep 0.5
wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x500 0x6D 0 >/dev/null
check "media key after /u starts notepad" 0 "$(wt wait Notepad - 15000; echo $?)"
notepad=$(wt pid Notepad -)
[ -n "$notepad" ] && wt post Notepad - 0x10 0 0 >/dev/null

check "instance still runs" yes "$(has_window TSetupFrm "WIRELESS KEYBOARD SETUP")"
check "/q ends" 0 "$(keydeck_once "$KD_RUN/work" /q)"
check "instance ended by /q" yes "$(keydeck_ended 20 && echo yes || echo no)"
check "no control form after /q" no "$(has_window TSetupFrm "WIRELESS KEYBOARD SETUP")"
finish
