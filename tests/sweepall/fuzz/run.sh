#!/usr/bin/env bash
# Builds the uninstall-script fuzzer with libFuzzer and the address and
# undefined-behaviour sanitizers, then runs it for the given seconds
# (default 600) over a scratch copy of the seed corpus.
#   tests/sweepall/fuzz/run.sh [seconds]
set -euo pipefail
seconds="${1:-600}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
out="${KD_BUILD:-$root/build}/fuzz-sweepall"
mkdir -p "$out/corpus" "$out/findings"

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Wall -Wextra -Werror -I"$root" \
  "$here/fuzz_script.cpp" "$root/tests/sweepall/fakes.cpp" \
  "$root"/sweepall/script_text.cpp "$root"/sweepall/uninstall_log.cpp \
  "$root"/sweepall/system_services.cpp "$root"/sweepall/script_runner.cpp \
  "$root"/sweepall/uninstall_dialog.cpp \
  -o "$out/sweepall_fuzz"

# New inputs go to the scratch corpus; the committed seeds stay small.
"$out/sweepall_fuzz" "$out/corpus" "$here/corpus" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=1024 \
  -artifact_prefix="$out/findings/" -print_final_stats=1 2>&1 | tee "$out/fuzz.log" | tail -n 25
