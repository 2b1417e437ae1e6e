# The real keydeck.exe shows the Channel Setting picture of the user's
# language: German from the user default language of a German locale, then
# Arabic (0x2001) and English (0x0409) from the Language setting, and after
# a reload of a changed setting the new language's picture. The
# window's client area on the screen must be the picture without its 8
# leftmost columns, pixel for pixel. KD_SHOTS, when set, names a folder
# that gets a screenshot of each window (channel_<language>.png).
source "$KD_SRC/tests/keydeck/e2e/lib.sh"

FORM3=(TForm3 "Channel Setting")
GENERATED="$KD_BIN/../keydeck/resources/generated"
DEFAULT_KEY='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'

# Screen pixels of Form3's client area (481 x 393 inside the single border)
# that differ from picture $1 shifted by 8 columns; the shot is kept as $2.
client_differs_from() {
  local left top right bottom border shot="$KD_RUN/$2.png"
  read -r left top right bottom < <(wt rect "${FORM3[@]}")
  border=$(( (right - left - 481) / 2 ))
  screenshot
  timeout 30 convert "$KD_RUN/screen.png" -crop "481x393+$((left + border))+$((bottom - border - 394))" +repage \
    "$shot" </dev/null
  timeout 30 convert "$GENERATED/channel_$1.ref.bmp" -crop 481x393+8+0 +repage "$KD_RUN/want.png" </dev/null
  timeout 30 compare -metric AE "$shot" "$KD_RUN/want.png" null: 2>&1 </dev/null
}

# The same once the window has painted its picture: 0, or the count of the
# last look within 5 s. KD_SHOTS gets the window from that look.
picture_differences() {
  local left top right bottom
  wait_for 5 0 client_differs_from "$@"
  if [ -n "${KD_SHOTS:-}" ] && [ ! -e "$KD_SHOTS/$2.png" ]; then
    mkdir -p "$KD_SHOTS"
    read -r left top right bottom < <(wt rect "${FORM3[@]}")
    timeout 30 convert "$KD_RUN/screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
      "$KD_SHOTS/$2.png" </dev/null
  fi
}
form3() { wt visible "${FORM3[@]}"; }

set_language() {  # the Language setting; empty: none
  if [ -n "$1" ]; then
    reg add "$DEFAULT_KEY" /v Language /t REG_DWORD /d "$1" /f
  else
    reg delete "$DEFAULT_KEY" /v Language /f
  fi
}

# One start of Keydeck: language setting $1 (empty: none), locale $2,
# expected picture $3, shot name $4.
show_channel_setting() {
  set_language "$1"
  LC_ALL="$2" keydeck_start "$KD_RUN/work"
  keydeck_ready
  check "$4: Channel Setting hidden at start" hidden "$(form3)"
  keydeck_post 0x500 0x5A 0
  check "$4: channel key shows Channel Setting" visible "$(wait_for 5 visible form3)"
  check "$4: the picture, columns 8 to 488" 0 "$(picture_differences "$3" "channel_$4")"
  keydeck_post 0x500 0xDA 0
  check "$4: release hides it" hidden "$(wait_for 3 hidden form3)"
  # Shown again by a receiver report: the same picture.
  keydeck_post 0x464 0 0x1004
  wt waitvisible "${FORM3[@]}" 5000
  check "$4: shown again, same picture" 0 "$(picture_differences "$3" "channel_$4")"
}

# The Language setting changed to $1 (empty: removed) and reloaded as a
# "/u" copy asks: the next show takes picture $2, shot name $3.
reload_language() {
  set_language "$1"
  keydeck_post 0x502 0 0
  keydeck_post 0x500 0x5A 0
  wt waitvisible "${FORM3[@]}" 5000
  check "$3: after the reload, the picture of the new language" 0 "$(picture_differences "$2" "channel_$3")"
  keydeck_post 0x500 0xDA 0
  wt waithidden "${FORM3[@]}" 3000
}

import_keymap
mkdir -p "$KD_RUN/work"
show_channel_setting "" de_DE.UTF-8 09 german
keydeck_stop
show_channel_setting 8193 C.UTF-8 25 arabic
keydeck_stop
show_channel_setting 1033 de_DE.UTF-8 00 english
reload_language 8193 25 english_to_arabic
reload_language "" 09 arabic_to_user_german
keydeck_stop
finish
