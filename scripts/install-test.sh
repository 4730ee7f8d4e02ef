#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a user finds there:
#   install-test.sh BUILD_DIR
# the programs, stripped, with their version; the manual pages; and the
# README with every file its relative links name.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install-test: $*" >&2; exit 1; }
cmake --install "$build" --prefix "$prefix" >/dev/null
doc="$prefix/share/doc/quillbray"
for f in bin/quillbray-import bin/quillbray-reg share/man/man1/quillbray-import.1 share/man/man1/quillbray-reg.1 \
         share/doc/quillbray/README.md share/doc/quillbray/examples/prefs.xml; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for program in quillbray-import quillbray-reg; do
  ! objdump -h "$prefix/bin/$program" | grep -q '\.debug_\|\.symtab' || fail "$program is not stripped"
done
"$prefix/bin/quillbray-import" --version | grep -q '^quillbray-import (Quillbray)' || fail "--version of the installed program"
# Every relative link of the README, [text](path) or [text](path#part).
grep -o '](\([^)#:]*\)' "$doc/README.md" | sed 's/^](//' | sort -u | while read -r link; do
  [ -e "$doc/$link" ] || fail "the README links to $link, which is not installed"
done
echo "install-test: $(find "$prefix" -type f | wc -l) files, links hold"
