#!/usr/bin/env bash
# Sets up what is missing, builds the programs (Release), imports a
# configuration file into hives in a folder, and shows what landed there.
#
#   scripts/run.sh [CONFIG.xml [HIVE_FOLDER]]
#
# Defaults: examples/prefs.xml, and a new temporary folder for the hives.
set -euo pipefail
cd "$(dirname "$0")/.."
config=$(realpath "${1:-examples/prefs.xml}")
hives=${2:-$(mktemp -d)}
mkdir -p "$hives"
hives=$(realpath "$hives")

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
cmake --build build

export QUILLBRAY_USER_HIVE="$hives/user.hive" QUILLBRAY_MACHINE_HIVE="$hives/machine.hive"
build/quillbray-import /IC "$config"
echo "Imported $config into $hives:"
for root in HKCU HKLM; do
  build/quillbray-reg export "$root" 'Software\Corvellan\Quillbray 4' || true
done
