#!/usr/bin/env bash
# Builds the libFuzzer programs (clang, address and undefined-behaviour
# sanitizers, the host code unchanged) in a build folder of their own and
# runs one of them over its committed seeds.
#
#   scripts/fuzz.sh --build-only
#   scripts/fuzz.sh NAME [SECONDS [libFuzzer options...]]
#
# NAME is sweepall_fuzz (uninstall scripts), settings_fuzz (Keydeck's
# settings load over a fuzzed registry) or dispatch_fuzz (message sequences
# into Keydeck's dispatch). SECONDS defaults to 600. The build folder is
# $KD_FUZZ_BUILD, else ${KD_BUILD:-build}/fuzz; new inputs collect in its
# runs/NAME/corpus (so that several runs go on from one another), crashing
# inputs in runs/NAME/findings. The exit status is libFuzzer's: 0 when
# nothing was found.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_FUZZ_BUILD:-${KD_BUILD:-$root/build}/fuzz}"
targets=(sweepall_fuzz settings_fuzz dispatch_fuzz)

[ $# -ge 1 ] || { sed -n '2,15p' "$0"; exit 2; }
mkdir -p "$build"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DKD_FUZZ=ON \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
fi
build_targets() {
  cmake --build "$build" --target "$@" >"$build/build.log" 2>&1 || { tail -n 40 "$build/build.log"; exit 1; }
}
if [ "$1" = --build-only ]; then
  build_targets "${targets[@]}"
  echo "fuzz: built ${targets[*]} in $build"
  exit 0
fi

name="$1"
seconds="${2:-600}"
shift $(( $# >= 2 ? 2 : 1 ))
case "$name" in
  sweepall_fuzz) seeds="$root/tests/sweepall/fuzz/corpus" ;;
  settings_fuzz) seeds="$root/tests/keydeck/fuzz/settings_corpus" ;;
  dispatch_fuzz) seeds="$root/tests/keydeck/fuzz/dispatch_corpus" ;;
  *) echo "fuzz: unknown target $name" >&2; exit 2 ;;
esac
build_targets "$name"
program="$(find "$build/tests" -type f -name "$name" -perm -u+x | head -n 1)"
work="$build/runs/$name"
mkdir -p "$work/corpus" "$work/findings"

# No allocation stacks: recording them costs more than the run itself, and
# a finding is replayed with them (ASAN_OPTIONS unset) from its file.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
"$program" "$work/corpus" "$seeds" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=1024 -artifact_prefix="$work/findings/" -print_final_stats=1 "$@" \
  >"$work/fuzz.log" 2>&1 && rc=0 || rc=$?
grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' \
  "$work/fuzz.log" || true
if [ "$rc" -ne 0 ]; then
  tail -n 40 "$work/fuzz.log"
  echo "fuzz: $name found a fault (exit $rc); inputs in $work/findings"
fi
exit "$rc"
