#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLBRAY_SANITIZE=ON >/dev/null
cmake --build build-test
cd build-test
ctest --output-on-failure -j "$(nproc)"
