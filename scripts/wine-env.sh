# Sourced by the Wine scripts: the project's private prefix, headless.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${QUILLBRAY_WINEPREFIX:-$root/build-win-test/wine}"
export WINEDEBUG=-all
# Debian's wine64 package keeps its programs in /usr/lib/wine.
PATH="$PATH:/usr/lib/wine"
wineserver="$(command -v wineserver || command -v wineserver64 || true)"
# No desktop: a box has nowhere to appear, and must not wait for a click.
unset DISPLAY WAYLAND_DISPLAY
