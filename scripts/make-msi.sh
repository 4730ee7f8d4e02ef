#!/usr/bin/env bash
# Builds the Windows installer from an installed tree of the Windows build:
#   make-msi.sh INSTALLED_DIR VERSION OUT.msi
# wixl (Debian's wixl package) writes the package from windows/quillbray.wxs;
# it has no <Environment>, so the Environment table (the install folder
# added to the system PATH, and removed again on uninstall) and the
# actions that write it are added with msibuild (msitools).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
installed="$1" version="$2" out="$(realpath -m "$3")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The documents, whatever docs holds: one File element each, the first the
# component's key path.
{
  echo '<?xml version="1.0" encoding="utf-8"?>'
  echo '<Include>'
  keypath=' KeyPath="yes"'
  for doc in "$installed"/docs/*.md; do
    name="$(basename "$doc")"
    echo "  <File Id=\"Doc_${name//[^A-Za-z0-9]/_}\" Name=\"$name\" Source=\"docs/$name\"$keypath/>"
    keypath=''
  done
  echo '</Include>'
} >"$work/docs.wxi"
# wixl takes the files' names relative to the folder it runs in.
(cd "$installed" && wixl -a x86 -I "$work" -D Version="$version" -o "$out" "$root/windows/quillbray.wxs")

# Name "=-*PATH": set on install, removed on uninstall, in the system's
# environment; "[INSTALLDIR];[~]" puts the folder before what PATH holds.
# (Appended, as "[~];[INSTALLDIR]", Wine's uninstall leaves the ";" behind,
# and its cmd stops searching PATH at the empty entry that makes.)
printf 'Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\nEnvironment\tEnvironment\nQuillbrayPath\t=-*PATH\t[INSTALLDIR];[~]\tImportProgram\n' \
  >"$work/Environment.idt"
(cd "$work" && msiinfo export "$out" InstallExecuteSequence >InstallExecuteSequence.idt)
for row in 'WriteEnvironmentStrings\t\t5200' 'RemoveEnvironmentStrings\t\t3300'; do
  grep -q "^${row%%\\t*}	" "$work/InstallExecuteSequence.idt" || printf "$row\r\n" >>"$work/InstallExecuteSequence.idt"
done
(cd "$work" && msibuild "$out" -i Environment.idt -i InstallExecuteSequence.idt)
