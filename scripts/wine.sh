#!/usr/bin/env bash
# Runs a Windows program under Wine in $WINEPREFIX, creating the prefix on first use.
# When the prefix's server is not running, it is started together with Wine's background
# processes with every stream on /dev/null: a daemon started by the program itself would
# inherit the caller's pipes (a test runner's, say) and keep them open for ever.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}
# 32-bit Windows where this machine runs Wine's 32-bit loader, else 64-bit (a build of that
# architecture: scripts/build.sh makes build/win so).
export ZORK_WIN_ARCH=${ZORK_WIN_ARCH:-$("$(dirname "$0")"/winarch.sh)}
if [ "$ZORK_WIN_ARCH" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  wine=$WINELOADER
else
  export WINEARCH=win32
  wine=wine
fi
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
mkdir -p "$WINEPREFIX"
# ZORK_LOCALE=cs_CZ.UTF-8 stands for a Czech Windows: the prefix's server and programs run in
# that locale (ANSI code page 1250), and the prefix holds Wine's Central European MS Sans Serif
# files, which Wine registers by that code page. Such a prefix is used only with that locale.
if [ -n "${ZORK_LOCALE:-}" ]; then
  export LANG=$ZORK_LOCALE LC_ALL=$ZORK_LOCALE
fi

# A prefix's wineserver works in a folder named after the prefix's device and inode.
server_running() {
  local id pid
  # shellcheck disable=SC2046
  id=server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for pid in $(pgrep -x wineserver32; pgrep -x wineserver64; pgrep -x wineserver); do
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$id" ]] && return 0
  done
  return 1
}

(
  flock 9
  # A prefix is new until its first start has finished; not until system.reg exists, which the
  # server writes only some 30 s later.
  new=0
  [ -f "$WINEPREFIX/.initialised" ] || [ -f "$WINEPREFIX/system.reg" ] || new=1
  if [ $new = 1 ] || ! server_running; then
    # 9>&-: the daemons must not inherit the lock either.
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    # Any program's start sets up the prefix and starts the background processes, once. An explicit
    # wineboot would start a second set of Wine's services, whose device host then crashes, and
    # Wine's debugger window takes the foreground from whatever program runs.
    "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    touch "$WINEPREFIX/.initialised"
  fi
  # ZORK_DPI=144 makes a new prefix a 144-dpi system (for high-DPI runs, in a prefix of their own).
  if [ $new = 1 ] && [ -n "${ZORK_DPI:-}" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ZORK_DPI" /f \
      </dev/null >/dev/null 2>&1 9>&-
  fi
  # Wine's own Tahoma, the dialog font the windows are laid out for, and Marlett, whose symbols
  # draw the title bar's buttons; Debian's Wine does not load them from its data folder, only
  # from the prefix's Fonts folder.
  fonts=(tahoma.ttf tahomabd.ttf marlett.ttf)
  [ -z "${ZORK_LOCALE:-}" ] || fonts+=(sserifee.fon sseriffe.fon)
  for font in "${fonts[@]}"; do
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] || cp /usr/share/wine/fonts/$font "$WINEPREFIX/drive_c/windows/Fonts/"
  done
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"
