#!/usr/bin/env bash
# Builds zorkMIX and runs it under Wine.
# With a display ($DISPLAY set) the program opens there and this script returns when it ends.
# Without one it runs on an Xvfb of its own inside a Wine desktop (so the window has its title bar),
# saves screenshots of the main window in Czech and, after the pointer has passed over every
# control and clicked "EN", in English (build/win/zorkMIX.png, build/win/zorkMIX-en.png),
# prints their paths and ends everything it started.
# ZORK_DPI=144 runs it on a 144-dpi system, in a Wine prefix of its own (files *-144dpi*.png).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh win

root=$PWD
exe=$root/build/win/zorkMIX.exe
probe=$root/build/win/tests/window/zorkprobe.exe
suffix=${ZORK_DPI:+-${ZORK_DPI}dpi}
shot=$root/build/win/zorkMIX$suffix
export WINEPREFIX=$root/build/win/wineprefix$suffix

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine.sh "$exe"
fi

work=$(mktemp -d)
xvfb_pid=''
wine_pid=''
main=''
finish() {
  [ -n "$main" ] && scripts/wine.sh "$probe" --desktop zork close "$main" </dev/null >/dev/null 2>&1 || true
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
  # Only a server running on our Xvfb knows its desktop; stop it with the display.
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>"$work/xvfb.log" &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# A server left running from another display would keep its old desktop.
wineserver -k 2>/dev/null || true
scripts/wine.sh explorer /desktop=zork,1024x768 "Z:${exe//\//\\}" </dev/null >/dev/null 2>"$work/wine.log" &
wine_pid=$!

# Wait until the main window is shown and painted; its rectangle is in desktop coordinates,
# and the Wine desktop fills the Xvfb screen from its top-left corner.
geometry=''
for _ in $(seq 600); do
  scripts/wine.sh "$probe" --desktop zork state zorkMIX.exe </dev/null >"$work/state.json" 2>/dev/null || true
  found=$(python3 - "$work/state.json" <<'EOF' || true
import json, sys
try:
    windows = json.load(open(sys.argv[1]))["windows"]
except ValueError:  # no answer yet while the prefix starts
    sys.exit(1)
def middle(rect):
    return f"{(rect[0] + rect[2]) // 2} {(rect[1] + rect[3]) // 2}"
for w in windows:
    if w["visible"] and w["title"] == "zorkMIX" and any(c["id"] == 1012 for c in w["children"]):
        l, t, r, b = w["rect"]
        print(w["hwnd"], f"{r - l}x{b - t}+{l}+{t}")
        print(" ".join(f"mousemove {middle(c['rect'])} sleep 0.05" for c in w["children"] if c["visible"]))
        print(" ".join(f"mousemove {middle(c['rect'])} click 1" for c in w["children"] if c["id"] == 1015))
EOF
  )
  { read -r main geometry; read -r hover; read -r english; } <<<"$found" || true
  if [ -n "$main" ] && scripts/wine.sh "$probe" --desktop zork idle "$main" </dev/null >"$work/idle.json" 2>/dev/null &&
    grep -q '"idle":true' "$work/idle.json"; then
    break
  fi
  main=''
  sleep 0.2
done
[ -n "$main" ] || { echo "run: the main window did not show" >&2; exit 1; }

wait_idle() {
  for _ in $(seq 100); do
    scripts/wine.sh "$probe" --desktop zork idle "$main" </dev/null 2>/dev/null | grep -q '"idle":true' && return
    sleep 0.1
  done
}
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$shot.png"
# shellcheck disable=SC2086
xdotool $hover $english
sleep 0.5
wait_idle
import -display "$DISPLAY" -window root -crop "$geometry" +repage "$shot-en.png"
echo "$shot.png"
echo "$shot-en.png"
