# Shared helpers of the sweepall end-to-end scripts (sourced; run inside
# scripts/wine-run.sh, which exports WINEPREFIX, KD_BIN, KD_SRC, KD_RUN).
failures=0
C="$WINEPREFIX/drive_c"

# check WHAT EXPECTED ACTUAL
check() {
  if [ "$2" = "$3" ]; then
    echo "ok   $1: $3"
  else
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

# Writes lines as a CR LF text file: script_file PATH LINE...
script_file() {
  local path="$1"; shift
  : >"$path"
  for line in "$@"; do printf '%s\r\n' "$line" >>"$path"; done
}

# Imports a REGEDIT4 file given on stdin.
reg_import() {
  local f="$KD_RUN/import.reg"
  { printf 'REGEDIT4\r\n\r\n'; sed 's/$/\r/'; } >"$f"
  timeout 60 wine regedit /s "$(winepath_of "$f")" >"$KD_RUN/regedit.out" 2>&1
}

winepath_of() { echo "Z:${1//\//\\}"; }

# Prints "present" or "absent" for a key, or for a value with its data.
reg_state() {
  local out="$KD_RUN/reg.out"
  if [ $# -eq 1 ]; then
    timeout 30 wine reg query "$1" >"$out" 2>&1 && echo present || echo absent
  else
    if timeout 30 wine reg query "$1" /v "$2" >"$out" 2>&1; then
      # "    Name    REG_SZ    data"
      tr -d '\r' <"$out" | awk -v n="$2" 'tolower($1) == tolower(n) { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; found=1 } END { if (!found) print "?" }'
    else
      echo absent
    fi
  fi
}

exists() { [ -e "$1" ] && echo present || echo absent; }

finish() {
  if [ "$failures" -eq 0 ]; then
    echo "all checks passed ($WINE_VERSION_NAME)"
    exit 0
  fi
  echo "$failures check(s) failed ($WINE_VERSION_NAME)"
  exit 1
}
