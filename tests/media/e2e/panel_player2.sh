# The media panel in the real keydeck.exe with Player 2: a folder mounted as
# a video CD on D:, the media keys posted as the hook posts them. The play
# key shows the panel at the top right playing the first entry with a
# running display; the Loop box decides whether an entry starts again at its
# end, but a seek past the end leaves it standing; Stop hides and clears the
# panel; two Ejects say "OPEN" then "UNKNOWN"; AutoPlay's "/p D:\" copy
# plays the disc in the panel, a plain "/p" does not; a swapped disc with no
# video CD makes Play try the remembered entry as a file.
source "$KD_SRC/tests/keydeck/e2e/lib.sh"
source "$KD_SRC/tests/media/e2e/media_lib.sh"

# Control ids of TPLAYER (keydeck/media/win/player_form.h).
ID_DISPLAY=101 ID_PLAYLIST=110 ID_MEDIANAME=112 ID_LENGTH=113 ID_LOOP=116
KEY_PLAY=0x22 KEY_STOP=0x24 KEY_EJECT=0x5F

vcd="$KD_RUN/cd/vcd"
data="$KD_RUN/cd/data"
mkdir -p "$vcd/MPEGAV" "$data"
make_vcd_entry "$vcd/MPEGAV/AVSEQ01.DAT" 6 || { echo "ffmpeg failed"; exit 1; }
make_vcd_entry "$vcd/MPEGAV/AVSEQ02.DAT" 2 || { echo "ffmpeg failed"; exit 1; }
printf 'data' >"$data/readme.txt"
mount_cd d "$vcd" "VIDEOCD"
remount
# The order Wine's directory listing gives (not sorted by the panel).
listed="AVSEQ01.DAT AVSEQ02.DAT "

import_keymap
reg_import <<'REG'
[HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik\RF2400\Default]
"Player"=dword:00000002

[HKEY_LOCAL_MACHINE\SOFTWARE\TessaroVantik\RF2400\Default\0000000000000012]
"Caption"="Eject"
"LinkTo"=""
"Function"=dword:00000010
REG

post_key() { keydeck_post 0x500 "$1" 0; }

mkdir -p "$KD_RUN/work"
keydeck_start "$KD_RUN/work"
wt wait "${SETUP[@]}" 15000 >/dev/null

# Two TPLAYER forms exist: the engine's at the top right, and the start-up
# list's own at 0,0 that nothing drives.
panel=$(wt all TPLAYER PLAYER | awk '$2 == 824 && $3 == 0 {print $1}')
check "the engine's panel waits hidden at the top right" "824 0 1024 92 hidden" \
  "$(wt all TPLAYER PLAYER | awk -v p="$panel" '$1 == p {print $2, $3, $4, $5, $6}')"
check "two TPLAYER forms" 2 "$(wt all TPLAYER PLAYER | wc -l)"
check "one TMovie window per panel, hidden" "hidden hidden" "$(wt all TMovie Movie | awk '{print $6}' | tr '\n' ' ' | sed 's/ $//')"
text() { wt ctext "$panel" - "$1"; }
loop_box() { wt checked "$panel" - $ID_LOOP; }
check "Display starts at [00]00:00" "[00]00:00" "$(text $ID_DISPLAY)"
check "MediaName starts as CD" "CD" "$(text $ID_MEDIANAME)"
check "Length starts as Total Length: 00" "Total Length: 00" "$(text $ID_LENGTH)"
check "Loop starts checked" checked "$(loop_box)"

# ---- Play: the video CD ----
post_key $KEY_PLAY
wt waitvisible "$panel" - 10000 >/dev/null
check "play shows the panel at the top right" "824 0 1024 92 visible" \
  "$(wt all TPLAYER PLAYER | awk -v p="$panel" '$1 == p {print $2, $3, $4, $5, $6}')"
check "MediaName says VCD" VCD "$(text $ID_MEDIANAME)"
check "both entries, in directory order" "$listed" "$(wt items "$panel" - $ID_PLAYLIST | tr '\n' ' ')"
check "the first entry is selected" "$(echo "$listed" | cut -d' ' -f1)" "$(text $ID_PLAYLIST)"
case "$(text $ID_LENGTH)" in "Total Length: "[0-9]*) got=yes ;; *) got="$(text $ID_LENGTH)" ;; esac
check "Length gives the entry's length" yes "$got"
# The MPEG device takes a few seconds to start under Wine.
for _ in $(seq 60); do
  case "$(text $ID_DISPLAY)" in 0000000[1-9]|000000[1-9]?|00000[1-9]??|0000[1-9]???) break ;; esac
  sleep 0.25
