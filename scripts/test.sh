#!/usr/bin/env bash
# Sets up the machine, builds both configurations and runs every test:
# host unit tests (sanitized), Windows unit tests under Wine and end-to-end
# tests of the real programs under Wine. Extra arguments go to ctest
# (for example: scripts/test.sh -R sweepall).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}"

"$root/scripts/setup.sh" || exit 1
"$root/scripts/build.sh" || exit 1

status=0
echo "== host tests"
ctest --test-dir "$build/host" --output-on-failure -j2 --timeout 300 "$@" || status=1
echo "== Windows and end-to-end tests under Wine"
ctest --test-dir "$build/win" --output-on-failure -j2 --timeout 600 "$@" || status=1
if [ $status -eq 0 ]; then echo "test: all passed"; else echo "test: FAILURES above"; fi
exit $status
