# Helpers of the sweepall end-to-end scripts beyond the shared harness
# (sourced; run inside scripts/wine-run.sh).
source "$KD_SRC/tests/harness/e2e.sh"

# Writes lines as a CR LF text file: script_file PATH LINE...
script_file() {
  local path="$1"; shift
  : >"$path"
  for line in "$@"; do printf '%s\r\n' "$line" >>"$path"; done
}

# Starts sweepall.exe with arguments in the background; $app is its id.
sweepall_start() {
  timeout 90 wine "$KD_BIN/sweepall.exe" "$@" >"$KD_RUN/sweepall.out" 2>&1 &
  app=$!
}

# sweepall_driver.exe: finds Sweepall's dialog or boxes and works them.
drive() { timeout 60 wine "$KD_BIN/sweepall_driver.exe" "$@" >>"$KD_RUN/driver.out" 2>&1; }
