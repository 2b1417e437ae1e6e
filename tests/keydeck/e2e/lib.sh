# Helpers for the keydeck.exe end-to-end scripts; sourced inside the
# wine-run environment (WINEPREFIX, DISPLAY, KD_BIN, KD_SRC, KD_RUN set).
set -u

KEYMAP="$KD_SRC/keydeck/resources/qKeymap.reg"
failures=0
keydeck_pids=()

# A persistent server started apart, so that no later wine call hands our
# output pipes to it.
timeout 20 wineserver -p >/dev/null 2>&1 </dev/null

check() {  # description, expected, got
  if [ "$2" = "$3" ]; then
    echo "ok: $1 (got '$3')"
  else
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

wt() {  # wintool with a time limit; prints its output
  local out="$KD_RUN/wintool.out" rc attempt
  for attempt in 1 2; do
    timeout 60 wine "$KD_BIN/wintool.exe" "$@" >"$out" 2>"$out.err" </dev/null
    rc=$?
    # Seen once under win98: the helper itself faulted inside Wine's
    # uxtheme.dll during its first calls. That says nothing about Keydeck,
    # so the helper runs again.
    grep -q "Unhandled page fault" "$out.err" || break
    echo "wintool $1 faulted inside Wine; running it again" >&2
  done
  tr -d '\r' <"$out"
  return $rc
}

# The keydeck.exe the helpers start; a script may point it at a copy in a
# folder of its own (the DLLs beside it are the ones it loads).
KEYDECK_EXE="$KD_BIN/keydeck.exe"

# Runs keydeck.exe in directory $1 with arguments; waits for it to end
# (remote calls and refused starts end by themselves). Prints the status.
keydeck_once() {
  local dir="$1"; shift
  (cd "$dir" && timeout 60 wine "$KEYDECK_EXE" "$@" >"$KD_RUN/keydeck-once.log" 2>&1 </dev/null)
  echo $?
}

# Starts keydeck.exe in the background in directory $1.
keydeck_start() {
  local dir="$1"; shift
  (cd "$dir" && exec timeout 300 wine "$KEYDECK_EXE" "$@" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
  keydeck_pids+=($!)
}

# Waits up to $1 seconds for the last started keydeck.exe to end; true if it did.
keydeck_ended() {
  local pid="${keydeck_pids[-1]}"
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# The running copy, posted WM_QUIT (as "/q" does) and waited for.
keydeck_stop() {
  wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x12 0 0 >/dev/null
  keydeck_ended 20 || { echo "keydeck.exe did not end; killing it"; kill "${keydeck_pids[-1]}" 2>/dev/null; }
}

import_keymap() {
  cp "$KEYMAP" "$KD_RUN/keymap.reg"
  (cd "$KD_RUN" && timeout 60 wine regedit /s keymap.reg >"$KD_RUN/regedit.out" 2>&1 </dev/null)
}

# Whether the running instance's windows exist: prints "yes" or "no".
has_window() {
  if wt find "$1" "$2" >/dev/null; then echo yes; else echo no; fi
}

finish() {
  for pid in "${keydeck_pids[@]}"; do kill "$pid" 2>/dev/null; done
  if [ "$failures" -eq 0 ]; then
    echo "all checks passed"
    exit 0
  fi
  echo "$failures check(s) failed"
  exit 1
}

# Colour of a screen pixel as "srgb(r,g,b)".
pixel() {
  local shot="$KD_RUN/pixel.png"
  timeout 30 import -window root "$shot" >/dev/null 2>&1 </dev/null
  timeout 30 convert "$shot" -format '%[pixel:p{'"$1,$2"'}]' info: 2>/dev/null </dev/null
}

# Centre of LED lamp n (1..5) on the screen, with the strip at its start place.
lamp_xy() {
  local left top
  read -r left top _ _ < <(wt rect TRFLed RFLed)
  echo "$((left + 8 + ($1 - 1) * 32 + 9)) $((top + 33 + 4))"
}

lamp() {  # colour name of lamp n: lime, red, grey or the raw value
  local xy
  xy=$(lamp_xy "$1")
  case "$(pixel ${xy% *} ${xy#* })" in
    "srgb(0,255,0)") echo lime ;;
    "srgb(255,0,0)") echo red ;;
    "srgb(128,128,128)") echo grey ;;
    *) echo "other:$(pixel ${xy% *} ${xy#* })" ;;
  esac
}

# Number of pixels of colour $5 (e.g. "#008000") in the screen rectangle
# x $1, y $2, width $3, height $4.
count_colour() {
  local shot="$KD_RUN/count.png"
  timeout 30 import -window root "$shot" >/dev/null 2>&1 </dev/null
  timeout 30 convert "$shot" -crop "$3x$4+$1+$2" txt:- 2>/dev/null </dev/null | grep -ci " $5" || true
}

# The icons in the notification area of the virtual desktop's task bar
# (Wine's shell shows them at its right end, on a white bar 748..767): one
# "left right" pair per icon, left to right; nothing when there is none.
tray_icons() {
  local shot="$KD_RUN/tray.png"
  timeout 30 import -window root "$shot" >/dev/null 2>&1 </dev/null
  # Columns of the tray's right half holding anything but the bar's white.
  timeout 30 convert "$shot" -crop 300x16+724+750 +repage txt:- 2>/dev/null </dev/null |
    awk -F'[,:]' 'NR > 1 && $0 !~ /#FFFFFF/ { print $1 + 724 }' | sort -nu |
    awk 'NR == 1 { l = $1; r = $1; next } $1 > r + 3 { print l, r; l = $1 } { r = $1 } END { if (NR) print l, r }'
}

# Waits up to $1 seconds until tray_icons prints $2 icons; prints them.
wait_tray_icons() {
  local i icons
  for ((i = 0; i < $1 * 4; i++)); do
    icons=$(tray_icons)
    [ "$(grep -c . <<<"$icons")" -eq "$2" ] && break
    sleep 0.25
  done
  echo "$icons"
}

# Clicks button $2 (1 left, 3 right) on the tray icon "left right" of $1.
click_tray_icon() {
  local l r
  read -r l r <<<"$1"
  timeout 10 xdotool mousemove $(((l + r) / 2)) 758 click "$2"
}
