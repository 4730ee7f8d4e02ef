#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in the project's private Wine
# prefix (made by scripts/wine-prefix.sh). CTest runs every Windows test
# through this (the build's CMAKE_CROSSCOMPILING_EMULATOR).
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${QUILLBRAY_WINEPREFIX:-$root/build-win-test/wine}"
export WINEDEBUG=-all
# Debian's wine64 package keeps its programs in /usr/lib/wine.
PATH="$PATH:/usr/lib/wine"
wineserver="$(command -v wineserver || command -v wineserver64)"
# No desktop: a box has nowhere to appear, and must not wait for a click.
unset DISPLAY WAYLAND_DISPLAY
exec wine64 "$@"
