#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in the project's private Wine
# prefix (made by scripts/wine-prefix.sh). CTest runs every Windows test
# through this (the build's CMAKE_CROSSCOMPILING_EMULATOR).
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"  # Debian's wine starts a 32-bit program through wine32