done
d1=$(text $ID_DISPLAY)
sleep 1.2
d2=$(text $ID_DISPLAY)
case "$d1$d2" in *[!0-9]*) got="$d1 then $d2" ;; *) [ ${#d1} = 8 ] && [ "$d2" -gt "$d1" ] && got=running || got="$d1 then $d2" ;; esac
check "the display counts the position in eight digits" running "$got"
timeout 30 import -window root -crop 200x92+824+0 "$KD_RUN/panel-playing.png" >/dev/null 2>&1 </dev/null
[ -n "${KD_SHOT:-}" ] && cp "$KD_RUN/panel-playing.png" "$KD_SHOT"

# ---- End of an entry, with Loop checked: it starts again ----
looped=no
prev=$(text $ID_DISPLAY)
for _ in $(seq 50); do
  sleep 0.4
  now=$(text $ID_DISPLAY)
  if [ "$now" -lt "$prev" ] 2>/dev/null; then looped=yes; break; fi
  prev=$now
done
check "with Loop checked the entry starts again at its end" yes "$looped"

# ---- Loop unchecked (the box's own click): the display stops at the end ----
wt click "$panel" - $ID_LOOP >/dev/null
check "Loop unchecked" unchecked "$(wait_for 3 unchecked loop_box)"
stopped=no
prev=$(text $ID_DISPLAY)
for _ in $(seq 20); do
  sleep 1.2
  now=$(text $ID_DISPLAY)
  if [ "$now" = "$prev" ]; then stopped=yes; break; fi
  prev=$now
done
check "without Loop the display stands still after the end" yes "$stopped"
sleep 1.5
check "and stays so" "$prev" "$(text $ID_DISPLAY)"

# ---- Loop checked again: a seek past the end leaves the entry there ----
wt click "$panel" - $ID_LOOP >/dev/null
check "Loop checked again" checked "$(wait_for 3 checked loop_box)"
post_key $KEY_PLAY
running=no
for _ in $(seq 40); do
  sleep 0.3
  case "$(text $ID_DISPLAY)" in 0000000[1-9]|000000[1-9]?|00000[1-9]??|0000[1-9]???) running=yes; break ;; esac
done
check "Play at the end starts the entry again" yes "$running"
sleep 1
before=$(text $ID_DISPLAY)
# One step up on the seek arrows (the panel's up arrow, at 68,4 within it)
# and the release seeks: Wine's mpegvideo reads an entry's length as 0, so
# any step up is past the end, and the end is position 0.
timeout 10 xdotool mousemove $((824 + 74)) 12 click 1
sleep 1.5
d1=$(text $ID_DISPLAY)
sleep 2.5
d2=$(text $ID_DISPLAY)
length=$(text $ID_LENGTH)
echo "display before the seek $before, then $d1, then $d2; $length"
length=${length#Total Length: }
number() { case "$1" in '' | *[!0-9]*) echo "$1" ;; *) echo $((10#$1)) ;; esac; }
check "a seek past the end leaves the entry at its end" "$(number "$length")" "$(number "$d1")"
check "and stopped there, Loop or not" "$d1" "$d2"

# ---- Stop: hidden and cleared ----
post_key $KEY_STOP
wt waithidden "$panel" - 10000 >/dev/null
check "stop hides the panel" hidden "$(wt visible "$panel" -)"
check "stop resets the display" "[00]00:00" "$(text $ID_DISPLAY)"
check "stop clears the list" "" "$(wt items "$panel" - $ID_PLAYLIST | tr '\n' ' ')"
check "stop clears the list's text" "" "$(text $ID_PLAYLIST)"

# ---- AutoPlay: the copy Windows starts for an inserted disc ----
check "the \"/p D:\\\" copy ends by itself" 0 "$(keydeck_once "$KD_RUN/work" /p 'D:\')"
wt waitvisible "$panel" - 10000 >/dev/null
check "AutoPlay's /p with a drive plays the disc in the panel" "visible VCD" \
  "$(wt visible "$panel" -) $(text $ID_MEDIANAME)"
post_key $KEY_STOP
wt waithidden "$panel" - 10000 >/dev/null
check "a plain /p plays nothing" 0 "$(keydeck_once "$KD_RUN/work" /p)"
sleep 1  # a show would have come by now
check "and leaves the panel hidden" hidden "$(wt visible "$panel" -)"

# ---- Eject twice ----
post_key $KEY_EJECT
check "first eject: the door opens" "OPEN" "$(wait_for 5 OPEN text $ID_PLAYLIST)"
check "first eject: no medium name" "" "$(text $ID_MEDIANAME)"
post_key $KEY_EJECT
check "second eject: the door closes on an unknown disc" "UNKNOWN" "$(wait_for 5 UNKNOWN text $ID_PLAYLIST)"
check "second eject: medium ?" "?" "$(text $ID_MEDIANAME)"
check "eject leaves the panel hidden" hidden "$(wt visible "$panel" -)"

# ---- A data disc in place of the video CD: the remembered entry as a file ----
ln -sfn "$data" "$WINEPREFIX/dosdevices/d:"
post_key $KEY_PLAY
box=$(wt boxtext - 10000)
case "$box" in ?*) got=shown ;; *) got=none ;; esac
check "the missing remembered entry fails to open with a message box" shown "$got"
echo "  (box text: $box)"
check "the panel says FILE" FILE "$(text $ID_MEDIANAME)"
check "the list says FILES" FILES "$(text $ID_PLAYLIST)"
wt press - ok 5000 >/dev/null

keydeck_stop
finish
