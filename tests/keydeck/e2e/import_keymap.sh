# With the registry keys missing, a start imports "qKeymap.reg" from the
# current directory through the registry editor and runs.
source "$(dirname "$0")/lib.sh"

mkdir -p "$KD_RUN/work"
cp "$KEYMAP" "$KD_RUN/work/qKeymap.reg"
before=$(timeout 30 wine reg query 'HKLM\SOFTWARE\TessaroVantik' >/dev/null 2>&1 </dev/null; echo $?)
check "keys missing before the start" 1 "$before"
keydeck_start "$KD_RUN/work"
check "control form after the import" 0 "$(wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 20000; echo $?)"
check "no error box" 1 "$(wt boxtext - 2000 >/dev/null; echo $?)"
timeout 30 wine reg query 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v ScanCode >"$KD_RUN/query.out" 2>&1 </dev/null
check "read side imported" yes "$(grep -q 'ScanCode' "$KD_RUN/query.out" && echo yes || echo no)"
timeout 30 wine reg query 'HKLM\SOFTWARE\Tessaro' >"$KD_RUN/query2.out" 2>&1 </dev/null
check "write side imported" yes "$(grep -q 'RF2400' "$KD_RUN/query2.out" && echo yes || echo no)"
wt waitvisible TRFLed RFLed 5000
check "LED strip shown" visible "$(wt visible TRFLed RFLed)"
keydeck_stop
finish
