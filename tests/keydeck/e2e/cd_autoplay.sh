# The settings load points the audio-CD AutoPlay command at the chosen
# player: keydeck.exe itself (quoted) with "/p %1" for the panel (2), the Windows CD
# Player for 4; with the command key missing it creates nothing. The copy
# AutoPlay starts for a disc ("/p E:\") has the panel play the disc in that
# drive, also when another drive before it holds one.
source "$(dirname "$0")/lib.sh"
source "$KD_SRC/tests/media/e2e/media_lib.sh"

COMMAND_KEY='HKCR\AudioCD\shell\play\command'
OTHER='C:\Other\player.exe /cd %1'

set_player() { reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v Player /t REG_DWORD /d "$1" /f; }
set_command() { reg add "$COMMAND_KEY" /ve /d "$1" /f; }
command_value() { reg_value "$COMMAND_KEY" ""; }  # "absent" without the key
# One start of keydeck.exe, until its settings load is done.
run_once() {
  keydeck_start "$KD_RUN/work"
  keydeck_ready
  keydeck_stop
}

import_keymap
mkdir -p "$KD_RUN/work"
program=$(win_path "$KD_BIN/keydeck.exe")
case "$WINE_VERSION_NAME" in
  win95|win98|winme) cdplayer='C:\windows\cdplayer.exe /play ' ;;
  *) cdplayer='C:\windows\system32\cdplayer.exe /play ' ;;
esac

echo "-- player 2: the panel"
set_player 2
set_command "$OTHER"
run_once
check "command starts the quoted keydeck.exe with /p" "\"$program\" /p %1" "$(command_value)"

echo "-- player 4: the Windows CD Player"
set_player 4
set_command "$OTHER"
run_once
check "command starts the CD Player" "$cdplayer" "$(command_value)"

echo "-- player 0: nothing"
set_player 0
set_command "$OTHER"
run_once
check "command untouched" "$OTHER" "$(command_value)"

echo "-- a disc inserted in the second drive"
# Video CDs (CD audio does not play under Wine): one in D:, and the one
# just inserted in E:, told apart by their entries' names.
for drive in d e; do
  mkdir -p "$KD_RUN/cd/$drive/MPEGAV"
  make_vcd_entry "$KD_RUN/cd/$drive/MPEGAV/DISC_${drive^^}.DAT" 2 || echo "ffmpeg failed"
  mount_cd "$drive" "$KD_RUN/cd/$drive" "VIDEOCD_$drive"
done
remount
set_player 2
keydeck_start "$KD_RUN/work"
keydeck_ready
# The engine's panel, at the top right (the start-up list's own is at 0,0).
panel=$(wt all TPLAYER PLAYER | awk '$2 == 824 && $3 == 0 {print $1}')
check "/p E:\\ ends" 0 "$(keydeck_once "$KD_RUN/work" /p 'E:\')"
check "the panel shows" 0 "$(wt waitvisible "$panel" - 10000 >/dev/null; echo $?)"
check "it plays the disc in E:" DISC_E.DAT "$(wt ctext "$panel" - 110)"  # its play list
keydeck_stop

echo "-- command key missing"
reg delete 'HKCR\AudioCD' /f
set_player 4
run_once
check "no key created" absent "$(command_value)"

finish
