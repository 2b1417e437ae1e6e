# Hotkeys posted to a running keydeck.exe start programs through the action
# engine: code 1 runs a command line, code 2 opens a program, a repeat
# (lParam non-zero) fires nothing, and code 20 starts the browser only while
# no "IEFrame" window is open. The mail key pressed on the virtual display
# takes the same path through the keyboard hook.
#
# Then the media keys of the sample keymap (play/pause, stop, next,
# previous) with the player choices reloaded one after another in the same
# run: 1, the CD application of this Windows version (fake player windows
# of all three classes log what they get; with the window gone, play starts
# the CD Player command); 5, Winamp (then gone, and with no ".mp3" handler
# the box); 0, the play key pressed on the display reaches a focused window
# of another program, while a key with a row is still taken; 7, Keydeck's
# own play/pause tap reaches that window once and does not come back.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"

dir="$WINEPREFIX/drive_c/kdtest"
mkdir -p "$dir"
for name in tool opener browser ieframe mailkey sje wmp mmframe winamp keys; do
  cp "$KD_BIN/kd_actions_helper.exe" "$dir/$name.exe"
done
# The CD Player command: the Windows directory, "\system32" on the NT family.
case "$WINE_VERSION_NAME" in
  win95|win98|winme) cdplayer_dir="$WINEPREFIX/drive_c/windows" ;;
  *) cdplayer_dir="$WINEPREFIX/drive_c/windows/system32" ;;
esac
cp "$KD_BIN/kd_actions_helper.exe" "$cdplayer_dir/cdplayer.exe"

# Waits up to SECONDS for helper NAME's marker (written at once, in one
# piece); prints its command line.
ran() {  # NAME SECONDS
  local marker="$dir/$1.exe.ran"
  [ "$1" = cdplayer ] && marker="$cdplayer_dir/cdplayer.exe.ran"
  if wait_until "$2" test -s "$marker" 2>/dev/null; then
    tr -d '\r' <"$marker"
  else
    echo "(not started)"
    return 1
  fi
}

post_key() { keydeck_post 0x500 "$1" "$2"; }  # scan code, lParam

# Rows 0, 2 and 4 of the sample keymap (scan codes 0x21, 0x6D, 0x6C) point
# at the helper; the browser (row 3, scan code 0x32, code 20) is the helper
# too.
import_keymap
reg_import <<'REG'
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

[-HKEY_CLASSES_ROOT\.mp3]
REG

mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null

post_key 0x21 0
got=$(ran tool 10)
check "code 1 runs the row's command line" "C:\\kdtest\\tool.exe from-hotkey" "$got"

post_key 0x6D 1
check "a repeat (lParam 1) opens nothing" "(not started)" "$(ran opener 2)"
post_key 0x6D 0
check "code 2 opens the row's program" yes "$(ran opener 10 >/dev/null && echo yes || echo no)"

(exec timeout 120 wine "$dir/ieframe.exe" /window IEFrame >"$KD_RUN/ieframe.log" 2>&1 </dev/null) &
pids+=($!)
wt wait IEFrame - 10000 >/dev/null
check "an IEFrame window is open" yes "$(has_window IEFrame -)"
post_key 0x32 0
check "code 20 starts no browser over IEFrame" "(not started)" "$(ran browser 2)"

wt post IEFrame - 0x10 0 0 >/dev/null  # WM_CLOSE
wt waitgone IEFrame - 10000 >/dev/null
post_key 0x32 0
got=$(ran browser 10)
check "code 20 starts the .htm program without IEFrame" '"C:\kdtest\browser.exe"' "$got"

timeout 10 xdotool mousemove 500 400 >/dev/null 2>&1
timeout 10 xdotool key XF86Mail >/dev/null 2>&1
got=$(ran mailkey 10)
check "the mail key on the display runs row 4 through the hook" \
  "C:\\kdtest\\mailkey.exe pressed" "$got"

