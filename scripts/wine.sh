#!/usr/bin/env bash
# Runs a Windows program under Wine in $WINEPREFIX, creating the prefix on first use.
# Wine's server and background processes are started with every stream on /dev/null:
# a daemon that inherits a caller's pipe would keep that pipe open for ever.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  # 9>&-: the daemons must not inherit the lock, or they would hold it for ever.
  wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1 9>&-
) 9>"$WINEPREFIX.lock"
exec wine "$@"
