# The settings load points the audio-CD AutoPlay command at the chosen
# player: keydeck.exe itself (quoted) with "/p %1" for the panel (2), the Windows CD
# Player for 4; with the command key missing it creates nothing.
source "$(dirname "$0")/lib.sh"

SETUP=(TSetupFrm "WIRELESS KEYBOARD SETUP")
COMMAND_KEY='HKCR\AudioCD\shell\play\command'
OTHER='C:\Other\player.exe /cd %1'

set_player() {
  timeout 30 wine reg add 'HKLM\SOFTWARE\TessaroVantik\RF2400\Default' /v Player /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1 </dev/null
}
set_command() {
  timeout 30 wine reg add "$COMMAND_KEY" /ve /d "$1" /f >/dev/null 2>&1 </dev/null
}
# The command key's default value; "<no key>" when it cannot be read.
command_value() {
  local out="$KD_RUN/reg-query.out"
  timeout 30 wine reg query "$COMMAND_KEY" /ve >"$out" 2>&1 </dev/null || { echo "<no key>"; return; }
  tr -d '\r' <"$out" | sed -n 's/^ *([^)]*) *REG_SZ *//p'
}
# One start of keydeck.exe: its load runs in FormCreate, before the
# control form can be found.
run_once() {
  keydeck_start "$KD_RUN/work"
  wt wait "${SETUP[@]}" 15000 >/dev/null
  sleep 1
  keydeck_stop
}

import_keymap
mkdir -p "$KD_RUN/work"
program=$(timeout 30 winepath -w "$KD_BIN/keydeck.exe" 2>/dev/null </dev/null)
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

echo "-- command key missing"
timeout 30 wine reg delete 'HKCR\AudioCD' /f >/dev/null 2>&1 </dev/null
set_player 4
run_once
check "no key created" "<no key>" "$(command_value)"

finish
