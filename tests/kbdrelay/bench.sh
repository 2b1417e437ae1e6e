#!/usr/bin/env bash
# Benchmark of kbdrelay.dll against the simulated receiver under Wine: the
# latency the library adds between a completed read and the message at the
# application window, and the CPU of idle readers over a minute.
#   KD_BUILD=... tests/kbdrelay/bench.sh [idle seconds] [winxp|win98|...]
# Build first: cmake --build $KD_BUILD/win --target kbdrelay_bench
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${KD_BUILD:-$root/build}/win"
seconds="${1:-60}"
version="${2:-winxp}"
exe="$build/bin/kbdrelay_bench.exe"
[ -f "$exe" ] || { echo "bench: $exe not built (target kbdrelay_bench)"; exit 1; }
exec "$root/scripts/wine-run.sh" --build "$build" --version "$version" \
  --timeout $((seconds + 120)) -- "$exe" "$seconds"
