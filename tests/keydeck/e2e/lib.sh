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
  local out="$KD_RUN/wintool.out"
  timeout 60 wine "$KD_BIN/wintool.exe" "$@" >"$out" 2>&1 </dev/null
  local rc=$?
  tr -d '\r' <"$out"
  return $rc
}

# Runs keydeck.exe in directory $1 with arguments; waits for it to end
# (remote calls and refused starts end by themselves). Prints the status.
keydeck_once() {
  local dir="$1"; shift
  (cd "$dir" && timeout 60 wine "$KD_BIN/keydeck.exe" "$@" >"$KD_RUN/keydeck-once.log" 2>&1 </dev/null)
  echo $?
}

# Starts keydeck.exe in the background in directory $1.
keydeck_start() {
  local dir="$1"; shift
  (cd "$dir" && exec timeout 300 wine "$KD_BIN/keydeck.exe" "$@" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
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
