#!/usr/bin/env bash
# Installs the Windows installer under Wine, uses what it installed, and
# uninstalls it; fails with the first thing that is not as it should be:
#   msi-test.sh BUILD_DIR VERSION
# BUILD_DIR is a Windows build (the tests' own, under CTest); its programs
# are installed into a tree and packed by make-msi.sh. Runs in the project's
# private Wine prefix, and writes its real HKCU and HKLM: CTest holds the
# "real-registry" lock for it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1" version="$2"
source "$root/scripts/wine-env.sh"
work="$(mktemp -d)"
# A 32-bit package on 64-bit Windows: the 32-bit program folder, and its
# keys in the 32-bit registry view.
folder='C:\Program Files (x86)\Corvellan\Quillbray Companion'
unix="$WINEPREFIX/drive_c/Program Files (x86)/Corvellan/Quillbray Companion"
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
cleanup() {
  for package in quillbray newer; do
    [ -f "$work/$package.msi" ] && wine64 msiexec /x "$(winepath -w "$work/$package.msi")" /qn >/dev/null 2>&1 || true
  done
  for key in 'HKCU\Software\Corvellan\Quillbray 4' 'HKLM\Software\Corvellan\Quillbray 4'; do
    wine64 reg delete "$key" /f >/dev/null 2>&1 || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "msi-test: $*" >&2; exit 1; }
path() { wine64 reg query "$environment" /v PATH | tr -d '\r' | grep -i 'PATH' || true; }

cmake --install "$build" --prefix "$work/tree" >/dev/null
"$root/scripts/make-msi.sh" "$work/tree" "$version" "$work/quillbray.msi" 2>/dev/null
msi="$(winepath -w "$work/quillbray.msi")"

wine64 msiexec /i "$msi" /qn || fail "msiexec /i failed ($?)"
for f in quillbray-import.exe quillbray-import.com quillbray-reg.exe README-Windows.txt prefs.xml docs/windows.md; do
  [ -f "$unix/$f" ] || fail "not installed: $folder\\$f"
done
path | grep -qF "$folder" || fail "the system PATH lacks $folder: $(path)"
wine64 reg query 'HKLM\Software\Corvellan\Quillbray Companion' /v InstallDir /reg:32 | tr -d '\r' | grep -qF "$folder" ||
  fail "HKLM\Software\Corvellan\Quillbray Companion (32-bit view) does not name $folder"

# The installed program, found through PATH from another folder.
version_text="$(cd "$work" && wine64 cmd /c quillbray-import --version | tr -d '\r')"
[[ "$version_text" == "quillbray-import (Quillbray) $version"* ]] || fail "--version printed: $version_text"
# The example, imported by the installed program (it has two --strict lines).
status=0
(cd "$unix" && wine64 cmd /c quillbray-import --strict /IC prefs.xml >/dev/null 2>&1) || status=$?
[ "$status" = 2 ] || fail "importing the example exited with $status, not 2"
wine64 reg query 'HKCU\Software\Corvellan\Quillbray 4' /v Uses | tr -d '\r' | grep -q 0x6ce ||
  fail "the example's Uses value is not in HKCU"

# A newer version replaces this one: one product installed afterwards.
IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
"$root/scripts/make-msi.sh" "$work/tree" "$newer" "$work/newer.msi" 2>/dev/null
wine64 msiexec /i "$(winepath -w "$work/newer.msi")" /qn || fail "installing $newer over $version failed ($?)"
products() {
  for view in /reg:32 /reg:64; do
    wine64 reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /v DisplayName $view | tr -d '\r'
  done | grep -c 'Quillbray Companion' || true
}
[ "$(products)" = 1 ] || fail "after the upgrade $(products) products are installed, not 1"
msi="$(winepath -w "$work/newer.msi")"

wine64 msiexec /x "$msi" /qn || fail "msiexec /x failed ($?)"
[ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Corvellan" ] ||
  fail "left behind: $(find "$WINEPREFIX/drive_c/Program Files (x86)/Corvellan")"
! path | grep -qF "$folder" || fail "the system PATH still holds $folder: $(path)"
! wine64 reg query 'HKLM\Software\Corvellan\Quillbray Companion' /reg:32 >/dev/null 2>&1 ||
  fail "the install key is left behind"
echo "msi-test: installed, ran and uninstalled $folder"
