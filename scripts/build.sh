#!/usr/bin/env bash
# Builds zorkMIX: build/win (cross, 32-bit Windows) and build/native (portable core with sanitizers);
# build/fuzz holds the libFuzzer targets (clang).
# Usage: scripts/build.sh [win|native|fuzz|all]   (default all)
#        scripts/build.sh exe FOLDER         only zorkMIX.exe and SpecChar.txt, a release build in FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
configure_win() {
  [ -f "$1/build.ninja" ] || cmake -S . -B "$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release
}
if [ "$what" = exe ]; then
  configure_win "${2:?scripts/build.sh exe needs a build folder}"
  cmake --build "$2" --target zorkMIX
  exit
fi
if [ "$what" = win ] || [ "$what" = all ]; then
  configure_win build/win
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
