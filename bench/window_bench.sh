#!/usr/bin/env bash
# Window benchmarks of zorkMIX.exe: Generate at 32767 characters, start-up beside Wine's notepad,
# size and imported DLLs. Prints the figures; never fails on time.
# Usage: bench/window_bench.sh [BUILD_DIR]   (default build/win, built first when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win}
if [ "$build" = build/win ] && [ ! -f build/win/zorkMIX.exe ]; then
  scripts/build.sh win
fi
exec python3 bench/window_bench.py "$build"
