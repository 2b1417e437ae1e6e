# With the registry keys missing and no "qKeymap.reg" to import, the start
# runs the registry editor once, shows "Registry data not found !" and ends.
source "$(dirname "$0")/lib.sh"

mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
title=$(wt waitbox "Registry data not found !" 20000)
check "box shown" 0 "$?"
check "box text" "Registry data not found !" "$(wt boxtext "$title" 2000)"
echo "box title (the system's default): '$title'"
wt press "$title" ok 2000 >/dev/null
check "keydeck ends after the box" yes "$(keydeck_ended 15 && echo yes || echo no)"
# Wine's registry editor says so on the output it shares with Keydeck.
check "the registry editor was started once" 1 "$(grep -c "qKeymap.reg" "$KD_RUN/keydeck.log")"
check "no application window left" no "$(has_window TApplication "WIRELESS KEYBOARD")"
finish
