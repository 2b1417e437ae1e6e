# One sample of every benchmark figure, so that a change that breaks the
# benchmark's parts (its programs, Keydeck's start, the receiver's
# simulation, the relay's bench) shows in the tests. Times are not judged.
set -u
out="$KD_RUN/bench.out"
python3 "$KD_SRC/tests/bench/run_bench.py" --samples 1 --blocks 1 --starts 1 --idle 2 --relays 20 >"$out" 2>&1
rc=$?
cat "$out"
failures=0
expect() {  # description, extended regular expression a line must match
  if grep -Eq "$2" "$out"; then
    echo "ok: $1"
  else
    echo "FAIL: $1 (no line matching '$2')"
    failures=$((failures + 1))
  fi
}
expect "the run ended cleanly" "^\| 6\. private memory"
expect "Wine's counter is the clock the key timings are taken in" "raw monotonic clock: yes$"
expect "key to action measured for all three" "^\| 1\. key to action, against the minimal hook plus one post .*n=1/1"
expect "typing measured for all three" "^\| 2\. typing, keyhook.dll vs no hook .*n=1/1"
expect "start-up to the hook measured for both" "^\| 3\. start-up until SetupFrm exists with the hook installed .*n=1/1"
expect "start-up to the message loop measured for both" "^\| 3\. start-up until SetupFrm answers in its message loop .*n=1/1"
expect "Keydeck idled with the receiver's input open" "receiver clients of the input collection during the idle run: 1$"
expect "idle CPU measured" "^\| 4\. idle 2 s, whole process: CPU \| [0-9.]+ ms \| [0-9.]+ ms"
expect "the relay measured" "^\| 5\. report relay: write to the message at the window .*n=20"
expect "five file sizes" "^\| 6\. file sizes \| keydeck.exe [0-9]+ KB kbdrelay.dll [0-9]+ KB hidrelay.dll [0-9]+ KB keyhook.dll [0-9]+ KB sweepall.exe [0-9]+ KB"
[ "$rc" -eq 0 ] || { echo "FAIL: run_bench.py ended with $rc"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && { echo "all checks passed"; exit 0; }
echo "$failures check(s) failed"
exit 1
