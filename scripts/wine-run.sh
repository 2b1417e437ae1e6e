#!/usr/bin/env bash
# Runs one Windows test (an .exe, or a bash script that drives .exe files)
# in a throwaway copy of a prepared 32-bit Wine prefix, on a display of its
# own, with a chosen Windows version.
#
#   wine-run.sh [--build DIR] [--version V] [--desktop] [--timeout S] -- CMD...
#
# DIR is the Windows build folder (default ${KD_BUILD:-build}/win). V is a
# Wine version name (winxp, win98, win7, ...). --desktop gives the run a Wine
# virtual desktop of 1024x768. The command sees WINEPREFIX, DISPLAY, KD_BIN,
# KD_SRC, KD_RUN (scratch folder) and WINE_VERSION_NAME. The run folder is
# removed after a pass and kept (and named) after a failure.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}/win"
version=winxp
desktop=0
limit=120
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --desktop) desktop=1; shift ;;
    --timeout) limit="$2"; shift 2 ;;
    --) shift; break ;;
    *) echo "wine-run: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "wine-run: no command" >&2; exit 2; }

export WINEDEBUG=-all WINEARCH=win32
# Mono and Gecko are never wanted and would otherwise ask to be downloaded.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
mkdir -p "$build/wine/runs"

# The prepared prefix is made once per build folder; parallel runs wait.
base="$build/wine/base"
(
  flock 9
  if [ ! -f "$base/.ready" ]; then
    rm -rf "$base"
    echo "wine-run: preparing prefix $base"
    WINEPREFIX="$base" timeout 300 wineboot -i >"$build/wine/base.log" 2>&1
    WINEPREFIX="$base" timeout 120 wineserver -w
    touch "$base/.ready"
  fi
) 9>"$build/wine/base.lock"
[ -f "$base/.ready" ] || { echo "wine-run: prefix could not be made"; cat "$build/wine/base.log"; exit 1; }

run="$(mktemp -d "$build/wine/runs/run.XXXXXX")"
cp -a "$base" "$run/prefix"
export WINEPREFIX="$run/prefix" KD_RUN="$run" KD_BIN="$build/bin" KD_SRC="$root"
export WINE_VERSION_NAME="$version"

# A null sound device gives the mixer and MCI a device to open.
printf 'pcm.!default { type null }\n' >"$run/asound.conf"
export ALSA_CONFIG_PATH="$run/asound.conf"

: >"$run/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac 3>"$run/display" \
  >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$run/display" ] && break
  sleep 0.05
done
[ -s "$run/display" ] || { echo "wine-run: Xvfb did not start"; cat "$run/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$run/display")"

cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n\r\n' "$version"
  if [ "$desktop" = 1 ]; then
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n\r\n'
  fi
} >"$run/settings.reg"
(cd "$run" && timeout 60 wine regedit /s settings.reg >"$run/regedit.log" 2>&1)
# Settings such as the desktop take effect for programs of a new server.
timeout 20 wineserver -k >/dev/null 2>&1
timeout 20 wineserver -w >/dev/null 2>&1

case "$1" in
  *.exe|*.EXE) cmd=(wine "$@") ;;
  *) cmd=("$@") ;;
esac

# Output goes to a file: programs that a test starts inherit it, and a pipe
# would stay open for as long as they live.
(cd "$run" && timeout -k 5 "$limit" "${cmd[@]}" >"$run/output.log" 2>&1 </dev/null)
rc=$?
cleanup
trap - EXIT
cat "$run/output.log"
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
  echo "wine-run: '$*' did not finish within ${limit}s"
fi
if [ $rc -eq 0 ]; then
  rm -rf "$run"
else
  echo "wine-run: exit status $rc; run folder kept: $run"
fi
exit $rc
