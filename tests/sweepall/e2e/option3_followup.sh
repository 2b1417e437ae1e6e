# Option 3: after Yes, the follow-up command named by the "Sweepall" value
# of the product's Uninstall key is shown in the list box, the script runs
# (removing that key) and the command is started afterwards.
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

W="$C/windows"
mkdir -p "$C/kdtest"
echo a >"$W/kd_a.txt"
reg_import <<'REG'
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\KeydeckTest]
"Sweepall"="cmd.exe /c echo followed> C:\\kdtest\\followup.txt"
REG
script_file "$C/kdtest/un.ini" \
  "[Keydeck Uninstall]" "Name=Keydeck" "Option=3" "Uninstall=KeydeckTest" \
  "[W" "kd_a.txt"

sweepall_start 'C:\kdtest\un.ini'
drive window Keydeck wait 30 press 6 gone 10
check "question answered Yes" 0 "$?"
wait "$app"
check "sweepall.exe ended by itself with" 0 "$?"
check "script ran" absent "$(exists "$W/kd_a.txt")"
check "Uninstall key removed" absent \
  "$(reg_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KeydeckTest')"
wait_until 5 test -s "$C/kdtest/followup.txt"
check "follow-up command started" followed "$(tr -d '\r\n ' <"$C/kdtest/followup.txt" 2>/dev/null)"
finish
