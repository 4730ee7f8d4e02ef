#!/usr/bin/env bash
# Times the whole import program on generated files of 1k, 10k and 100k
# values beside the floor (libxml2 parsing the same file plus SQLite inserting
# one row per value into a bare table in one transaction), and beside the
# indexed floor (the same parse writing what the import writes, in the hives'
# own tables: keys created once per group, every value upserted under its
# decoded, folded name; see bench/import_floor.cpp), and reports peak memory.
#
#   bench/import_bench.sh [BUILD_DIR [GROUP_SIZE]]
#
# BUILD_DIR defaults to build (a Release build); GROUP_SIZE, the values in
# each group of the generated files, to 100. Every group is one opening of the
# store; the whole import is one batch, so each hive is committed to disk once.
# Timings use date and /usr/bin/time only; bench/import_scale.sh measures how
# time and memory grow up to 1,000,000 values.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
group_size=${2:-100}
cmake --build "$build" --target quillbray-import quillbray-reg config_gen import_floor >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLBRAY_DIALOGS=console

# Best wall time of three runs, each on fresh hives and a fresh database, and
# the peak resident set size of the last.
measure() {
  local best="" t start end
  for _ in 1 2 3; do
    rm -rf "$work/hives" "$work/floor.sqlite" "$work/floor.sqlite-machine"
    mkdir -p "$work/hives"
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    # The import says why it refused on standard error, and exits with 0.
    if grep -q "Could not import" "$work/err"; then cat "$work/err" >&2; exit 1; fi
    t=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best $(cat "$work/rss")"
}

export QUILLBRAY_USER_HIVE="$work/hives/user.hive" QUILLBRAY_MACHINE_HIVE="$work/hives/machine.hive"

# Both hives as .reg text (the one of them that is missing as nothing).
export_hives() {
  local root
  for root in HKCU HKLM; do "$build/quillbray-reg" export "$root" 2>/dev/null || true; done
}

# The indexed floor is honest when its databases hold the same keys and values
# as the import's hives: it marks them as hives so that quillbray-reg exports
# them too. A difference (or a hive format the floor no longer matches) is
# said after the table and does not stop the benchmark.
checks=""
same_as_import() {
  QUILLBRAY_USER_HIVE="$work/floor.sqlite" QUILLBRAY_MACHINE_HIVE="$work/floor.sqlite-machine" \
    export_hives >"$work/floor.reg"
  count() { echo "$(grep -c '^\[' "$1") keys, $(grep -c '^["@]' "$1") values"; }
  if cmp -s "$work/import.reg" "$work/floor.reg"; then
    checks+="$n values: the indexed floor wrote what the import wrote ($(count "$work/import.reg"))"$'\n'
  else
    checks+="$n values: the indexed floor DIFFERS from the import: import $(count "$work/import.reg"),"
    checks+=" floor $(count "$work/floor.reg")"$'\n'
  fi
}
printf '%8s %10s %10s %9s %7s %11s %7s %15s %14s\n' values "file KiB" "import ms" "floor ms" ratio \
  "indexed ms" ratio "import RSS KiB" "floor RSS KiB"
for n in 1000 10000 100000; do
  file="$work/config-$n.xml"
  "$build/bench/config_gen" "$n" "$file" "$group_size"
  # Through a file, not a process substitution: a failed run stops the script.
  measure "$build/quillbray-import" /IC "$file" >"$work/m"
  read -r imp imp_rss <"$work/m"
  export_hives >"$work/import.reg"
  measure "$build/bench/import_floor" "$file" "$work/floor.sqlite" >"$work/m"
  read -r flo flo_rss <"$work/m"
  measure "$build/bench/import_floor" "$file" "$work/floor.sqlite" --indexed >"$work/m"
  read -r idx _ <"$work/m"
  same_as_import
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
  printf '%8d %10d %10d %9d %7s %11d %7s %15d %14d\n' "$n" $(( $(stat -c %s "$file") / 1024 )) "$imp" "$flo" \
    "$(ratio "$imp" "$flo")" "$idx" "$(ratio "$imp" "$idx")" "$imp_rss" "$flo_rss"
done
printf %s "$checks"
