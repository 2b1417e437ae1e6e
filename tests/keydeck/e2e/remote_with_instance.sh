# keydeck.exe with a keyhook.dll of the contract's three functions only
# (LoadHookProcedure, UnLoadHookProcedure, GetNUMLock): it starts and runs
# the rows of keys pressed on the display. That hook announces no lock
# change, so the lamps follow Caps Lock only when "/p" asks for them. With
# the instance running: "/u" makes it reload its settings, "/x" and "/P"
# reach nothing, "/q" ends it.
source "$(dirname "$0")/lib.sh"

KEY='HKLM\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000002'
import_keymap
# Row 2 (media key, 0x6D) starts nothing until the reload brings notepad.
reg add "$KEY" /v LinkTo /d "" /f
app="$KD_RUN/app"
mkdir -p "$app" "$KD_RUN/work"
cp "$KD_BIN/keydeck.exe" "$KD_BIN/kbdrelay.dll" "$app/"
cp "$KD_BIN/contract/keyhook.dll" "$app/"
KEYDECK_EXE="$app/keydeck.exe"
keydeck_start "$KD_RUN/work"
check "starts with a keyhook.dll of three functions" 0 "$(wt wait "${SETUP[@]}" 15000 >/dev/null; echo $?)"
# Windows refuses a program whose DLL lacks an import; Wine starts it and
# faults at the first call of the missing function, in the settings load.
# Timer2 shows the strip only after that load.
check "the LED strip is shown after the start" 0 "$(wt waitvisible "${LED[@]}" 8000; echo $?)"
# On the 9x family too the keys go to the desktop, whose window has them.
timeout 10 xdotool mousemove 500 400 click 1
sleep 0.5

# Keys pressed on the display reach their rows through that hook; Browser
# Back's row taps Alt+Left, which that hook cannot be told of.
osd_text() { count_colour 814 658 210 30 "#008000"; }
timeout 10 xdotool key XF86Back
check "a key pressed shows its row's caption" yes "$(wait_above 5 20 osd_text >/dev/null && echo yes || echo no)"
check "the caption is wiped again" 0 "$(wait_for 5 0 osd_text)"
check "Keydeck still runs after its own key taps" yes "$(has_window "${SETUP[@]}")"

# Caps Lock on: no lamp change until "/p" asks for the lamps; /P (upper
# case) does not.
check "Caps Lock lamp at start" grey "$(lamp 2)"
timeout 10 xdotool key Caps_Lock
sleep 1  # no change is to come
check "Caps Lock lamp before /p" grey "$(lamp 2)"
check "/P (upper case) ends" 0 "$(keydeck_once "$KD_RUN/work" /P)"
sleep 0.3  # no change is to come
check "Caps Lock lamp after /P" grey "$(lamp 2)"
check "/p ends" 0 "$(keydeck_once "$KD_RUN/work" /p)"
check "Caps Lock lamp after /p" lime "$(wait_lamp 2 lime)"
timeout 10 xdotool key Caps_Lock
check "/p again ends" 0 "$(keydeck_once "$KD_RUN/work" /p)"
check "Caps Lock lamp after Caps Lock and /p" grey "$(wait_lamp 2 grey)"

# Reload: the new link target is used by the next key.
keydeck_post 0x500 0x6D 0
check "media key before the reload starts nothing" 1 "$(wt wait Notepad - 3000; echo $?)"
reg add "$KEY" /v LinkTo /d notepad.exe /f
check "/x ends" 0 "$(keydeck_once "$KD_RUN/work" /x)"
keydeck_post 0x500 0x6D 0
check "/x reloads nothing" 1 "$(wt wait Notepad - 3000; echo $?)"
check "/u ends" 0 "$(keydeck_once "$KD_RUN/work" /u)"
# Its request waits in the queue before the key's.
keydeck_post 0x500 0x6D 0
check "media key after /u starts notepad" 0 "$(wt wait Notepad - 15000; echo $?)"
notepad=$(wt pid Notepad -)
[ -n "$notepad" ] && wt post Notepad - 0x10 0 0 >/dev/null

check "instance still runs" yes "$(has_window "${SETUP[@]}")"
check "/q ends" 0 "$(keydeck_once "$KD_RUN/work" /q)"
check "instance ended by /q" yes "$(keydeck_ended 20 && echo yes || echo no)"
check "no control form after /q" no "$(has_window "${SETUP[@]}")"
finish
