#!/usr/bin/env bash
# Builds the programs (Release) and shows the preference store at work: writes
# values through the store into hives under a temporary folder and prints the
# store's rate beside bare SQLite's.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
cmake --build build
build/bench/store_bench "${1:-100000}"
