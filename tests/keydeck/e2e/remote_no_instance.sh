# "/p", "/q", "/u" and "/x" with no instance running post nothing, start
# nothing and end at once.
source "$(dirname "$0")/lib.sh"

import_keymap
mkdir -p "$KD_RUN/work"
for arg in /p /q /u /x; do
  start=$(date +%s)
  status=$(keydeck_once "$KD_RUN/work" "$arg")
  took=$(( $(date +%s) - start ))
  check "keydeck $arg ends with status 0" 0 "$status"
  check "keydeck $arg ends within 10 s" yes "$([ "$took" -le 10 ] && echo yes || echo no)"
  check "keydeck $arg leaves no application window" no "$(has_window TApplication "WIRELESS KEYBOARD")"
  check "keydeck $arg leaves no control form" no "$(has_window TSetupFrm "WIRELESS KEYBOARD SETUP")"
  check "keydeck $arg shows no box" 1 "$(wt boxtext - 300 >/dev/null; echo $?)"
done
finish
