# The setup menu in German, Japanese and Chinese (Traditional): for each,
# Keydeck runs with the Language setting and a locale of that language (Wine
# takes the ANSI code page from it), the menu is opened from its tray icon,
# and the picture of the menu must differ from the English one and from the
# same language in the C locale, where the captions cannot be converted.
# The pictures are kept in the run folder (menu-<id>-<locale>.png).
source "$(dirname "$0")/lib.sh"

R2='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'

# Starts Keydeck with Language $1 in locale $2, opens the menu from the
# tray icon and saves the menu's picture as $KD_RUN/menu-$1-$2.png.
menu_picture() {
  local id=$1 loc=$2 shot="$KD_RUN/menu-$1-$2.png" icon l t r b
  reg add "$R2" /v Language /t REG_DWORD /d "$id" /f
  LANG=$loc LC_ALL=$loc keydeck_start "$KD_RUN/work"
  wt wait "${SETUP[@]}" 15000 >/dev/null
  wt waitvisible "${LED[@]}" 5000
  icon=$(wait_tray_icons 10 1)
  click_tray_icon "$icon" 3
  if ! wt waitvisible "#32768" - 3000 >/dev/null; then
    echo "no menu for $id in $loc"
    keydeck_stop
    return
  fi
  # Away from the icon, so that its tip does not cover the menu.
  timeout 10 xdotool mousemove 600 400
  sleep 1
  read -r l t r b < <(wt rect "#32768" -)
  timeout 30 import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shot" >/dev/null 2>&1 </dev/null
  # KD_SHOTS names a folder for pictures of the menu beside the strip.
  if [ -n "${KD_SHOTS:-}" ]; then
    timeout 30 import -window root -crop "$((1024 - l + 170))x$((768 - t))+$((l - 170))+$t" +repage \
      "$KD_SHOTS/menu-$id-$loc.png" >/dev/null 2>&1 </dev/null
  fi
  close_menu
  keydeck_stop
  echo "$shot"
}

same() { if timeout 30 compare -metric AE "$1" "$2" null: >/dev/null 2>&1 </dev/null; then echo same; else echo different; fi; }

import_keymap
mkdir -p "$KD_RUN/work"
english=$(menu_picture 1033 C.UTF-8)
check "the English menu opened" yes "$([ -f "$english" ] && echo yes || echo no)"
for pair in "1031 de_DE.UTF-8" "1041 ja_JP.UTF-8" "1028 zh_TW.UTF-8"; do
  read -r id loc <<<"$pair"
  echo "-- Language $id in $loc"
  own=$(menu_picture "$id" "$loc")
  check "the menu opened" yes "$([ -f "$own" ] && echo yes || echo no)"
  check "it is not the English menu" different "$(same "$own" "$english")"
  if [ "$id" != 1031 ]; then
    # German survives any code page of the Latin script; these do not.
    plain=$(menu_picture "$id" C.UTF-8)
    check "its captions need their code page" different "$(same "$own" "$plain")"
  fi
done
finish
