#!/usr/bin/env bash
# Sets up what is missing, builds the programs (Release), imports a
# configuration file into hives in a folder, and shows what landed there.
#
#   scripts/run.sh [CONFIG.xml [HIVE_FOLDER]]
#
# Defaults: examples/prefs.xml, and the folder build/run-hives, which is
# emptied at every run (so the result shows exactly this one import). A
# HIVE_FOLDER you name is kept as it is: the import adds to its hives.
# Nothing is written anywhere else; no temporary folders are left behind.
set -euo pipefail
cd "$(dirname "$0")/.."
config=$(realpath "${1:-examples/prefs.xml}")
if [ $# -ge 2 ]; then
  hives=$2
  mkdir -p "$hives"
else
  hives=build/run-hives
  rm -rf "$hives"
  mkdir -p "$hives"
fi
hives=$(realpath "$hives")

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
cmake --build build

export QUILLBRAY_USER_HIVE="$hives/user.hive" QUILLBRAY_MACHINE_HIVE="$hives/machine.hive"
build/quillbray-import --verbose /IC "$config"
if [ $# -ge 2 ]; then
  echo "The hives are in $hives (kept; each run adds to them):"
else
  echo "The hives are in $hives (emptied at the start of each run):"
fi
# A hive is printed only when it has the product's key: an example without
# machine-wide values leaves the machine hive without it.
keys=()
for root in HKCU HKLM; do
  key="$root\\Software\\Corvellan\\Quillbray 4"
  if why=$(build/quillbray-reg query "$key" 2>&1 >/dev/null); then
    keys+=("$key")
    build/quillbray-reg export "$key"
  elif [[ $why != *"no such key"* ]]; then
    echo "$why" >&2  # a hive that cannot be read is not "nothing there"
  fi
done
if [ ${#keys[@]} -eq 0 ]; then
  echo "Neither hive has the key Software\\Corvellan\\Quillbray 4."
else
  echo "See them again with:"
  for key in "${keys[@]}"; do
    printf "  QUILLBRAY_USER_HIVE=%q QUILLBRAY_MACHINE_HIVE=%q %q export '%s'\n" \
      "$QUILLBRAY_USER_HIVE" "$QUILLBRAY_MACHINE_HIVE" "$PWD/build/quillbray-reg" "$key"
  done
fi
