# Helpers of the installer's end-to-end run beyond the shared harness
# (sourced inside scripts/wine-run.sh): the listings of the prefix before
# and after, and the differences Windows makes on its own.
source "$KD_SRC/tests/harness/e2e.sh"
DIR="$C/Program Files/Keydeck"
SETUP_EXE="$KD_BIN/../../keydeck-setup.exe"
ARP='Software\Microsoft\Windows\CurrentVersion\Uninstall\Keydeck'
RUNKEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

keydeck_window() { has_window "${SETUP[@]}"; }

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
