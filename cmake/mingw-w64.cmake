# Cross-building the Windows programs with Debian's mingw-w64 (the -posix
# thread variant: GoogleTest needs std::mutex, which the -win32 one lacks in
# GCC 12). Everything is linked statically, so the programs need only the
# system's own DLLs.
#
# The programs are 32-bit, as the product they serve is: on 64-bit Windows
# they then see the product's registry view (HKLM\Software\WOW6432Node)
# and folders (C:\Program Files (x86)) without flags.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QB_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QB_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QB_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QB_MINGW}-windres)
# QB_MINGW_DEPS: where scripts/mingw-deps.sh put libxml2 and GoogleTest.
set(CMAKE_FIND_ROOT_PATH /usr/${QB_MINGW} ${QB_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run under Wine (scripts/wine-run.sh).
get_filename_component(QB_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QB_SOURCE_ROOT}/scripts/wine-run.sh)
