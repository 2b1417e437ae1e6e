# Helpers of the installer's end-to-end run (sourced inside scripts/wine-run.sh:
# WINEPREFIX, KD_BIN, KD_SRC, KD_RUN set).
set -u
failures=0
C="$WINEPREFIX/drive_c"
DIR="$C/Program Files/Keydeck"
SETUP="$KD_BIN/../../keydeck-setup.exe"
ARP='Software\Microsoft\Windows\CurrentVersion\Uninstall\Keydeck'
RUNKEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

check() {  # description, expected, got
  if [ "$2" = "$3" ]; then
    echo "ok   $1: $3"
  else
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

wt() {  # wintool with a time limit; prints its output, keeps its status
  local out="$KD_RUN/wintool.out" rc
  timeout 90 wine "$KD_BIN/wintool.exe" "$@" >"$out" 2>"$out.err" </dev/null
  rc=$?
  tr -d '\r' <"$out"
  return $rc
}

keydeck_window() { wt find TSetupFrm "WIRELESS KEYBOARD SETUP" >/dev/null && echo yes || echo no; }

# Data of a registry value, "absent" when the key or value is missing.
reg_value() {  # KEY NAME
  local out="$KD_RUN/reg.out"
  if timeout 30 wine reg query "$1" /v "$2" >"$out" 2>&1 </dev/null; then
    tr -d '\r' <"$out" | awk -v n="$2" 'tolower($1) == tolower(n) { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print }'
  else
    echo absent
  fi
}

reg_key() { timeout 30 wine reg query "$1" >/dev/null 2>&1 </dev/null && echo present || echo absent; }

# Waits until every program of the prefix has ended (the server then ends
# and writes the registry files); false after the time limit.
all_ended() { timeout "$1" wineserver -w >/dev/null 2>&1 </dev/null; }

# A listing of the prefix after all programs ended: every file and folder
# of drive C with its size, and every registry key and value as one line
# "file|key|value" (continuation lines joined, times dropped). win.ini is
# listed without its size: its lines are compared apart.
snapshot() {  # NAME
  all_ended 90 || echo "note: programs still running before the snapshot $1"
  (cd "$C" && find . -printf '%y %s %p\n' | sed 's|^f [0-9]* \./windows/win\.ini$|f - ./windows/win.ini|' | sort) \
    >"$KD_RUN/$1.files"
  for f in system.reg user.reg userdef.reg; do
    awk -v file="$f" '
      /^#/ || /^WINE REGISTRY/ || /^;;/ { next }
      cont { line = line $0; if (!sub(/\\$/, "", line)) { print file "|" key "|" line; cont = 0 }; next }
      /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print file "|" key "|"; next }
      /^$/ { next }
      { line = $0; if (sub(/\\$/, "", line)) { cont = 1; next }; print file "|" key "|" line }
    ' "$WINEPREFIX/$f"
  done | LC_ALL=C sort >"$KD_RUN/$1.reg"
  tr -d '\r' <"$C/windows/win.ini" | sed '/^$/d' | LC_ALL=C sort >"$KD_RUN/$1.winini"
}

# What Windows (Wine) writes itself: the differences between two listings
# that say nothing about the product.
#  - DriverDateData, SymbolicLinkValue: written by Wine's device manager at
#    each start of the prefix's services (new dates, a volatile link);
#  - MMDevices and winealsa.drv: the audio devices Wine registers the first
#    time a program (Keydeck's mixer) uses sound;
#  - HKCU\Console: the console settings Windows makes when a console
#    program (the test's reg.exe) first runs, at no fixed moment;
#  - wininit.bak: on the 9x family the start of Windows renames WININIT.INI
#    to it (replacing an earlier one) once it has carried out the file
#    operations listed there;
#  - MCI Extensions "dat": the .dat MCI driver Keydeck maps for video CDs,
#    a system association kept like its win.ini twin (checked apart).
ALLOWED='^> system\.reg\|\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\MCI Extensions\]\|("dat"="MPEGVideo")?$|^[<>] user\.reg\|\[Console[]\\]|^[<>] f [0-9]+ \./windows/wininit\.bak$|"DriverDateData"=|"SymbolicLinkValue"=|CurrentVersion\\\\MMDevices|Drivers\\\\winealsa\.drv'

# Prints the differences of two listings that the list above does not allow.
differences() {  # BEFORE AFTER
  { diff "$KD_RUN/$1.files" "$KD_RUN/$2.files"; diff "$KD_RUN/$1.reg" "$KD_RUN/$2.reg"; } |
    grep '^[<>]' | grep -Ev "$ALLOWED" || true
}

finish() {
  if [ "$failures" -eq 0 ]; then
    echo "all checks passed ($WINE_VERSION_NAME)"
    exit 0
  fi
  echo "$failures check(s) failed ($WINE_VERSION_NAME)"
  exit 1
}
