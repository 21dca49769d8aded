#!/usr/bin/env bash
# Builds zorkMIX: build/win (cross, for the Windows that Wine runs here: 32-bit, or 64-bit on a
# machine that cannot run 32-bit code) and build/native (portable core with sanitizers);
# build/fuzz holds the libFuzzer targets (clang).
# Usage: scripts/build.sh [win|native|fuzz|all]   (default all)
#        scripts/build.sh exe FOLDER         only zorkMIX.exe and SpecChar.txt, a release build in FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
# configure_win FOLDER ARCH; a folder built for the other architecture starts anew, prefix and all.
configure_win() {
  grep -qsx "ZORK_WIN_ARCH:STRING=$2" "$1/CMakeCache.txt" || rm -rf "$1"
  [ -f "$1/build.ninja" ] || cmake -S . -B "$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZORK_WIN_ARCH="$2" -DCMAKE_BUILD_TYPE=Release
}
if [ "$what" = exe ]; then
  configure_win "${2:?scripts/build.sh exe needs a build folder}" i686
  cmake --build "$2" --target zorkMIX
  exit
fi
if [ "$what" = win ] || [ "$what" = all ]; then
  configure_win build/win "$(scripts/winarch.sh)"
  cmake --build build/win
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  [ -f build/native/build.ninja ] || cmake -S . -B build/native -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORK_SANITIZE=ON
  cmake --build build/native
fi
if [ "$what" = fuzz ] || [ "$what" = all ]; then
  [ -f build/fuzz/build.ninja ] || cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZORK_FUZZ=ON
  cmake --build build/fuzz --target fuzz
fi
