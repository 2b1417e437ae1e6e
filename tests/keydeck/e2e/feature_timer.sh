# Timer3 over the simulated receiver: the first feature report (3, 4, 0,
# 0, 0) after the form's 10 s, then one per Interval; after a reload with
# Interval 0 the next send is the last.
source "$(dirname "$0")/lib.sh"

KEY='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'
features="$KD_RUN/features.log"
sim() { timeout 30 wine "$KD_BIN/kbdsim.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
sends() { [ -f "$features" ] && grep -c "03 04 00 00 00" "$features" || echo 0; }

import_keymap
timeout 30 wine reg add "$KEY" /v Interval /t REG_DWORD /d 500 /f >/dev/null 2>&1 </dev/null

# keydeck.exe beside the simulated receiver's hid.dll and setupapi.dll.
app="$KD_RUN/app"
mkdir -p "$app"
cp "$KD_BIN/keydeck.exe" "$KD_BIN/keyhook.dll" "$KD_BIN/kbdrelay.dll" "$KD_BIN/kbdsim/hid.dll" \
  "$KD_BIN/kbdsim/setupapi.dll" "$app/"
export KBDSIM_FEATURE_LOG="$(timeout 20 winepath -w "$features" 2>/dev/null)"
(cd "$KD_RUN" && exec timeout 120 wine "$KD_BIN/kbdsim.exe" serve >"$KD_RUN/kbdsim.log" 2>&1 </dev/null) &
keydeck_pids+=($!)
sleep 1
(cd "$app" && WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};setupapi=n,b" \
  exec timeout 120 wine "$app/keydeck.exe" >"$KD_RUN/keydeck.log" 2>&1 </dev/null) &
keydeck_pids+=($!)
wt wait TSetupFrm "WIRELESS KEYBOARD SETUP" 15000 >/dev/null
started=$(date +%s.%N)

for _ in $(seq 80); do [ "$(sends)" -ge 1 ] && break; sleep 0.25; done
first=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
echo "first feature report after ${first} s"
check "first report after about 10 s" yes "$(awk -v t="$first" 'BEGIN { print (t > 8.5 && t < 13) ? "yes" : "no" }')"
sleep 2.2
n=$(sends)
echo "reports 2.2 s after the first, at Interval 500: $n"
check "Interval 500 re-arms the timer" yes "$([ "$n" -ge 4 ] && [ "$n" -le 7 ] && echo yes || echo no)"

timeout 30 wine reg add "$KEY" /v Interval /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
wt post TSetupFrm "WIRELESS KEYBOARD SETUP" 0x502 1 0 >/dev/null
sleep 1.5
stopped=$(sends)
sleep 2.5
check "with Interval 0 the timer stays stopped" "$stopped" "$(sends)"

keydeck_stop
sim quit >/dev/null
finish
