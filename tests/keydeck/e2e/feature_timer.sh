# Timer3 over the simulated receiver: the first feature report (3, 4, 0,
# 0, 0) after the form's 10 s, then one per Interval; after a reload with
# Interval 0 the next send is the last.
source "$(dirname "$0")/lib.sh"
source "$KD_SRC/tests/kbdrelay/sim/sim.sh"

KEY='HKLM\SOFTWARE\TessaroVantik\RF2400\Default'
sends() { [ -f "$FEATURES" ] && grep -c "03 04 00 00 00" "$FEATURES" || echo 0; }
sent() { [ "$(sends)" -ge 1 ]; }

import_keymap
reg add "$KEY" /v Interval /t REG_DWORD /d 500 /f

sim_serve 120
wait_clients 0 20 >/dev/null
keydeck_start_over_sim
wt wait "${SETUP[@]}" 15000 >/dev/null
started=$(date +%s.%N)

wait_until 20 sent
first=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
echo "first feature report after ${first} s"
check "first report after about 10 s" yes "$(awk -v t="$first" 'BEGIN { print (t > 8.5 && t < 13) ? "yes" : "no" }')"
sleep 2.2  # a measured time
n=$(sends)
echo "reports 2.2 s after the first, at Interval 500: $n"
check "Interval 500 re-arms the timer" yes "$([ "$n" -ge 4 ] && [ "$n" -le 7 ] && echo yes || echo no)"

reg add "$KEY" /v Interval /t REG_DWORD /d 0 /f
keydeck_post 0x502 1 0
# The send already armed may still come; after it none.
sleep 1.5
stopped=$(sends)
sleep 2.5
check "with Interval 0 the timer stays stopped" "$stopped" "$(sends)"

keydeck_stop
sim quit >/dev/null
finish
