#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make git googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick procps util-linux
  # keydeck.exe's pictures are drawn at build time: Pillow with raqm for
  # right-to-left text, and fonts for every script of the pictures
  python3-pil libraqm0 fonts-noto-core fonts-noto-cjk fonts-dejavu-core
  # the localised menus run under Wine in these locales (Wine takes its ANSI
  # code page from them)
  locales
  # the Windows installer
  nsis
)
locales_wanted=(de_DE ja_JP zh_TW)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
elif [ "${need_update:-0}" = 1 ]; then
  "${sudo_cmd[@]}" apt-get update -q
fi
for l in "${locales_wanted[@]}"; do
  if ! locale -a 2>/dev/null | grep -qix "$l.utf-\?8"; then
    echo "setup: generating the locale $l.UTF-8"
    "${sudo_cmd[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
echo "setup: all packages present"
