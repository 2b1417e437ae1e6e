# Option 1: a Yes/No question with the product name as caption comes before
# the dialog; Yes runs the script. A restart section asks again; No lets the
# run go on without restarting, and the program ends by itself.
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

W="$C/windows"
mkdir -p "$C/kdtest"
echo a >"$W/kd_before.txt"
echo b >"$W/kd_after.txt"
script_file "$C/kdtest/un.ini" \
  "[Keydeck Uninstall]" "Name=Keydeck" "Option=1" \
  "[W" "kd_before.txt" "[B" "[W" "kd_after.txt"

sweepall_start 'C:\kdtest\un.ini'

drive window Keydeck wait 30 texts 'C:\kdtest\question.txt'
check "uninstall question shown" 0 "$?"
echo "question text: $(tr '\n' ' ' <"$C/kdtest/question.txt")"
check "dialog not shown while asking" absent "$(drive wait 0 && echo present || echo absent)"
drive window Keydeck press 6 gone 10
check "uninstall question answered Yes" 0 "$?"

drive window Keydeck wait 30 texts 'C:\kdtest\restart.txt' press 7 gone 10
check "restart question answered No" 0 "$?"
echo "restart text: $(tr '\n' ' ' <"$C/kdtest/restart.txt")"
check "restart question has its text" yes \
  "$(grep -q 'restart' "$C/kdtest/restart.txt" && echo yes || echo no)"
check "file before the restart section" absent "$(exists "$W/kd_before.txt")"

wait "$app"
check "sweepall.exe ended by itself with" 0 "$?"
check "file after the restart section (run went on after No)" absent "$(exists "$W/kd_after.txt")"
finish
