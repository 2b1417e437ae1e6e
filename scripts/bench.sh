#!/usr/bin/env bash
# Keydeck's benchmark under Wine: each figure against the simplest program
# that does the same job, in the same run, alternating; prints one table.
#   scripts/bench.sh [winxp|win98 ...] [-- run_bench.py options]
# Builds first when the build lacks the benchmark's programs (after
# scripts/test.sh's setup and build it does not). Runs niced; the machine
# should be otherwise quiet.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}"
versions=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do versions+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
[ ${#versions[@]} -gt 0 ] || versions=(winxp)
for f in bench_tools.exe bench_trivial.exe keydeck.exe bench_relay.exe kbdsim.exe wintool.exe; do
  [ -f "$build/win/bin/$f" ] || { "$root/scripts/build.sh"; break; }
done
echo "bench: $(date -u '+%Y-%m-%d %H:%M UTC'), $(wine --version), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for v in "${versions[@]}"; do
  echo "== $v"
  nice "$root/scripts/wine-run.sh" --build "$build/win" --version "$v" --desktop --timeout 900 -- \
    python3 "$root/tests/bench/run_bench.py" "$@"
done
