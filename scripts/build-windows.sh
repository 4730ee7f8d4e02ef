#!/usr/bin/env bash
# Builds the Windows programs with mingw-w64:
#   build-windows.sh          quillbray-import.exe and .com and quillbray-reg.exe
#                             (Release, in build-win), the zip
#                             build-win/quillbray-windows.zip and the installer
#                             build-win/quillbray-windows.msi
#   build-windows.sh --tests  the Windows test suite too (Debug, in build-win-test),
#                             ready for scripts/test.sh or ctest under Wine
# Missing Debian packages are installed as deps.sh does; libxml2 and
# GoogleTest are cross-built once into a cache (scripts/mingw-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
deps="$(scripts/mingw-deps.sh)"
# A build folder configured for another compiler (the x86_64 one, before the
# programs became 32-bit) keeps it in its cache: it is configured afresh.
for dir in build-win build-win-test; do
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q 'i686-w64-mingw32' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
done
if [ "${1:-}" = --tests ]; then
  cmake -S . -B build-win-test -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DQB_MINGW_DEPS="$deps" -DCMAKE_BUILD_TYPE=Debug -DQUILLBRAY_TESTS=ON >/dev/null
  cmake --build build-win-test
  exit 0
fi
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DQB_MINGW_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DQUILLBRAY_TESTS=OFF >/dev/null
cmake --build build-win
rm -rf build-win/zip build-win/quillbray-windows.zip
cmake --install build-win --prefix build-win/zip/quillbray >/dev/null
i686-w64-mingw32-strip build-win/zip/quillbray/*.exe build-win/zip/quillbray/*.com
(cd build-win/zip && zip -qr ../quillbray-windows.zip quillbray)
version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
scripts/make-msi.sh build-win/zip/quillbray "$version" build-win/quillbray-windows.msi 2>/dev/null
echo "build-win/quillbray-windows.msi: $(du -k build-win/quillbray-windows.msi | cut -f1) KiB"
echo "build-win/quillbray-windows.zip: $(unzip -Z1 build-win/quillbray-windows.zip | tr '\n' ' ')"
