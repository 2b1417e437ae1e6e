# A script that can be read nowhere: the dialog shows "INI file missing !"
# and the command-line text, and stays open until Exit. A silent start,
# also from a temporary copy, ends at once with exit code 2.
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

sweepall_start 'C:\nowhere\none.ini'

mkdir -p "$C/kdtest"
drive wait 30 dump 'C:\kdtest\missing.txt'
check "dialog" \
  "caption=Sweepall Ver 2.51|group=Uninstall List|check1005=0|check1006=0|check1008=0|check1010=0|list=INI file missing !|list=C:\\nowhere\\none.ini" \
  "$(paste -sd'|' "$C/kdtest/missing.txt" 2>/dev/null)"
# The program's icon (its blue body) is the dialog's small icon, in the
# caption of the open and of the minimised dialog. Wine shows a minimised
# window as a bare caption, so the icon painted into the client area of a
# minimised dialog can't be seen here.
icon_pixels() {
  screenshot "$KD_RUN/shot.png" &&
    timeout 30 convert "$KD_RUN/shot.png" -fill black +opaque 'srgb(64,160,255)' \
      -fill white -opaque 'srgb(64,160,255)' -format '%[fx:round(mean*w*h)]' info:
}
check "icon in the caption" yes "$([ "$(icon_pixels)" -gt 20 ] && echo yes || echo no)"
drive minimize 0
check "icon in the minimised caption" yes "$(wait_above 5 20 icon_pixels >/dev/null && echo yes || echo no)"
drive click 1009 dump 'C:\kdtest\ok.txt'
check "OK runs the empty script" "list=Uninstall Successful !" "$(grep '^list=' "$C/kdtest/ok.txt" | tail -n1)"
drive click 2 gone 10
check "Exit closes the dialog" 0 "$?"
wait "$app"
check "sweepall.exe exit status" 0 "$?"
for switches in "/S" "/T /S"; do
  # shellcheck disable=SC2086
  timeout 30 wine "$KD_BIN/sweepall.exe" $switches 'C:\nowhere\none.ini' >>"$KD_RUN/sweepall.out" 2>&1
  check "sweepall.exe $switches without a script ends at once with" 2 "$?"
done
finish
