# Runs media_win_test.exe over real media: C:\kdmedia\clip.avi (75 frames),
# C:\kdmedia\long.avi (250 frames) and three folders mounted as CD-ROM
# drives (D: audio CD, E: video CD, F: data disc).
source "$KD_SRC/tests/media/e2e/media_lib.sh"

media="$WINEPREFIX/drive_c/kdmedia"
mkdir -p "$media" "$KD_RUN/cd/audio" "$KD_RUN/cd/vcd/MPEGAV/SUB" "$KD_RUN/cd/data/folder"
make_clip "$media/clip.avi" 3 || { echo "ffmpeg failed"; exit 1; }
make_clip "$media/long.avi" 10 || { echo "ffmpeg failed"; exit 1; }
printf 'x' >"$KD_RUN/cd/audio/Track01.cda"
make_vcd_entry "$KD_RUN/cd/vcd/MPEGAV/AVSEQ01.DAT" 6 || { echo "ffmpeg failed"; exit 1; }
make_vcd_entry "$KD_RUN/cd/vcd/MPEGAV/AVSEQ02.DAT" 1 || { echo "ffmpeg failed"; exit 1; }
for f in readme.txt .hidden.txt system.txt; do printf 'data' >"$KD_RUN/cd/data/$f"; done
# Wine keeps DOS attributes in an extended attribute; dot files are hidden.
python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x4")' "$KD_RUN/cd/data/system.txt"
mount_cd d "$KD_RUN/cd/audio" "Audio CD"
mount_cd e "$KD_RUN/cd/vcd" "KDVCD"
mount_cd f "$KD_RUN/cd/data" "KDDATA"
remount

WINEDEBUG=${KD_WINEDEBUG:-$WINEDEBUG} timeout 120 wine "$KD_BIN/media_win_test.exe" ${KD_GTEST_FILTER:+--gtest_filter=$KD_GTEST_FILTER} </dev/null
