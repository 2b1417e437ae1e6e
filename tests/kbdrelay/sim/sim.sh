# The simulated receiver in end-to-end scripts: kbdsim.exe serving the
# receiver's collections, and keydeck.exe started from a folder that holds
# the test hid.dll and setupapi.dll beside kbdrelay.dll. Sourced after the
# harness (tests/harness/e2e.sh).

FEATURES="$KD_RUN/features.log"  # the feature reports the receiver got

sim() {  # kbdsim.exe request
  timeout 30 wine "$KD_BIN/kbdsim.exe" "$@" 2>/dev/null </dev/null | tr -d '\r'
}

# Starts kbdsim.exe serving for SECONDS at the most (not in a $(...): the
# test hid.dll in keydeck.exe finds the feature log through the
# environment this sets).
sim_serve() {  # SECONDS
  export KBDSIM_FEATURE_LOG="$(win_path "$FEATURES")"
  (cd "$KD_RUN" && exec timeout "$1" wine "$KD_BIN/kbdsim.exe" serve >"$KD_RUN/kbdsim.log" 2>&1 </dev/null) &
  pids+=($!)
  finish_logs+=("$KD_RUN/kbdsim.log")
}

# Waits up to SECONDS until the input collection has COUNT clients; prints
# the count seen last.
wait_clients() { wait_for "$2" "$1" sim clients kbdsim-input; }  # COUNT SECONDS

# Starts keydeck.exe (keydeck_start) from a folder of its own, with the
# simulated receiver's DLLs in place of the system's.
keydeck_start_over_sim() {
  local app="$KD_RUN/app"
  mkdir -p "$app"
  cp "$KD_BIN/keydeck.exe" "$KD_BIN/keyhook.dll" "$KD_BIN/kbdrelay.dll" "$KD_BIN/kbdsim/hid.dll" \
    "$KD_BIN/kbdsim/setupapi.dll" "$app/"
  KEYDECK_EXE="$app/keydeck.exe" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};setupapi=n,b" keydeck_start "$app"
  finish_logs+=("$KD_RUN/keydeck.log")
}
