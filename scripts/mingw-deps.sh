#!/usr/bin/env bash
# Cross-builds the libraries the Windows programs link, libxml2 (from
# Debian's source package, the version the Linux build uses) and GoogleTest
# (from libgtest-dev's sources), once, into a cache that later builds reuse:
#   ${QUILLBRAY_MINGW_DEPS:-${XDG_CACHE_HOME:-~/.cache}/quillbray/mingw-deps}
# Prints the cache folder. Installs missing Debian packages as deps.sh does.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" --windows >&2

cache="${QUILLBRAY_MINGW_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/quillbray/mingw-deps}"
xml_version="$(dpkg-query -W -f='${Version}' libxml2-dev)"
gtest_version="$(dpkg-query -W -f='${Version}' libgtest-dev)"
gcc_version="$(i686-w64-mingw32-g++-posix -dumpfullversion)"
# The recipe's own version: raise it when the way the libraries are built
# changes, so that every cache is built again.
# 2: libxml2 compiled with LIBXML_STATIC, so that the programs export nothing
# 3: for 32-bit Windows (i686)
recipe=3
stamp="recipe $recipe; libxml2 $xml_version; googletest $gtest_version; mingw g++ $gcc_version"
if [ -f "$cache/stamp" ] && [ "$(cat "$cache/stamp")" = "$stamp" ]; then
  echo "$cache"
  exit 0
fi

log() { echo "mingw-deps: $*" >&2; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -rf "$cache.new"
mkdir -p "$cache.new"
toolchain="$root/cmake/mingw-w64.cmake"
jobs="$(nproc)"

# Debian's source of libxml2. apt-get source needs a deb-src entry: when the
# machine has none, one is made from its own deb entries.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ "$(id -u)" -ne 0 ]; then
    log "apt has no deb-src entry; as root this script adds one (or add it yourself)"
    exit 1
  fi
  log "adding deb-src entries copied from the machine's apt sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >/etc/apt/sources.list.d/quillbray-src.sources
  else
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >/etc/apt/sources.list.d/quillbray-src.list
  fi
  apt-get update -qq
fi
log "libxml2 $xml_version: fetching Debian's source package"
(cd "$work" && apt-get source -qq "libxml2=$xml_version" >/dev/null 2>&1) ||
  { log "apt-get source libxml2=$xml_version failed"; exit 1; }
xml_src="$(find "$work" -maxdepth 1 -type d -name 'libxml2-*' | head -1)"
log "libxml2: building for Windows"
cmake -S "$xml_src" -B "$work/xml-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache.new" -DBUILD_SHARED_LIBS=OFF \
  -DCMAKE_C_FLAGS="-DLIBXML_STATIC" \
  -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_ZLIB=OFF \
  -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF \
  -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF >/dev/null
cmake --build "$work/xml-build" -j "$jobs" >/dev/null
cmake --install "$work/xml-build" >/dev/null

log "GoogleTest $gtest_version: building for Windows"
cmake -S /usr/src/googletest -B "$work/gtest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache.new" -DBUILD_SHARED_LIBS=OFF \
  -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$work/gtest-build" -j "$jobs" >/dev/null
cmake --install "$work/gtest-build" >/dev/null

echo "$stamp" >"$cache.new/stamp"
rm -rf "$cache"
mv "$cache.new" "$cache"
log "done: $cache"
echo "$cache"
