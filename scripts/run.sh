#!/usr/bin/env bash
# Builds zorkMIX and runs it under Wine.
# With a display ($DISPLAY set) the program opens there and this script returns when it ends.
# Without one it runs on an Xvfb of its own inside a Wine desktop (so the window has its title bar),
# saves four screenshots of the main window: in Czech, in English after the pointer has passed
# over every control and clicked "EN", then as Windows shows it moved to a monitor of another DPI
# and back (build/win/zorkMIX.png, zorkMIX-en.png, zorkMIX-en-moved.png, zorkMIX-en-back.png),
# prints their paths and ends everything it started (tests/window/run_session.py).
# ZORK_DPI=144 runs it on a 144-dpi system, in a Wine prefix of its own (files *-144dpi*.png);
# ZORK_LOCALE=cs_CZ.UTF-8 on a Czech Windows (code page 1250, its MS Sans Serif), also in a
# prefix of its own (files *-cs*.png). Both together are a Czech Windows at 144 dpi.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh win

build=$PWD/build/win
suffix=${ZORK_LOCALE:+-${ZORK_LOCALE%%_*}}${ZORK_DPI:+-${ZORK_DPI}dpi}
export WINEPREFIX=$build/wineprefix$suffix

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine.sh "$build/zorkMIX.exe"
fi
exec python3 tests/window/run_session.py --exe "$build/zorkMIX.exe" --probe "$build/tests/window/zorkprobe.exe" \
  --wine scripts/wine.sh --prefix "$WINEPREFIX" --shots "$build/zorkMIX$suffix"