# ---- media keys ----------------------------------------------------------
PLAY=0x22 STOP=0x24 NEXT=0x19 PREV=0x10
start_fake() {  # name, mode (/window or /keys), class
  rm -f "$dir/$1.exe.log"
  (exec timeout 200 wine "$dir/$1.exe" "$2" "$3" >"$KD_RUN/$1.out" 2>&1 </dev/null) &
  pids+=($!)
  wt wait "$3" - 10000 >/dev/null
}
messages() {  # what fake $1 logged, one message per "|"
  [ -f "$dir/$1.exe.log" ] || { echo "(none)"; return; }
  tr -d '\r' <"$dir/$1.exe.log" | paste -sd '|'
}
key_downs() {  # how many WM_KEYDOWN of virtual key $2 fake $1 logged
  [ -f "$dir/$1.exe.log" ] || { echo 0; return; }
  grep -c "^100 $2 " "$dir/$1.exe.log" || true
}
set_player() {  # the choice, then a reload as "/u" asks for one
  reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v Player /t REG_DWORD /d "$1" /f
  keydeck_post 0x502 1 0
  sleep 0.5  # the keys the hook passes on change with it, unseen
}
keys_then_settle() {  # posts each key code, then gives the posts time to land
  local code
  for code in "$@"; do post_key "$code" 0; sleep 0.3; done
  sleep 0.7
}

echo "-- player 1 on $WINE_VERSION_NAME"
case "$WINE_VERSION_NAME" in
  win98|nt40) app=sje class=SJE_CdPlayerClass play='111 3E8 0|111 3E9 0' rest='111 3EE 0|111 3EB 0|111 3EA 0' ;;
  winme) app=wmp class=WMPlayerApp play='319 0 E0000|319 0 E0000' rest='319 0 B0000|319 0 C0000|319 0 D0000' ;;
  *) app=mmframe class=MMFRAME_MAIN play='111 68 40292|111 68 40292' rest='111 6E 40292|111 6D 40292|111 69 40292' ;;
esac
start_fake sje /window SJE_CdPlayerClass
start_fake wmp /window WMPlayerApp
start_fake mmframe /window MMFRAME_MAIN
set_player 1
keys_then_settle $PLAY $PLAY $NEXT $PREV $STOP
wt waitgone "$class" - 10000 >/dev/null
check "the CD application gets play, pause, next, previous, stop, then SC_CLOSE" \
  "$play|$rest|112 F060 0|destroyed" "$(messages $app)"
for other in sje wmp mmframe; do
  [ "$other" = "$app" ] && continue
  check "the $other window of another version gets nothing" "(none)" "$(messages $other)"
done
keys_then_settle $NEXT $STOP
check "with the application gone, next and stop start nothing" "(not started)" "$(ran cdplayer 0.5)"
post_key $PLAY 0
got=$(ran cdplayer 10)
case "$got" in *'cdplayer.exe /play'*) got=started ;; esac
check "with the application gone, play starts the CD Player command (cdplayer.exe /play)" \
  started "$got"

echo "-- player 5: Winamp"
start_fake winamp /window "Winamp v1.x"
set_player 5
# Believed playing since the last play: play/pause pauses first.
keys_then_settle $PLAY $PLAY $NEXT $PREV $STOP
wt waitgone "Winamp v1.x" - 10000 >/dev/null
check "Winamp gets pause, play, next, previous, stop, then SC_CLOSE" \
  "111 9C6E 0|111 9C6D 0|111 9C70 0|111 9C6C 0|111 9C6F 0|112 F060 0|destroyed" "$(messages winamp)"
post_key $PLAY 0
title=$(wt waitbox "Please install WINAMP first !" 10000)
check "Winamp gone and no .mp3 handler: the box" 0 "$?"
echo "box title: '$title'"
wt press "$title" ok 5000 >/dev/null

echo "-- player 0: the system's own media key"
set_player 0
start_fake keys /keys KdKeyTarget
# The window has the keyboard once an ordinary key reaches it.
for ((i = 0; i < 20; i++)); do
  timeout 10 xdotool key a >/dev/null 2>&1
  sleep 0.5
  [ "$(key_downs keys 41)" -gt 0 ] && break
done
check "the focused window of another program gets typing" yes \
  "$([ "$(key_downs keys 41)" -gt 0 ] && echo yes || echo no)"
timeout 10 xdotool key XF86AudioPlay >/dev/null 2>&1
timeout 10 xdotool key XF86AudioLowerVolume >/dev/null 2>&1
sleep 1.5
check "the play key reaches the focused window as VK_MEDIA_PLAY_PAUSE" 1 "$(key_downs keys B3)"
check "the volume key, which has a row, is still taken" 0 "$(key_downs keys AE)"

echo "-- player 7: the system media keys"
set_player 7
timeout 10 xdotool key XF86AudioPlay >/dev/null 2>&1
check "Keydeck's own play/pause tap reaches the window once" 2 "$(wait_for 5 2 key_downs keys B3)"
sleep 2  # a tap come back would have arrived by now
check "and does not come back as a hotkey" 2 "$(key_downs keys B3)"

keydeck_stop
finish
