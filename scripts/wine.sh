#!/usr/bin/env bash
# Runs a Windows program under Wine in $WINEPREFIX, creating the prefix on first use.
# When the prefix's server is not running, it is started together with Wine's background
# processes with every stream on /dev/null: a daemon started by the program itself would
# inherit the caller's pipes (a test runner's, say) and keep them open for ever.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
mkdir -p "$WINEPREFIX"

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
  if [ ! -f "$WINEPREFIX/system.reg" ] || ! server_running; then
    # 9>&-: the daemons must not inherit the lock either.
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    wineboot -i </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
