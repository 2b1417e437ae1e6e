# A script that can be read nowhere: the dialog shows "INI file missing !"
# and the command-line text, and stays open until Exit.
set -u
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

timeout 60 wine "$KD_BIN/sweepall.exe" 'C:\nowhere\none.ini' >"$KD_RUN/sweepall.out" 2>&1 &
app=$!
drive() { timeout 60 wine "$KD_BIN/sweepall_driver.exe" "$@" >>"$KD_RUN/driver.out" 2>&1; }

mkdir -p "$C/kdtest"
drive wait 30 dump 'C:\kdtest\missing.txt'
check "dialog" \
  "caption=Sweepall Ver 2.51|group=Uninstall List|check1005=0|check1006=0|check1008=0|check1010=0|list=INI file missing !|list=C:\\nowhere\\none.ini" \
  "$(paste -sd'|' "$C/kdtest/missing.txt" 2>/dev/null)"
drive click 1009 dump 'C:\kdtest\ok.txt'
check "OK runs the empty script" "list=Uninstall Successful !" "$(grep '^list=' "$C/kdtest/ok.txt" | tail -n1)"
drive click 2 gone 10
check "Exit closes the dialog" 0 "$?"
wait "$app"
check "sweepall.exe exit status" 0 "$?"
finish
