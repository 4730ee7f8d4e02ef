#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing:
#   deps.sh            the Linux build
#   deps.sh --windows  the Windows build and its tests under Wine
# As root it runs apt-get; otherwise it names what to install and fails.
set -euo pipefail
packages=(cmake g++ ninja-build pkg-config libsqlite3-dev libxml2-dev libgtest-dev)
if [ "${1:-}" = --windows ]; then
  # 32-bit programs (i686), run by Wine's 32-bit half (wine32, of the i386
  # architecture) in the 64-bit prefix, as on 64-bit Windows.
  packages=(cmake ninja-build libxml2-dev libgtest-dev dpkg-dev g++-mingw-w64-i686-posix
            binutils-mingw-w64-i686 mingw-w64-i686-dev wine64 wine32:i386 zip wixl msitools)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  # wine32 is of the i386 architecture, which dpkg must know first.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "missing packages: ${missing[*]}" >&2
  echo "install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
