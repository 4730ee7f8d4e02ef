#!/usr/bin/env bash
# Runs the import program on hostile files within the 64 MiB size limit, and
# on a generated real configuration at that size, and prints for each the wall
# time, the peak resident set size and whether it was imported or refused.
# Every case is meant to finish within 10 s and 1 GiB. Then runs
# quillbray-reg import on hostile .reg files under its 64 MiB limit, each
# meant to be imported or refused within 10 s and 512 MiB.
#
#   bench/hostile_bench.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build, configured as a Release build without tests
# when it does not exist yet. QB_REG_TOOL names another quillbray-reg to
# measure (an older build, for a comparison). QB_ONLY=reg runs only the .reg
# cases.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/build.ninja" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
cmake --build "$build" --target quillbray-import quillbray-reg config_gen hostile_gen >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLBRAY_DIALOGS=console
export QUILLBRAY_USER_HIVE="$work/hives/user.hive" QUILLBRAY_MACHINE_HIVE="$work/hives/machine.hive"

# One run on fresh hives: "seconds peak-KiB outcome".
run() {
  rm -rf "$work/hives"
  mkdir -p "$work/hives"
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/rss" "$build/quillbray-import" /IC "$1" >"$work/out" 2>&1 || true
  end=$(date +%s%N)
  local outcome=imported
  if grep -q "Could not import the program configuration" "$work/out"; then
    outcome="refused: $(sed -n '3p' "$work/out" | tr -d '\r')"
  elif [ -s "$work/out" ]; then
    outcome="imported, with: $(head -c 120 "$work/out" | tr '\r\n' '  ')"
  fi
  echo "$(( (end - start) / 1000000 )) $(cat "$work/rss") $outcome"
}

reg_tool=${QB_REG_TOOL:-$build/quillbray-reg}

# One quillbray-reg import on fresh hives: "seconds peak-KiB outcome".
run_reg() {
  rm -rf "$work/hives"
  mkdir -p "$work/hives"
  local start end outcome=imported
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/rss" "$reg_tool" import "$1" >"$work/out" 2>&1 </dev/null || outcome=refused
  end=$(date +%s%N)
  [ "$outcome" = imported ] || outcome="refused: $(head -c 120 "$work/out" | tr '\r\n' '  ')"
  echo "$(( (end - start) / 1000000 )) $(tail -1 "$work/rss") $outcome"
}

printf '%-22s %9s %9s %9s  %-6s %s\n' case "file MiB" seconds "peak MiB" budget outcome
report() {
  local name=$1 file=$2 runner=${3:-run} limit=${4:-1048576} ms kib outcome
  read -r ms kib outcome < <("$runner" "$file")
  local ok=yes
  if [ "$ms" -gt 10000 ] || [ "$kib" -gt "$limit" ]; then ok=NO; fi
  printf '%-22s %9.1f %9.2f %9.0f  %-6s %s\n' "$name" "$(awk -v b="$(stat -c %s "$file")" 'BEGIN{print b/1048576}')" \
    "$(awk -v m="$ms" 'BEGIN{print m/1000}')" "$(awk -v k="$kib" 'BEGIN{print k/1024}')" "$ok" "$outcome"
  rm -f "$file"
}

# .reg files for quillbray-reg import (see bench/hostile_gen.cpp), within
# 10 s and 512 MiB.
for kind in reg-empty-values reg-long-strings reg-long-hex reg-many-keys; do
  "$build/bench/hostile_gen" "$kind" "$work/$kind.reg"
  report "$kind" "$work/$kind.reg" run_reg 524288
done
[ "${QB_ONLY:-}" = reg ] && exit 0

# The hostile shapes (see bench/hostile_gen.cpp).
for kind in letter-refs empty-refs attrs-40k attrs-1m elements comments nested-empty attribute-defaults \
            entity-elements entity-names parameter-entities namespaces namespaces-at-limit huge-text \
            distinct-names groups; do
  "$build/bench/hostile_gen" "$kind" "$work/$kind.xml"
  report "$kind" "$work/$kind.xml"
done

# Real configurations: one at the size limit (735,000 values), and one with as
# many values as the element limit allows, in groups of 100 and in one group.
"$build/bench/config_gen" 735000 "$work/real-64MiB.xml"
report real-64MiB "$work/real-64MiB.xml"
"$build/bench/config_gen" 117000 "$work/real-at-limit.xml" 100
report "real-at-limit/100" "$work/real-at-limit.xml"
"$build/bench/config_gen" 119000 "$work/real-at-limit.xml" 200000
report "real-at-limit/1group" "$work/real-at-limit.xml"
