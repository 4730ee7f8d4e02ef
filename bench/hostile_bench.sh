#!/usr/bin/env bash
# Runs quillbray-reg import on hostile .reg files under its 64 MiB limit, each
# meant to be imported or refused within 10 s and 512 MiB. Then runs the
# import program on hostile files within the 64 MiB size limit, and on
# generated real configurations at the limits, and prints for each the wall
# time, the peak resident set size and whether it was imported or refused.
# Every configuration case is meant to finish within 10 s and 512 MiB too;
# distinct-names-cap (450,000 distinct element names) is meant to be refused
# within 2 s, and real-735k (a real file at the size limit) to be imported.
# The budget column says "NO" with what was exceeded, and the last line counts
# the cases out of budget.
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
violations=()
# report NAME FILE [RUNNER [KIB_LIMIT [MS_LIMIT [EXPECTED]]]]: EXPECTED is
# "imported" or "refused" when the case must end so.
report() {
  local name=$1 file=$2 runner=${3:-run} limit=${4:-524288} ms_limit=${5:-10000} expected=${6:-} ms kib outcome
  "$runner" "$file" >"$work/result"
  read -r ms kib outcome <"$work/result"
  local ok=yes over=()
  [ "$ms" -gt "$ms_limit" ] && over+=("time > $((ms_limit / 1000)) s")
  [ "$kib" -gt "$limit" ] && over+=("memory > $((limit / 1024)) MiB")
  [ -n "$expected" ] && [ "${outcome%%:*}" != "$expected" ] && [ "${outcome%%,*}" != "$expected" ] &&
    over+=("not $expected")
  if [ ${#over[@]} -gt 0 ]; then
    ok=NO
    violations+=("$name ($(IFS=,; echo "${over[*]}"))")
  fi
  printf '%-22s %9.1f %9.2f %9.0f  %-6s %s\n' "$name" "$(awk -v b="$(stat -c %s "$file")" 'BEGIN{print b/1048576}')" \
    "$(awk -v m="$ms" 'BEGIN{print m/1000}')" "$(awk -v k="$kib" 'BEGIN{print k/1024}')" "$ok" "$outcome"
  [ "$ok" = yes ] || printf '%-22s %41s  ^ over budget: %s\n' "" "" "$(IFS=,; echo "${over[*]}")"
  rm -f "$file"
}
summary() {
  if [ ${#violations[@]} -eq 0 ]; then
    echo "every case within its budget"
  else
    local list
    list=$(printf '%s; ' "${violations[@]}")
    echo "${#violations[@]} case(s) OUT OF BUDGET: ${list%; }"
  fi
}

# .reg files for quillbray-reg import (see bench/hostile_gen.cpp), within
# 10 s and 512 MiB.
for kind in reg-empty-values reg-long-strings reg-long-hex reg-many-keys; do
  "$build/bench/hostile_gen" "$kind" "$work/$kind.reg"
  report "$kind" "$work/$kind.reg" run_reg 524288
done
if [ "${QB_ONLY:-}" = reg ]; then summary; exit 0; fi

# The hostile shapes (see bench/hostile_gen.cpp).
for kind in letter-refs empty-refs attrs-40k attrs-1m elements comments nested-empty attribute-defaults \
            entity-elements entity-names parameter-entities parameter-entity-levels parameter-entity-levels-4 \
            namespaces namespaces-at-limit huge-text \
            distinct-names groups; do
  "$build/bench/hostile_gen" "$kind" "$work/$kind.xml"
  report "$kind" "$work/$kind.xml"
done

# 450,000 distinct element names: refused by the import's cap on different
# names within 2 s.
"$build/bench/hostile_gen" distinct-names-cap "$work/distinct-names-cap.xml"
report distinct-names-cap "$work/distinct-names-cap.xml" run 524288 2000 refused

# Real configurations: one at the size limit in the shape of a real file
# (735,000 values whose names recur group after group: 63 MiB), which must be
# imported; one as large with a distinct name for every value (670,000 values,
# as no real file has, refused by the cap on different names); and two that
# the former element limit (120,000) just allowed, in groups of 100 and in
# one group.
"$build/bench/config_gen" 735000 "$work/real-735k.xml"
report real-735k "$work/real-735k.xml" run 524288 10000 imported
"$build/bench/config_gen" 670000 "$work/real-64MiB.xml" 100 --distinct-names
report real-64MiB "$work/real-64MiB.xml"
"$build/bench/config_gen" 117000 "$work/real-at-limit.xml" 100
report "real-at-limit/100" "$work/real-at-limit.xml"
"$build/bench/config_gen" 119000 "$work/real-at-limit.xml" 200000
report "real-at-limit/1group" "$work/real-at-limit.xml"
summary
