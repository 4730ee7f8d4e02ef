#!/usr/bin/env bash
# Makes the private Wine prefix the Windows tests run in (once) and starts a
# persistent wineserver for it, so that each test program starts in a
# fraction of a second instead of about three. `wine-prefix.sh --stop` ends
# the server.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${QUILLBRAY_WINEPREFIX:-$root/build-win-test/wine}"
export WINEDEBUG=-all
# Debian's wine64 package keeps its programs in /usr/lib/wine.
PATH="$PATH:/usr/lib/wine"
wineserver="$(command -v wineserver || command -v wineserver64)"
unset DISPLAY WAYLAND_DISPLAY
if [ "${1:-}" = --stop ]; then
  "$wineserver" -k 2>/dev/null || true
  exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: making $WINEPREFIX" >&2
  # No Mono or Gecko installers: the tests need neither.
  WINEDLLOVERRIDES="mscoree,mshtml=" wine64 wineboot --init >/dev/null 2>&1
fi
"$wineserver" -p
wine64 cmd /c exit 0 >/dev/null 2>&1
