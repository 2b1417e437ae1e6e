# Helpers for the hotkey end-to-end scripts: the keydeck.exe helpers of the
# shell's end-to-end tests, plus a keymap of our own and screen checks made
# in-process by hotkey_helper.exe.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"

HELPER_WIN="$(win_path "$KD_BIN/hotkey_helper.exe")"
HELPER_LOG="$KD_RUN/helper.log"
OSD_RED=FF0000  # the keymap's OSD colour 0x0000FF as RRGGBB

helper() {  # hotkey_helper.exe with a time limit; prints its output
  timeout 60 wine "$KD_BIN/hotkey_helper.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'
}

started_count() {  # lines of helper.log equal to "started $*"
  if [ -f "$HELPER_LOG" ]; then grep -cx "started${1:+ $*}" "$HELPER_LOG" || true; else echo 0; fi
}
started_at_least() { [ "$(started_count "${@:2}")" -ge "$1" ]; }  # COUNT WORDS...

# Waits up to SECONDS until started_count of WORDS reaches COUNT.
wait_started() {  # SECONDS COUNT WORDS...
  wait_until "$1" started_at_least "${@:2}"
}

# The .reg line of one string value, with backslashes doubled.
reg_string() { local v="${2//\\/\\\\}"; printf '"%s"="%s"\n' "$1" "$v"; }

# Writes and imports a keymap: rows of "scancode function caption linkto".
# OSD at the upper-left place, red, 32-pixel bold Arial.
import_rows() {
  local base='HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik'
  local codes="" row=0 line scan fn caption link
  {
    printf '[%s]\n@="HotkeyTest"\n\n' "$base"
    for line in "$@"; do
      IFS='|' read -r scan fn caption link <<<"$line"
      codes+="${codes:+,}$scan"
      printf '[%s\\HotkeyTest\\Default\\%016X]\n' "$base" "$row"
      reg_string Caption "$caption"
      reg_string LinkTo "$link"
      printf '"Function"=dword:%08x\n\n' "$fn"
      row=$((row + 1))
    done
    printf '[%s\\HotkeyTest\\Default]\n' "$base"
    printf '"ScanCode"=hex:%s\n' "$codes"
    printf '"Interval"=dword:00002710\n"Font"="Arial"\n"FontColor"=dword:000000ff\n'
    printf '"MsgLoc"=dword:00000001\n"FontSize"=dword:ffffffe0\n"FontStyle"=dword:00000008\n'
    printf '"FontCharSet"=dword:00000001\n"OSD"=dword:00000001\n"Player"=dword:00000000\n'
    printf '"Internet"=dword:00000001\n"Hotkeys"=dword:00000003\n'
  } | reg_import
}

# Points the ".htm" file type at the helper, so the browser code has a
# command of ours to start.
register_browser() {
  {
    printf '[HKEY_CLASSES_ROOT\\.htm]\n@="kdtest.htm"\n\n'
    printf '[HKEY_CLASSES_ROOT\\kdtest.htm\\Shell\\Open\\Command]\n'
    reg_string "" "$HELPER_WIN browser" | sed 's/^""/@/'
  } | reg_import
}

start_keydeck() {
  mkdir -p "$KD_RUN/work"
  keydeck_start "$KD_RUN/work"
  keydeck_ready || { echo "FAIL: keydeck.exe did not start"; cat "$KD_RUN/keydeck.log"; exit 1; }
}

osd_pixels() { helper --count 0 0 1024 768 "$OSD_RED"; }

# Watches the screen in the background while something short-lived is
# drawn: watch_start MS X Y W H RRGGBB, trigger, then watch_end sets $seen
# to "max N first F last L gaps G step S box L T R B": the most pixels of
# the colour in one picture, when it was first and last seen (ms after the
# start, -1 never), how many pictures in between lacked it, the longest
# time between two pictures, and where it was in the fullest picture
# ("box none" when never).
watch_start() {
  rm -f "$KD_RUN/watch.ready" "$KD_RUN/watch.out"
  (exec timeout 60 wine "$KD_BIN/hotkey_helper.exe" --watch "$@" >"$KD_RUN/watch.out" 2>/dev/null </dev/null) &
  watch_pid=$!
  wait_until 10 test -f "$KD_RUN/watch.ready" || { echo "watcher did not start"; return 1; }
}
watch_end() {  # not in a $(...): the watcher is a child of this shell
  wait "$watch_pid" 2>/dev/null
  seen=$(tr -d '\r' <"$KD_RUN/watch.out")
}

# Fields of a watch result: watch_field NAME RESULT (max, first, last,
# gaps, step, left, top, right, bottom).
watch_field() {
  local max first last gaps step left top right bottom
  read -r _ max _ first _ last _ gaps _ step _ left top right bottom <<<"$2"
  echo "${!1}"
}

# Checks that a watched text appeared with its top-left corner near (x, y):
# text_at DESCRIPTION X Y RESULT
text_at() {
  local n l t
  n=$(watch_field max "$4") l=$(watch_field left "$4") t=$(watch_field top "$4")
  check "$1" yes "$([ "${n:-0}" -gt 20 ] && [ "${l:-0}" -ge "$2" ] && [ "${l:-0}" -le "$(($2 + 8))" ] && [ "${t:-0}" -ge "$3" ] && [ "${t:-0}" -le "$(($3 + 12))" ] && echo yes || echo no)"
}
