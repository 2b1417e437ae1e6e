# Helpers for the hotkey end-to-end scripts: the keydeck.exe helpers of the
# shell's end-to-end tests, plus a keymap of our own and screen checks made
# in-process by hotkey_helper.exe.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
HELPER_WIN="Z:${KD_BIN//\//\\}\\hotkey_helper.exe"
HELPER_LOG="$KD_RUN/helper.log"
OSD_RED=FF0000  # the keymap's OSD colour 0x0000FF as RRGGBB

helper() {  # hotkey_helper.exe with a time limit; prints its output
  timeout 60 wine "$KD_BIN/hotkey_helper.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'
}

post() { wt post "${SETUP[@]}" "$@" >/dev/null; }

started_count() {  # lines of helper.log equal to "started $*"
  if [ -f "$HELPER_LOG" ]; then grep -cx "started${1:+ $*}" "$HELPER_LOG" || true; else echo 0; fi
}

# Waits up to $1 seconds until started_count of the rest reaches $2... as
# wait_started SECONDS COUNT WORDS...
wait_started() {
  local limit=$1 want=$2 i
  shift 2
  for ((i = 0; i < limit * 10; i++)); do
    [ "$(started_count "$@")" -ge "$want" ] && return 0
    sleep 0.1
  done
  return 1
}

# The .reg text of one string value, with backslashes doubled.
reg_string() { local v="${2//\\/\\\\}"; printf '"%s"="%s"\r\n' "$1" "$v"; }

# Writes and imports a keymap: rows of "scancode function caption linkto".
# OSD at the upper-left place, red, 32-pixel bold Arial.
import_rows() {
  local reg="$KD_RUN/hotkeys.reg" base='HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik'
  local codes="" row=0 line scan fn caption link
  {
    printf 'REGEDIT4\r\n\r\n[%s]\r\n@="HotkeyTest"\r\n\r\n' "$base"
    for line in "$@"; do
      IFS='|' read -r scan fn caption link <<<"$line"
      codes+="${codes:+,}$scan"
      printf '[%s\\HotkeyTest\\Default\\%016X]\r\n' "$base" "$row"
      reg_string Caption "$caption"
      reg_string LinkTo "$link"
      printf '"Function"=dword:%08x\r\n\r\n' "$fn"
      row=$((row + 1))
    done
    printf '[%s\\HotkeyTest\\Default]\r\n' "$base"
    printf '"ScanCode"=hex:%s\r\n' "$codes"
    printf '"Interval"=dword:00002710\r\n"Font"="Arial"\r\n"FontColor"=dword:000000ff\r\n'
    printf '"MsgLoc"=dword:00000001\r\n"FontSize"=dword:ffffffe0\r\n"FontStyle"=dword:00000008\r\n'
    printf '"FontCharSet"=dword:00000001\r\n"OSD"=dword:00000001\r\n"Player"=dword:00000000\r\n'
    printf '"Internet"=dword:00000001\r\n"Hotkeys"=dword:00000003\r\n'
  } >"$reg"
  (cd "$KD_RUN" && timeout 60 wine regedit /s hotkeys.reg >"$KD_RUN/regedit.out" 2>&1 </dev/null)
}

# Points the ".htm" file type at the helper, so the browser code has a
# command of ours to start.
register_browser() {
  local reg="$KD_RUN/browser.reg"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.htm]\r\n@="kdtest.htm"\r\n\r\n'
    printf '[HKEY_CLASSES_ROOT\\kdtest.htm\\Shell\\Open\\Command]\r\n'
    reg_string "" "$HELPER_WIN browser" | sed 's/^""/@/'
  } >"$reg"
  (cd "$KD_RUN" && timeout 60 wine regedit /s browser.reg >"$KD_RUN/regedit-browser.out" 2>&1 </dev/null)
}

start_keydeck() {
  mkdir -p "$KD_RUN/work"
  keydeck_start "$KD_RUN/work"
  wt wait "${SETUP[@]}" 20000 >/dev/null || { echo "FAIL: keydeck.exe did not start"; cat "$KD_RUN/keydeck.log"; exit 1; }
  sleep 0.5
}

osd_pixels() { helper --count 0 0 1024 768 "$OSD_RED"; }

# Watches the screen in the background while something short-lived is
# drawn: watch_start MS X Y W H RRGGBB, trigger, then watch_end sets $seen
# to "max N first F last L gaps G box L T R B": the most pixels of the
# colour in one picture, when it was first and last seen (ms after the
# start, -1 never), how many pictures in between lacked it, and where it was
# in the fullest picture ("box none" when never).
watch_start() {
  rm -f "$KD_RUN/watch.ready" "$KD_RUN/watch.out"
  (exec timeout 60 wine "$KD_BIN/hotkey_helper.exe" --watch "$@" >"$KD_RUN/watch.out" 2>/dev/null </dev/null) &
  watch_pid=$!
  local i
  for ((i = 0; i < 200; i++)); do
    [ -f "$KD_RUN/watch.ready" ] && return 0
    sleep 0.05
  done
  echo "watcher did not start"
  return 1
}
watch_end() {  # not in a $(...): the watcher is a child of this shell
  wait "$watch_pid" 2>/dev/null
  seen=$(tr -d '\r' <"$KD_RUN/watch.out")
}

# Checks that a watched text appeared with its top-left corner near (x, y):
# text_at DESCRIPTION X Y RESULT
text_at() {
  local n l t
  read -r _ n _ _ _ _ _ _ _ l t _ <<<"$4"
  check "$1" yes "$([ "${n:-0}" -gt 20 ] && [ "${l:-0}" -ge "$2" ] && [ "${l:-0}" -le "$(($2 + 8))" ] && [ "${t:-0}" -ge "$3" ] && [ "${t:-0}" -le "$(($3 + 12))" ] && echo yes || echo no)"
}

# Fields of a watch result: watch_field NAME RESULT (max, first, last,
# gaps, left, top, right, bottom).
watch_field() {
  local max first last gaps left top right bottom
  read -r _ max _ first _ last _ gaps _ left top right bottom <<<"$2"
  echo "${!1}"
}
