# Media fixtures for the Wine runs: clips made by ffmpeg and folders
# mounted as CD-ROM drives. Sourced inside the wine-run environment.
source "$KD_SRC/tests/harness/e2e.sh"

# make_clip FILE SECONDS: an MS Video 1 AVI at 25 frames a second with a
# silent sound track (Wine's avivideo stops a sound-less clip with error 5,
# from resetting a wave device it never opened).
make_clip() {
  timeout 60 ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc=size=96x64:rate=25" \
    -f lavfi -i "anullsrc=r=11025:cl=mono" -t "$2" -c:v msvideo1 -c:a pcm_u8 "$1" </dev/null
}

# make_vcd_entry FILE SECONDS: an MPEG-1 program stream, as on a video CD.
make_vcd_entry() {
  timeout 60 ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc=size=160x120:rate=25" -t "$2" \
    -c:v mpeg1video -f mpeg "$1" </dev/null
}

# mount_cd LETTER DIR LABEL: DIR becomes CD-ROM drive LETTER with LABEL.
# The drives take effect for the next wineserver (see remount).
mount_cd() {
  printf '%s' "$3" >"$2/.windows-label"
  printf '%s' "1234ABC$1" >"$2/.windows-serial"
  ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"
  reg add 'HKLM\Software\Wine\Drives' /v "$1:" /d cdrom /f
}

# Labels are read once per server: end it so that the next program sees
# them, and start a persistent one again.
remount() {
  timeout 20 wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  wineserver_persistent
}
