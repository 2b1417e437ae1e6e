#!/usr/bin/env bash
# Sets up, builds and runs Keydeck under Wine with the sample keymap
# imported. On $DISPLAY when it is set, otherwise on a virtual display of
# its own with a Wine virtual desktop. After start-up it presses a few keys
# of the sample layout (the media key opens Notepad, volume down shows the
# volume bar, mute shows its caption), saves a screenshot and ends Keydeck.
#
#   scripts/run-keydeck.sh            the whole run
#   KD_BUILD=dir scripts/run-keydeck.sh   with another build root
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}"
shot="$build/keydeck-screenshot.png"

# What runs next to Wine: WINEPREFIX, DISPLAY, KD_BIN and KD_RUN
# are set by the caller.
inside() {
  local wintool="$KD_BIN/wintool.exe"
  wt() { timeout 60 wine "$wintool" "$@" >"$KD_RUN/wintool.out" 2>&1 </dev/null; }
  timeout 20 wineserver -p >/dev/null 2>&1 </dev/null

  echo "run-keydeck: importing the sample keymap"
  cp "$root/keydeck/resources/qKeymap.reg" "$KD_RUN/qKeymap.reg"
  (cd "$KD_RUN" && timeout 60 wine regedit /s qKeymap.reg >"$KD_RUN/regedit.log" 2>&1 </dev/null)

  echo "run-keydeck: starting keydeck.exe"
  (cd "$KD_RUN" && exec timeout 600 wine "$KD_BIN/keydeck.exe" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
  local keydeck=$!
  if ! wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 20000; then
    echo "run-keydeck: keydeck.exe did not start; its output:"
    cat "$KD_RUN/keydeck.log"
    kill "$keydeck" 2>/dev/null
    return 1
  fi
  wt waitvisible TRFLed RFLed 5000
  echo "run-keydeck: Keydeck runs; the LED strip is at the lower right"

  # The hook sees keys while the pointer is over the Wine desktop.
  timeout 10 xdotool mousemove 500 400
  echo "run-keydeck: pressing the media key (row \"Notepad\")"
  timeout 10 xdotool key XF86AudioMedia
  if wt wait Notepad - 15000; then echo "run-keydeck: Notepad opened"; else echo "run-keydeck: Notepad did not open"; fi
  sleep 1.5
  echo "run-keydeck: pressing volume down twice, then mute twice"
  timeout 10 xdotool key XF86AudioLowerVolume
  sleep 0.3
  timeout 10 xdotool key XF86AudioLowerVolume
  sleep 0.3
  timeout 10 xdotool key XF86AudioMute
  sleep 0.3
  timeout 10 xdotool key XF86AudioMute
  sleep 0.3
  mkdir -p "$(dirname "$shot")"
  timeout 30 import -window root "$shot" </dev/null && echo "run-keydeck: screenshot saved to $shot"

  echo "run-keydeck: ending Keydeck"
  (cd "$KD_RUN" && timeout 30 wine "$KD_BIN/keydeck.exe" /q >/dev/null 2>&1 </dev/null)
  wt post Notepad - 0x10 0 0
  for _ in $(seq 100); do kill -0 "$keydeck" 2>/dev/null || break; sleep 0.1; done
  kill "$keydeck" 2>/dev/null
  return 0
}

if [ "${1:-}" = "--inside" ]; then
  inside
  exit $?
fi

"$root/scripts/setup.sh" || exit 1
"$root/scripts/build.sh" || exit 1

if [ -z "${DISPLAY:-}" ]; then
  # A display of our own, with a virtual desktop, in a throwaway prefix.
  "$root/scripts/wine-run.sh" --build "$build/win" --version winxp --desktop --timeout 300 \
    -- bash "$root/scripts/run-keydeck.sh" --inside
  rc=$?
else
  # The user's display, with a prefix kept under the build folder and a
  # virtual desktop window so that the hook sees the pressed keys.
  export WINEPREFIX="$build/win/wine/run-keydeck" WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export KD_BIN="$build/win/bin" KD_SRC="$root"
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    echo "run-keydeck: preparing $WINEPREFIX"
    timeout 300 wineboot -i >/dev/null 2>&1 && timeout 120 wineserver -w && touch "$WINEPREFIX/.ready"
  fi
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n\r\n' \
    >"$WINEPREFIX/desktop.reg"
  (cd "$WINEPREFIX" && timeout 60 wine regedit /s desktop.reg >/dev/null 2>&1 </dev/null)
  timeout 20 wineserver -k >/dev/null 2>&1
  KD_RUN="$(mktemp -d)"
  export KD_RUN
  inside
  rc=$?
  timeout 20 wineserver -k >/dev/null 2>&1
  rm -rf "$KD_RUN"
fi
[ -f "$shot" ] && echo "run-keydeck: screenshot: $shot"
exit $rc
