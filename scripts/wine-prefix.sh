#!/usr/bin/env bash
# Makes the private Wine prefix the Windows tests run in (once) and starts a
# persistent wineserver for it, so that each test program starts in a
# fraction of a second instead of about three. `wine-prefix.sh --stop` ends
# the server.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ "${1:-}" = --stop ]; then
  "$wineserver" -k 2>/dev/null || true
  exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
# A prefix made before wine32 was installed has no 32-bit system, and the
# programs are 32-bit: it is made again (it holds nothing of the tests').
if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wine-prefix: $WINEPREFIX has no 32-bit system; making it again" >&2
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: making $WINEPREFIX" >&2
  # No Mono or Gecko installers: the tests need neither.
  WINEDLLOVERRIDES="mscoree,mshtml=" wine64 wineboot --init >/dev/null 2>&1
  # The prefix's registry files are written when its server ends.
  "$wineserver" -w
fi
# A server that runs already (a second call) is the one the tests use.
"$wineserver" -p 2>/dev/null || true
wine64 cmd /c exit 0 >/dev/null 2>&1
