# With the registry keys missing, a start imports "qKeymap.reg" from the
# current directory through the registry editor and runs.
source "$(dirname "$0")/lib.sh"

mkdir -p "$KD_RUN/work"
cp "$KEYMAP" "$KD_RUN/work/qKeymap.reg"
check "keys missing before the start" absent "$(reg_key 'HKLM\SOFTWARE\TessaroVantik')"
keydeck_start "$KD_RUN/work"
check "control form after the import" 0 "$(wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 20000; echo $?)"
check "no error box" 1 "$(wt boxtext - 2000 >/dev/null; echo $?)"
check "read side imported" yes \
  "$([ "$(reg_value 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' ScanCode)" != absent ] && echo yes || echo no)"
check "write side imported" present "$(reg_key 'HKLM\SOFTWARE\Tessaro\RF2400')"
wt waitvisible "${LED[@]}" 5000
check "LED strip shown" visible "$(wt visible "${LED[@]}")"
keydeck_stop
finish
