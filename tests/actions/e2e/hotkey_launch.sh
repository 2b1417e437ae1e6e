# Hotkeys posted to a running keydeck.exe start programs through the action
# engine: code 1 runs a command line, code 2 opens a program, a repeat
# (lParam non-zero) fires nothing, and code 20 starts the browser only while
# no "IEFrame" window is open. The mail key pressed on the virtual display
# takes the same path through the keyboard hook.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"

dir="$WINEPREFIX/drive_c/kdtest"
mkdir -p "$dir"
for name in tool opener browser ieframe mailkey; do
  cp "$KD_BIN/kd_actions_helper.exe" "$dir/$name.exe"
done

ran() {  # waits up to $2 tenths of a second for helper $1's marker; prints its command line
  local i
  for ((i = 0; i < $2; i++)); do
    if [ -f "$dir/$1.exe.ran" ]; then
      sleep 0.2
      tr -d '\r' <"$dir/$1.exe.ran"
      return 0
    fi
    sleep 0.1
  done
  echo "(not started)"
  return 1
}

post_key() {  # scan code, lParam
  wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x500 "$1" "$2" >/dev/null
}

# Rows 0, 2 and 4 of the sample keymap (scan codes 0x21, 0x6D, 0x6C) point
# at the helper; the browser (row 3, scan code 0x32, code 20) is the helper
# too.
import_keymap
cat >"$KD_RUN/rows.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000000]
"Caption"="Tool"
"LinkTo"="C:\\kdtest\\tool.exe from-hotkey"
"Function"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000002]
"Caption"="Opener"
"LinkTo"="C:\\kdtest\\opener.exe"
"Function"=dword:00000002

[HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000004]
"Caption"="Mail key"
"LinkTo"="C:\\kdtest\\mailkey.exe pressed"
"Function"=dword:00000001

[HKEY_CLASSES_ROOT\.htm]
@="kdtest.htmlfile"

[HKEY_CLASSES_ROOT\kdtest.htmlfile\shell\open\command]
@="\"C:\\kdtest\\browser.exe\" -nohome \"%1\""
REG
(cd "$KD_RUN" && timeout 60 wine regedit /s rows.reg >"$KD_RUN/rows.out" 2>&1 </dev/null)

mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null

post_key 0x21 0
got=$(ran tool 100)
check "code 1 runs the row's command line" "C:\\kdtest\\tool.exe from-hotkey" "$got"

post_key 0x6D 1
check "a repeat (lParam 1) opens nothing" "(not started)" "$(ran opener 20)"
post_key 0x6D 0
check "code 2 opens the row's program" yes "$(ran opener 100 >/dev/null && echo yes || echo no)"

(exec timeout 120 wine "$dir/ieframe.exe" /window IEFrame >"$KD_RUN/ieframe.log" 2>&1 </dev/null) &
ieframe_pid=$!
wt wait IEFrame - 10000 >/dev/null
check "an IEFrame window is open" yes "$(has_window IEFrame -)"
post_key 0x32 0
check "code 20 starts no browser over IEFrame" "(not started)" "$(ran browser 20)"

wt post IEFrame - 0x10 0 0 >/dev/null  # WM_CLOSE
wt waitgone IEFrame - 10000 >/dev/null
post_key 0x32 0
got=$(ran browser 100)
check "code 20 starts the .htm program without IEFrame" '"C:\kdtest\browser.exe"' "$got"

timeout 10 xdotool mousemove 500 400 >/dev/null 2>&1
timeout 10 xdotool key XF86Mail >/dev/null 2>&1
got=$(ran mailkey 100)
check "the mail key on the display runs row 4 through the hook" \
  "C:\\kdtest\\mailkey.exe pressed" "$got"

keydeck_stop
kill "$ieframe_pid" 2>/dev/null
finish
