#!/usr/bin/env bash
# Builds and runs the whole test suite, in two halves:
#   Linux:   everything, with AddressSanitizer and UBSan (build-test)
#   Windows: the portable suites, cross-built with mingw-w64 and run under
#            Wine in a private prefix (build-win-test)
# `test.sh --linux` or `test.sh --windows` runs one half.
set -euo pipefail
cd "$(dirname "$0")/.."
half="${1:-}"
started=$SECONDS
if [ "$half" != --windows ]; then
  scripts/deps.sh
  cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLBRAY_SANITIZE=ON >/dev/null
  cmake --build build-test
  (cd build-test && ctest --output-on-failure -j "$(nproc)")
  echo "test.sh: Linux half: $((SECONDS - started)) s"
fi
if [ "$half" != --linux ]; then
  windows_started=$SECONDS
  scripts/build-windows.sh --tests
  built=$SECONDS
  scripts/wine-prefix.sh
  trap 'scripts/wine-prefix.sh --stop' EXIT
  (cd build-win-test && ctest --output-on-failure -j "$(nproc)")
  echo "test.sh: Windows half: $((SECONDS - windows_started)) s (build $((built - windows_started)) s, tests under Wine $((SECONDS - built)) s)"
fi
