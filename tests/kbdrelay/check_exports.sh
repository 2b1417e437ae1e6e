#!/usr/bin/env bash
# The two DLLs export undecorated stdcall names at fixed ordinals, as a
# Windows program that imports them by name expects.
#   check_exports.sh <bin folder>
set -uo pipefail
bin="$1"
status=0

# Prints "ordinal name" for each named export of a DLL.
exports_of() {
  i686-w64-mingw32-objdump -p "$1" | awk '
    /^Export Address Table -- Ordinal Base/ { base = $NF }
    /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
    names && /^\t\[/ { gsub(/[\[\]]/, ""); print $1 + base, $2; next }
    names { names = 0 }'
}

check() {  # dll, expected "ordinal name" lines
  local dll="$bin/$1" expected got
  expected="$(printf '%s\n' "${@:2}" | sort)"
  got="$(exports_of "$dll" | sort)"
  if [ "$got" = "$expected" ]; then
    echo "ok: $1 exports: $(echo $got)"
  else
    echo "FAIL: $1 exports"
    echo "  expected: $(echo $expected)"
    echo "  got:      $(echo $got)"
    status=1
  fi
  if exports_of "$dll" | grep -q '@'; then
    echo "FAIL: $1 has decorated export names"
    status=1
  fi
}

check kbdrelay.dll "2 InitDriver" "3 SetKbdFeatures" "4 RemoveDevice"
check hidrelay.dll "2 InitDriver" "3 SetKbdFeatures" "4 GetRevision" "5 GetHidStruct"
exit $status
