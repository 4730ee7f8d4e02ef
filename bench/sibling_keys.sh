#!/usr/bin/env bash
# Imports N groups (sibling keys below the product key) into private hives,
# then times `quillbray-reg export HKCU` and `query /s` on them with
# farm-bench (median of 5 runs).
#
#   bench/sibling_keys.sh [BUILD_DIR] [N ...]      (defaults: build, 10000 20000 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
counts=("${@:-10000 20000 100000}")
[ -x "$build/quillbray-reg" ] || {
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
  cmake --build "$build" >/dev/null
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/c XDG_DATA_HOME=$work/d XDG_STATE_HOME=$work/s
for n in ${counts[*]}; do
  export QUILLBRAY_USER_HIVE=$work/u$n.hive QUILLBRAY_MACHINE_HIVE=$work/m$n.hive
  {
    printf '<?xml version="1.0"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray><PerUserRoam>\n'
    seq 0 $((n - 1)) | sed 's|.*|<G&><V type="integer">&</V></G&>|'
    printf '</PerUserRoam></Quillbray></Quillbray_Preferences>\n'
  } >"$work/g$n.xml"
  "$build/quillbray-import" /IC "$work/g$n.xml"
  echo "$n sibling keys: export HKCU"
  farm-bench -n 5 --timeout 600 -- "$build/quillbray-reg" export HKCU | grep -E 'wall'
  echo "$n sibling keys: query /s"
  farm-bench -n 5 --timeout 600 -- "$build/quillbray-reg" query 'HKCU\Software\Corvellan\Quillbray 4' /s | grep -E 'wall'
done
