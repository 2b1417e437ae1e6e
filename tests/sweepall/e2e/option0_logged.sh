# Option 0 through the dialog's controls: the dialog waits with the three
# task boxes ticked; "Uninstall Log File" and OK run the script and write one
# log line per entry; OK again rewrites the log from its start.
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

W="$C/windows"
mkdir -p "$C/kdtest" "$W/kd_empty"
echo a >"$W/kd_a.txt"

reg_import <<'REG'
[HKEY_LOCAL_MACHINE\Software\KeydeckTest\Level1\Level2\Level3]

[HKEY_CURRENT_USER\Software\KeydeckTest]
"OldValue"="old"
REG

script_file "$C/kdtest/un.ini" \
  "[Keydeck Uninstall]" "Name = Keydeck Suite" "Option=0" \
  "[W" "kd_a.txt" "kd_missing.txt" "kd_empty" \
  "[K" "3" 'Software\KeydeckTest\Level1' \
  "[V" "2" 'Software\KeydeckTest' "OldValue" \
  "[A" "2" 'Software\KeydeckTest' "AddedValue" "added"

rm -f "$C/sweepall.log"
sweepall_start 'C:\kdtest\un.ini'

drive wait 30 dump 'C:\kdtest\start.txt'
check "dialog at start" \
  "caption=Sweepall Ver 2.51|group=KeydeckSuite|check1005=1|check1006=1|check1008=1|check1010=0|list=Normal Uninstall !" \
  "$(paste -sd'|' "$C/kdtest/start.txt" 2>/dev/null)"
check "nothing done before OK" present "$(exists "$W/kd_a.txt")"

drive click 1010 click 1009 dump 'C:\kdtest/first.txt'
cp "$C/sweepall.log" "$KD_RUN/first.log" 2>/dev/null
check "list after OK" "check1010=1|list=Normal Uninstall !|list=Uninstall Successful !" \
  "$(grep -E '^(check1010|list)=' "$C/kdtest/first.txt" | paste -sd'|')"
printf '%s\r\n' \
  'Delete File : C:\windows\kd_a.txt-->Remove Successful !' \
  'Not Found : C:\windows\kd_missing.txt' \
  'Remove Directory : C:\windows\kd_empty' \
  'Delete Key : Software\KeydeckTest\Level1--> Successful !' \
  'Delete Key Value :Software\KeydeckTest\OldValue-->Delete Successful !' \
  'Add Key Value: AddedValue--> Successful !' >"$KD_RUN/first.expected"
check "log of the first run" same \
  "$(cmp -s "$KD_RUN/first.expected" "$KD_RUN/first.log" && echo same || { echo differs:; cat -A "$KD_RUN/first.log"; })"
check "no zero byte in the log" 0 "$(tr -cd '\000' <"$KD_RUN/first.log" | wc -c)"
check "key tree gone" absent "$(reg_key 'HKLM\Software\KeydeckTest\Level1')"
check "value added" added "$(reg_value 'HKCU\Software\KeydeckTest' AddedValue)"

drive click 1009 dump 'C:\kdtest\second.txt'
printf '%s\r\n' \
  'Not Found : C:\windows\kd_a.txt' \
  'Not Found : C:\windows\kd_missing.txt' \
  'Not Found : C:\windows\kd_empty' \
  'Delete Key : Software\KeydeckTest\Level1--> Fail !' \
  'Delete Key Value :Software\KeydeckTest\OldValue-->Delete fail !' \
  'Add Key Value: AddedValue--> Successful !' >"$KD_RUN/second.expected"
check "log rewritten by the second run, nothing of the first left" same \
  "$(cmp -s "$KD_RUN/second.expected" "$C/sweepall.log" && echo same || { echo differs:; cat -A "$C/sweepall.log"; })"
check "list after the second OK" 3 "$(grep -c '^list=' "$C/kdtest/second.txt")"

drive click 2 gone 10
check "Exit closes the dialog" 0 "$?"
wait "$app"
check "sweepall.exe exit status" 0 "$?"
finish
