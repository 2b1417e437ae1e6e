#!/usr/bin/env bash
# Configures and builds both configurations:
#   ${KD_BUILD:-build}/win   32-bit Windows deliverables (bin/) and their tests
#   ${KD_BUILD:-build}/host  platform-neutral logic and its sanitized unit tests
# and then the setup program ${KD_BUILD:-build}/keydeck-setup.exe (scripts/package.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KD_BUILD:-$root/build}"

configure() {  # dir, extra args...
  local dir="$1"; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
  else
    cmake "$dir" >/dev/null
  fi
}

configure "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel
configure "$build/host" -DCMAKE_BUILD_TYPE=Debug

cmake --build "$build/win"
cmake --build "$build/host"
echo "build: deliverables in $build/win/bin"
"$root/scripts/package.sh"
