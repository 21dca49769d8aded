#!/usr/bin/env bash
# Installs what building, running and testing zorkMIX needs, from Debian's archive only.
# Idempotent: packages already present are left alone.
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  cmake ninja-build googletest g++ clang libclang-rt-14-dev
  wine wine32:i386 fonts-wine
  xvfb xdotool imagemagick x11-apps icoutils python3
  osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
