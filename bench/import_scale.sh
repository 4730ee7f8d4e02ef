#!/usr/bin/env bash
# How the import's time and memory grow with the file: quillbray-import on
# generated files of 10k, 100k, 300k and 1M values in the compact shape
# (config_gen --compact: 1,000,000 values fit within the 64 MiB size limit),
# with the wall time and peak resident set size of each (best time of three
# runs on fresh hives, the peak of the last), and per value: microseconds and
# KiB above a one-value import (the program's fixed start-up time and memory).
#
#   bench/import_scale.sh [BUILD_DIR [GROUP_SIZE]]
#
# BUILD_DIR defaults to build (a Release build); GROUP_SIZE to 100. The last
# lines say whether the time and the memory per value at 300k and 1M stay
# within 15 % above the figure at 100k (the reference): growth that is
# linear or less. Below it is no fault: what a larger file does not need more
# of (SQLite's page cache at its cap, the parser's buffers, the batch of
# values waiting for one write) weighs less per value. A refused file is shown
# with the import's reason and counts as out of bounds. Timings use date and
# /usr/bin/time only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
group_size=${2:-100}
cmake --build "$build" --target quillbray-import config_gen >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLBRAY_DIALOGS=console
export QUILLBRAY_USER_HIVE="$work/hives/user.hive" QUILLBRAY_MACHINE_HIVE="$work/hives/machine.hive"

# Best wall time (ms) of three imports, each on fresh hives, the peak RSS
# (KiB) of the last, and "refused" when the import refused the file.
measure() {
  local best="" t start end outcome=imported
  for _ in 1 2 3; do
    rm -rf "$work/hives"
    mkdir -p "$work/hives"
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$build/quillbray-import" /IC "$1" >"$work/out" 2>&1 || outcome=failed
    end=$(date +%s%N)
    grep -q "Could not import" "$work/out" && outcome=refused
    t=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best $(tail -1 "$work/rss") $outcome"
}

"$build/bench/config_gen" 1 "$work/one.xml" "$group_size" --compact
measure "$work/one.xml" >"$work/m"
read -r base_ms base_kib _ <"$work/m"
printf 'one value: %d ms, %d KiB (subtracted below)\n' "$base_ms" "$base_kib"
printf '%8s %9s %9s %12s %9s %9s  %s\n' values "file MiB" "wall ms" "peak KiB" "us/value" "KiB/value" outcome
declare -A us kib
for n in 10000 100000 300000 1000000; do
  file="$work/config-$n.xml"
  "$build/bench/config_gen" "$n" "$file" "$group_size" --compact
  measure "$file" >"$work/m"
  read -r ms peak outcome <"$work/m"
  if [ "$outcome" = imported ]; then
    us[$n]=$(awk -v t="$ms" -v b="$base_ms" -v n="$n" 'BEGIN { printf "%.2f", (t - b) * 1000 / n }')
    kib[$n]=$(awk -v k="$peak" -v b="$base_kib" -v n="$n" 'BEGIN { printf "%.3f", (k - b) / n }')
  else
    us[$n]=-
    kib[$n]=-
    outcome="$outcome: $(grep -m1 -A1 "Could not import" "$work/out" | tail -1 | tr -d '\r' | head -c 110)"
  fi
  printf '%8d %9.1f %9d %12d %9s %9s  %s\n' "$n" "$(awk -v b="$(stat -c %s "$file")" 'BEGIN { print b / 1048576 }')" \
    "$ms" "$peak" "${us[$n]}" "${kib[$n]}" "$outcome"
  rm -f "$file"
done

# At most 15 % above the reference (the figure at 100k)?
within() {
  local ref=$1 x=$2
  if [ "$ref" = - ] || [ "$x" = - ]; then echo "no (refused)"; return; fi
  awk -v r="$ref" -v x="$x" 'BEGIN { d = (x / r - 1) * 100; printf "%s (%+.0f %%)", (d <= 15 ? "yes" : "NO"), d }'
}
for what in us kib; do
  declare -n per=$what
  label="time per value"
  [ "$what" = kib ] && label="memory per value"
  echo "$label at most 15 % above 100k's (${per[100000]}): 300k $(within "${per[100000]}" "${per[300000]}")," \
    "1M $(within "${per[100000]}" "${per[1000000]}")"
done
