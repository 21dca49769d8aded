#!/usr/bin/env bash
# Release: builds zorkMIX.exe and writes dist/zorkMIX-<version>-win32.zip and dist/SHA256SUMS.
# <version> is the ProductVersion of the exe's own version record. One commit gives the same
# bytes in any folder at any time: the exe holds no link time and no folder names, and the zip
# has a fixed entry order, fixed permissions and one time for every entry (the last commit's,
# or $SOURCE_DATE_EPOCH).
# Usage: scripts/dist.sh           build in build/dist and write dist/
#        scripts/dist.sh --check   build twice, in two fresh folders, and fail where they differ
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd -P)
case ${1:-} in '' | --check) ;; *) echo "usage: scripts/dist.sh [--check]" >&2; exit 2 ;; esac

scripts/install.sh

# The zip names the commit only when the sources are exactly that commit.
commit=''
epoch=${SOURCE_DATE_EPOCH:-315532800} # 1980-01-01, the earliest time a zip entry can have
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
  epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
  [ -n "$(git status --porcelain)" ] || commit=$(git rev-parse HEAD)
fi
[ -n "$commit" ] || echo "dist: uncommitted changes or no git checkout:" \
  "the result is not reproducible from a commit, and the zip names none" >&2

# pack SOURCES BUILD OUT: writes the zip and SHA256SUMS for BUILD/zorkMIX.exe into OUT.
pack() {
  python3 "$root/scripts/pack_release.py" "$@" "$epoch" "$commit"
}

tmp=''
trap '[ -z "$tmp" ] || rm -rf "$tmp"' EXIT

if [ -z "${1:-}" ]; then
  # The zip is written beside the build and moved into dist/ only when it is whole.
  mkdir -p build dist
  tmp=$(mktemp -d "$root/build/dist-out.XXXXXX")
  scripts/build.sh exe build/dist
  pack "$root" build/dist "$tmp"
  mv "$tmp"/*.zip dist/
  mv "$tmp/SHA256SUMS" dist/
  cat dist/SHA256SUMS
  exit
fi

# release FOLDER [tar options]: a copy of the sources in FOLDER/src, built and packed into FOLDER/out.
release() {
  mkdir -p "$1/src" "$1/out"
  tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$1/src" -xf - "${@:2}"
  (cd "$1/src" && scripts/build.sh exe build/dist)
  pack "$1/src" "$1/src/build/dist" "$1/out"
}

# The second copy lies at a longer path, with new file times, another umask and another
# time zone, so that none of them can reach the result.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zorkMIX-check.XXXXXX")
one=$tmp/one
two=$tmp/second-build-folder
release "$one"
(umask 077; TZ=XST-5:45 release "$two" --touch)

for f in src/build/dist/zorkMIX.exe $(cd "$one" && echo out/*.zip) out/SHA256SUMS; do
  if ! diff=$(cmp -- "$one/$f" "$two/$f" 2>&1); then
    case $diff in
      *' differ: byte '*) at=${diff##* byte }; at=$((${at%%,*} - 1)); printf -v at 'offset %d (0x%x)' "$at" "$at" ;;
      *'EOF on '*) at=${diff##* byte }; at="offset ${at%%,*}, where the shorter one ends" ;;
      *) at=$diff ;;
    esac
    echo "dist: --check failed: the two builds differ first in ${f##*/}, $at; both are kept in $tmp" >&2
    tmp=''
    exit 1
  fi
done
echo "dist: --check passed: the two builds are byte-identical"
cat "$one/out/SHA256SUMS"
