# Helpers of the keydeck.exe end-to-end scripts beyond the shared harness:
# the LED strip's lamps, the tray icons and the setup menu under the mouse.
# Sourced inside the wine-run environment.
source "$KD_SRC/tests/harness/e2e.sh"
wineserver_persistent

LED=(TRFLed RFLed)

# Centre of LED lamp n (1..5) on the screen.
lamp_xy() {
  local left top
  read -r left top _ _ < <(wt rect "${LED[@]}")
  echo "$((left + 8 + ($1 - 1) * 32 + 9)) $((top + 33 + 4))"
}

lamp() {  # colour name of lamp n: lime, red, grey or "other:" and the raw value
  local xy got
  xy=$(lamp_xy "$1")
  got=$(pixel ${xy% *} ${xy#* })
  case "$got" in
    "srgb(0,255,0)") echo lime ;;
    "srgb(255,0,0)") echo red ;;
    "srgb(128,128,128)") echo grey ;;
    *) echo "other:$got" ;;
  esac
}

# Waits up to SECONDS (3 when not given) until lamp n shows COLOUR; prints
# the colour seen last.
wait_lamp() {  # N COLOUR [SECONDS]
  wait_for "${3:-3}" "$2" lamp "$1"
}

# The icons in the notification area of the virtual desktop's task bar
# (Wine's shell shows them at its right end, on a white bar 748..767): one
# "left right" pair per icon, left to right; nothing when there is none.
tray_icons() {
  local shot="$KD_RUN/tray.png"
  screenshot "$shot"
  # Columns of the tray's right half holding anything but the bar's white.
  timeout 30 convert "$shot" -crop 300x16+724+750 +repage txt:- 2>/dev/null </dev/null |
    awk -F'[,:]' 'NR > 1 && $0 !~ /#FFFFFF/ { print $1 + 724 }' | sort -nu |
    awk 'NR == 1 { l = $1; r = $1; next } $1 > r + 3 { print l, r; l = $1 } { r = $1 } END { if (NR) print l, r }'
}

# Waits up to SECONDS until tray_icons prints COUNT icons; prints them.
wait_tray_icons() {  # SECONDS COUNT
  local icons deadline=$(deadline_in "$1")
  while icons=$(tray_icons); [ "$(grep -c . <<<"$icons")" -ne "$2" ]; do
    [ "$(now_us)" -ge "$deadline" ] && break
    sleep 0.1
  done
  echo "$icons"
}

# Clicks button $2 (1 left, 3 right) on the tray icon "left right" of $1.
click_tray_icon() {
  local l r
  read -r l r <<<"$1"
  timeout 10 xdotool mousemove $(((l + r) / 2)) 758 click "$2"
}

# Clicks item $2 (0-based) of the $3 visible items of the menu whose rect
# is $1 ("left top right bottom"); waits until the click has opened,
# closed or changed a menu level.
click_item() {
  local left top right bottom before
  read -r left top right bottom <<<"$1"
  before=$(wt list "#32768")
  timeout 10 xdotool mousemove $((left + 25)) $((top + (bottom - top) * (2 * $2 + 1) / (2 * $3))) click 1
  wait_until 3 menus_differ_from "$before"
}
menus_differ_from() { [ "$(wt list "#32768")" != "$1" ]; }

# Opens the setup menu and clicks through it: each argument is "item/count"
# for the next menu level (the item's 0-based index among count visible).
menu_path() {
  keydeck_post 0x602 0 0x204
  wt waitvisible "#32768" - 3000 || { echo "menu did not open"; return 1; }
  local seen="" step rect
  for step in "$@"; do
    rect=$(wt list "#32768" | grep -vxF -e "${seen:-none}" | head -n1)
    [ -n "$rect" ] || { echo "menu level for $step did not open"; return 1; }
    seen="$seen"$'\n'"$rect"
    seen="${seen#$'\n'}"
    click_item "$rect" "${step%/*}" "${step#*/}"
  done
}

# A click beside an open menu closes it.
close_menu() {
  timeout 10 xdotool mousemove 300 300 click 1
  wt waithidden "#32768" - 3000
}
