# The helpers every end-to-end script shares. Sourced by each suite's
# library (or script) inside scripts/wine-run.sh, which exports WINEPREFIX,
# DISPLAY, KD_BIN, KD_SRC, KD_RUN and WINE_VERSION_NAME. Sourcing twice is
# harmless: the second time does nothing.
#
# Each check prints one line, "ok: WHAT (got 'VALUE')" or
# "FAIL: WHAT: expected 'X', got 'Y'"; finish ends the script with
# "all checks passed (VERSION)" or "N check(s) failed (VERSION)".
[ -n "${KD_HARNESS:-}" ] && return 0
KD_HARNESS=1
set -u

failures=0
C="$WINEPREFIX/drive_c"
pids=()         # programs started in the background; finish ends those still running
finish_logs=()  # files whose last lines finish shows after a failure

check() {  # description, expected, got
  if [ "$2" = "$3" ]; then
    echo "ok: $1 (got '$3')"
  else
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

finish() {
  local pid log
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  if [ "$failures" -eq 0 ]; then
    echo "all checks passed ($WINE_VERSION_NAME)"
    exit 0
  fi
  echo "$failures check(s) failed ($WINE_VERSION_NAME)"
  for log in "${finish_logs[@]}"; do
    [ -s "$log" ] && { echo "--- ${log##*/}"; tail -20 "$log"; }
  done
  exit 1
}

# ---- waiting ---------------------------------------------------------------
# In place of a fixed sleep wherever the thing waited for can be seen: the
# wait ends as soon as it is there, and a bound keeps a hung program from
# holding the run. Limits are seconds ("0.5" allowed).

now_us() { echo "${EPOCHREALTIME//[.,]/}"; }  # microseconds, from any locale

# The moment SECONDS from now, in now_us's count.
deadline_in() {  # SECONDS
  local whole=${1%%.*} part=""
  [[ $1 == *.* ]] && part=${1#*.}
  part="${part}000000"
  echo $(($(now_us) + ${whole:-0} * 1000000 + 10#${part:0:6}))
}

# Runs COMMAND every 0.1 s until it succeeds; false after SECONDS, saying
# so on stderr (the check that follows names what was missing).
wait_until() {  # SECONDS COMMAND...
  local limit=$1 deadline
  shift
  deadline=$(deadline_in "$limit")
  until "$@"; do
    if [ "$(now_us)" -ge "$deadline" ]; then
      echo "waited $limit s in vain for: $*" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Runs COMMAND until it prints WANT, for SECONDS at the most; prints what it
# printed last, for the check that compares it with WANT.
wait_for() {  # SECONDS WANT COMMAND...
  local limit=$1 want=$2 got deadline
  shift 2
  deadline=$(deadline_in "$limit")
  while got=$("$@"); [ "$got" != "$want" ]; do
    [ "$(now_us)" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$got"
  [ "$got" = "$want" ]
}

# Runs COMMAND until the number it prints is above MIN, for SECONDS at the
# most; prints the number it printed last.
wait_above() {  # SECONDS MIN COMMAND...
  local limit=$1 min=$2 got deadline
  shift 2
  deadline=$(deadline_in "$limit")
  while got=$("$@"); [ "${got:-0}" -le "$min" ]; do
    [ "$(now_us)" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$got"
  [ "${got:-0}" -gt "$min" ]
}

ended() { ! kill -0 "$1" 2>/dev/null; }  # PID: the background program has ended

# ---- Wine ------------------------------------------------------------------

# A persistent server started apart, so that no later wine call hands a
# command substitution's pipe to it (the installer's run, which waits for
# the server to end, does without).
wineserver_persistent() { timeout 20 wineserver -p >/dev/null 2>&1 </dev/null; }

# A Linux path as Wine programs name it.
win_path() { echo "Z:${1//\//\\}"; }

exists() { [ -e "$1" ] && echo present || echo absent; }

# wintool.exe with a time limit; prints its output, keeps its status.
wt() {
  local out="$KD_RUN/wintool.out" rc attempt
  for attempt in 1 2; do
    timeout 60 wine "$KD_BIN/wintool.exe" "$@" >"$out" 2>"$out.err" </dev/null
    rc=$?
    # Seen once under win98: the helper itself faulted inside Wine's
    # uxtheme.dll during its first calls. That says nothing about the
    # program under test, so the helper runs again.
    grep -q "Unhandled page fault" "$out.err" || break
    echo "wintool $1 faulted inside Wine; running it again" >&2
  done
  tr -d '\r' <"$out"
  return $rc
}

# Whether a top-level window exists: prints "yes" or "no".
has_window() {  # CLASS TITLE
  if wt find "$1" "$2" >/dev/null; then echo yes; else echo no; fi
}

# ---- registry --------------------------------------------------------------

# Wine's reg.exe with a time limit, its output dropped.
reg() { timeout 30 wine reg "$@" >/dev/null 2>&1 </dev/null; }

# The data of a value (NAME "" for the key's default value); "absent" when
# the key or the value is missing.
reg_value() {  # KEY NAME
  local out="$KD_RUN/reg.out" which=(/v "$2")
  [ -z "$2" ] && which=(/ve)
  if timeout 30 wine reg query "$1" "${which[@]}" >"$out" 2>&1 </dev/null; then
    # "    Name    REG_SZ    data", "    (Default)    REG_SZ    data"
    tr -d '\r' <"$out" | awk -v n="${2:-(Default)}" '
      tolower($1) == tolower(n) || (n == "(Default)" && $1 ~ /^\(/) {
        sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; exit }'
  else
    echo absent
  fi
}

# The type of a value (NAME "" for the default value), as REG_SZ.
reg_type() {  # KEY NAME
  local which=(/v "$2")
  [ -z "$2" ] && which=(/ve)
  timeout 30 wine reg query "$1" "${which[@]}" 2>/dev/null </dev/null | tr -d '\r' |
    grep -o 'REG_[A-Z_]*' | head -n1
}

reg_key() { reg query "$1" && echo present || echo absent; }

# Imports a REGEDIT4 file; without FILE, the lines after the file's
# "REGEDIT4" header given on stdin.
reg_import() {  # [FILE]
  local f="${1:-$KD_RUN/import.reg}"
  [ $# -eq 0 ] && { printf 'REGEDIT4\r\n\r\n'; sed 's/\r$//; s/$/\r/'; } >"$f"
  timeout 60 wine regedit /s "$(win_path "$f")" >"$KD_RUN/regedit.out" 2>&1 </dev/null
}

# The sample keymap that ships with Keydeck.
KEYMAP="$KD_SRC/keydeck/resources/qKeymap.reg"
import_keymap() { reg_import "$KEYMAP"; }

# ---- the screen ------------------------------------------------------------

# A picture of the whole screen in FILE ($KD_RUN/screen.png when not given).
screenshot() {  # [FILE]
  timeout 30 import -window root "${1:-$KD_RUN/screen.png}" >/dev/null 2>&1 </dev/null
}

# Colour of a screen pixel as "srgb(r,g,b)", from a new picture or from SHOT.
pixel() {  # X Y [SHOT]
  local shot="${3:-$KD_RUN/pixel.png}"
  [ $# -ge 3 ] || screenshot "$shot"
  timeout 30 convert "$shot" -format '%[pixel:p{'"$1,$2"'}]' info: 2>/dev/null </dev/null
}

# Number of pixels of colour COLOUR ("#008000") in the rectangle at X, Y of
# W x H, in a new picture or in SHOT.
count_colour() {  # X Y W H COLOUR [SHOT]
  local shot="${6:-$KD_RUN/count.png}"
  [ $# -ge 6 ] || screenshot "$shot"
  timeout 30 convert "$shot" -crop "$3x$4+$1+$2" txt:- 2>/dev/null </dev/null | grep -ci " $5" || true
}

# ---- keydeck.exe -----------------------------------------------------------

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")  # Keydeck's control form
# The keydeck.exe the helpers start; a script may point it at a copy in a
# folder of its own (the DLLs beside it are the ones it loads).
KEYDECK_EXE="$KD_BIN/keydeck.exe"
keydeck_pids=()

# Runs keydeck.exe in directory DIR with arguments; waits for it to end
# (remote calls and refused starts end by themselves). Prints the status.
keydeck_once() {  # DIR ARGS...
  local dir="$1"; shift
  (cd "$dir" && timeout 60 wine "$KEYDECK_EXE" "$@" >"$KD_RUN/keydeck-once.log" 2>&1 </dev/null)
  echo $?
}

# Starts keydeck.exe in the background in directory DIR (with the
# environment the call gives it).
keydeck_start() {  # DIR ARGS...
  local dir="$1"; shift
  (cd "$dir" && exec timeout 300 wine "$KEYDECK_EXE" "$@" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
  keydeck_pids+=($!)
  pids+=($!)
}

# Waits for the control form, then for the forms made after the settings
# load (the hook is in place by then); false when they do not come.
keydeck_ready() {
  wt wait "${SETUP[@]}" 20000 >/dev/null && wt wait TForm3 "Channel Setting" 15000 >/dev/null
}

# Waits up to SECONDS for the last started keydeck.exe to end; true if it did.
keydeck_ended() {  # SECONDS
  wait_until "$1" ended "${keydeck_pids[-1]}"
}

# The running copy, posted WM_QUIT (as "/q" does) and waited for.
keydeck_stop() {
  keydeck_post 0x12 0 0
  keydeck_ended 20 || { echo "keydeck.exe did not end; killing it"; kill "${keydeck_pids[-1]}" 2>/dev/null; }
}

keydeck_post() { wt post "${SETUP[@]}" "$@" >/dev/null; }  # MSG WPARAM LPARAM [TIMES]
