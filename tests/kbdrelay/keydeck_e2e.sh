# keydeck.exe with the real kbdrelay.dll over the simulated receiver: the
# reader opens the receiver's input collection, reports written to it reach
# SetupFrm as 0x464 and drive the Channel Setting window and the LED
# strip's warning lamps, Timer3's feature report reaches the feature
# collection, and the reader lets go of the input when Keydeck ends.
# Runs inside wine-run.sh (WINEPREFIX, DISPLAY, KD_BIN, KD_SRC, KD_RUN) with
# a virtual desktop.
set -u

failures=0
app="$KD_RUN/app"
features="$KD_RUN/features.log"
pids=()

check() {  # description, expected, got
  if [ "$2" = "$3" ]; then
    echo "ok: $1 (got '$3')"
  else
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  if [ "$failures" -eq 0 ]; then
    echo "all checks passed"
    exit 0
  fi
  echo "$failures check(s) failed"
  for log in keydeck.log kbdsim.log; do
    [ -s "$KD_RUN/$log" ] && { echo "--- $log"; tail -20 "$KD_RUN/$log"; }
  done
  exit 1
}

wc_() {  # kbdrelay_wincheck.exe
  timeout 30 wine "$KD_BIN/kbdrelay_wincheck.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'
}

sim() {  # kbdsim.exe request
  timeout 30 wine "$KD_BIN/kbdsim.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'
}

# Waits up to $2 seconds until the input collection has $1 clients.
wait_clients() {
  local i got=""
  for ((i = 0; i < $2 * 4; i++)); do
    got="$(sim clients kbdsim-input)"
    [ "$got" = "$1" ] && break
    sleep 0.25
  done
  echo "$got"
}

pixel() {
  local shot="$KD_RUN/shot.png"
  timeout 30 import -window root "$shot" >/dev/null 2>&1 </dev/null
  timeout 30 convert "$shot" -format '%[pixel:p{'"$1,$2"'}]' info: 2>/dev/null </dev/null
}

lamp() {  # colour of LED lamp 4 (keyboard) or 5 (mouse)
  local left top
  read -r left top _ _ < <(wc_ rect TRFLed)
  case "$(pixel $((left + 8 + ($1 - 1) * 32 + 9)) $((top + 33 + 4)))" in
    "srgb(255,0,0)") echo red ;;
    "srgb(128,128,128)") echo grey ;;
    "srgb(0,255,0)") echo lime ;;
    *) echo "other" ;;
  esac
}

report() {  # hex bytes of one input report; waits for the window to follow
  check "report $1 reached one reader" 1 "$(sim send kbdsim-input "$1")"
  sleep 0.5
}

timeout 20 wineserver -p >/dev/null 2>&1 </dev/null

# Keydeck's folder: the program and its libraries, with the test hid.dll and
# setupapi.dll beside kbdrelay.dll in place of the system's.
mkdir -p "$app"
cp "$KD_BIN/keydeck.exe" "$KD_BIN/keyhook.dll" "$KD_BIN/kbdrelay.dll" "$app/"
cp "$KD_BIN/kbdsim/hid.dll" "$KD_BIN/kbdsim/setupapi.dll" "$app/"
cp "$KD_SRC/keydeck/resources/qKeymap.reg" "$KD_RUN/keymap.reg"
(cd "$KD_RUN" && timeout 60 wine regedit /s keymap.reg >"$KD_RUN/regedit.log" 2>&1 </dev/null)

export KBDSIM_FEATURE_LOG="$(timeout 20 winepath -w "$features" 2>/dev/null)"
(cd "$KD_RUN" && exec timeout 300 wine "$KD_BIN/kbdsim.exe" serve >"$KD_RUN/kbdsim.log" 2>&1 </dev/null) &
pids+=($!)
check "simulated receiver up, no client yet" 0 "$(wait_clients 0 20)"

(cd "$app" && WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};setupapi=n,b" \
  exec timeout 300 wine "$app/keydeck.exe" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
keydeck_pid=$!
pids+=($keydeck_pid)

echo "-- start"
check "kbdrelay's reader opened the input collection" 1 "$(wait_clients 1 30)"
check "LED strip shown" visible "$(wc_ wait TRFLed visible 10000)"
check "Channel Setting window hidden at start" hidden "$(wc_ visible TForm3)"
check "keyboard lamp grey at start" grey "$(lamp 4)"
check "mouse lamp grey at start" grey "$(lamp 5)"

echo "-- receiver reports"
report 041100000000000000
check "kind 4, bit 12: Channel Setting shown" visible "$(wc_ wait TForm3 visible 3000)"
check "kind 4, bit 8: keyboard lamp" red "$(lamp 4)"
check "kind 4, bit 8: mouse lamp" grey "$(lamp 5)"
report 040C00000000000000
check "kind 4, bit 12 clear: Channel Setting hidden" hidden "$(wc_ wait TForm3 hidden 3000)"
check "kind 4, bits 10-11: keyboard lamp" grey "$(lamp 4)"
check "kind 4, bits 10-11: mouse lamp" red "$(lamp 5)"
report 031F00000000000000
check "kind 3 leaves Channel Setting hidden" hidden "$(wc_ visible TForm3)"
check "kind 3 leaves the keyboard lamp" grey "$(lamp 4)"
check "kind 3 leaves the mouse lamp" red "$(lamp 5)"
report 000000000410000000
check "zero first word (second word not posted) changes nothing" hidden "$(wc_ visible TForm3)"
report 040200000000000000
check "kind 4, bit 9: keyboard lamp" red "$(lamp 4)"
check "kind 4, bit 9: mouse lamp" grey "$(lamp 5)"

echo "-- feature report"
for ((i = 0; i < 60; i++)); do
  [ -s "$features" ] && break
  sleep 0.25
done
check "Timer3's feature report at the feature collection" "kbdsim-feature 03 04 00 00 00" \
  "$(head -n1 "$features" 2>/dev/null | tr -d '\r')"

echo "-- end"
wc_ quit TSetupFrm >/dev/null
for ((i = 0; i < 100; i++)); do
  kill -0 "$keydeck_pid" 2>/dev/null || break
  sleep 0.1
done
check "keydeck.exe ended" no "$(kill -0 "$keydeck_pid" 2>/dev/null && echo yes || echo no)"
check "the reader let go of the input" 0 "$(wait_clients 0 10)"
sim quit >/dev/null
finish
