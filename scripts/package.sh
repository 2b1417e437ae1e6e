#!/usr/bin/env bash
# Makes the setup program ${KD_BUILD:-build}/keydeck-setup.exe with NSIS from
# the deliverables of the Windows build (run scripts/build.sh first).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}"
bin="$build/win/bin"
out="$build/keydeck-setup.exe"

for f in keydeck.exe kbdrelay.dll keyhook.dll sweepall.exe; do
  [ -f "$bin/$f" ] || { echo "package: $bin/$f missing; run scripts/build.sh first" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "package: makensis missing; run scripts/setup.sh" >&2; exit 1; }

# makensis takes Windows-style paths for File; forward slashes work as well.
makensis -V2 -DBIN="$bin" -DSRC="$root" -DOUTFILE="$out.part" "$root/installer/keydeck.nsi"
mv -f "$out.part" "$out"
echo "package: $out"
