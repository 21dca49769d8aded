#!/usr/bin/env bash
# Release: builds zorkMIX.exe and writes dist/zorkMIX-<version>-win32.zip, its package manifests
# (dist/winget/, three files, and Scoop's dist/zorkmix.json; scripts/manifests.py) and dist/SHA256SUMS.
# <version> is the ProductVersion of the exe's own version record. One commit gives the same
# bytes in any folder at any time: the exe holds no link time and no folder names, and the zip
# has a fixed entry order, fixed permissions and one time for every entry (the last commit's,
# or $SOURCE_DATE_EPOCH).
# Signing: with ZORK_SIGN_PKCS12 naming a PKCS#12 file (code-signing certificate and key) and
# ZORK_SIGN_PASSWORD its password, the exe in the zip is signed (Authenticode, SHA-256), with an
# RFC 3161 time stamp from ZORK_SIGN_TIMESTAMP_URL when that is set. A signature leaves the
# exe's Authenticode digest (scripts/authenticode.py) that of the unsigned build.
# Usage: scripts/dist.sh           build in build/dist and write dist/
#        scripts/dist.sh --check   build twice, in two fresh folders, and fail where they differ;
#                                  check the manifests (tests/manifests_check.cjs); sign the first
#                                  with a throwaway certificate and check the digest; then leave
#                                  the first, unsigned, in dist/ (what CI's Windows jobs install)
set +x # tracing would print the password
set -euo pipefail
# The password stays in this shell: no child has it in its environment.
export -n ZORK_SIGN_PASSWORD
ZORK_SIGN_PKCS12=${ZORK_SIGN_PKCS12:-}
case $ZORK_SIGN_PKCS12 in '' | /*) ;; *) ZORK_SIGN_PKCS12=$PWD/$ZORK_SIGN_PKCS12 ;; esac
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

# pack SOURCES BUILD OUT: writes the zip, the manifests and SHA256SUMS for BUILD/zorkMIX.exe into OUT.
pack() {
  python3 "$root/scripts/pack_release.py" "$@" "$epoch" "$commit"
}

# digest EXE: its Authenticode digest.
digest() {
  python3 "$root/scripts/authenticode.py" "$1" | cut -d' ' -f1
}

# quiet COMMAND...: runs COMMAND, showing its output only when it fails.
quiet() {
  local log
  log=$("$@" 2>&1) || { printf '%s\n' "$log" >&2; return 1; }
}

# sign_ready: fails before the build when the signing variables cannot work.
sign_ready() {
  if [ ! -f "$ZORK_SIGN_PKCS12" ] || [ ! -r "$ZORK_SIGN_PKCS12" ]; then
    echo "dist: signing: ZORK_SIGN_PKCS12 names no readable file: $ZORK_SIGN_PKCS12" >&2
    exit 1
  fi
  if [ -z "${ZORK_SIGN_PASSWORD+set}" ]; then
    echo "dist: signing: ZORK_SIGN_PKCS12 is set, ZORK_SIGN_PASSWORD is not" >&2
    exit 1
  fi
}

# sign BUILD SIGNED: SIGNED/zorkMIX.exe is BUILD's signed with $ZORK_SIGN_PKCS12, beside a copy
# of SpecChar.txt, since pack_release.py takes both from one folder. osslsigncode reads the
# password from a pipe on its input (-readpass -), so it is on no command line; its messages
# never hold it.
sign() {
  local log status=0 password=(-readpass -) timestamp=() unsigned signed
  [ -n "$ZORK_SIGN_PASSWORD" ] || password=(-pass '') # an empty -readpass input fails to read
  [ -z "${ZORK_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$ZORK_SIGN_TIMESTAMP_URL")
  mkdir -p "$2"
  cp "$1/SpecChar.txt" "$2/"
  log=$(osslsigncode sign -pkcs12 "$ZORK_SIGN_PKCS12" "${password[@]}" -h sha256 -n zorkMIX \
    "${timestamp[@]}" -in "$1/zorkMIX.exe" -out "$2/zorkMIX.exe" 2>&1 < <(printf %s "$ZORK_SIGN_PASSWORD")) ||
    status=$?
  if [ $status -ne 0 ]; then
    case $log in
      *'mac verify failure'*)
        echo "dist: signing failed: ZORK_SIGN_PASSWORD is not the password of $ZORK_SIGN_PKCS12" >&2 ;;
      *'timestamping failed'*)
        echo "dist: signing failed: no time stamp from ZORK_SIGN_TIMESTAMP_URL $ZORK_SIGN_TIMESTAMP_URL;" \
          "osslsigncode said:" >&2
        printf '%s\n' "$log" | sed '/^$/d; s/^/  /' >&2 ;;
      *)
        echo "dist: signing failed: osslsigncode exited with $status; it said:" >&2
        printf '%s\n' "$log" | sed '/^$/d; s/^/  /' >&2 ;;
    esac
    exit 1
  fi
  unsigned=$(digest "$1/zorkMIX.exe")
  signed=$(digest "$2/zorkMIX.exe")
  if [ "$signed" != "$unsigned" ]; then
    echo "dist: signing changed the Authenticode digest: $unsigned unsigned, $signed signed" >&2
    exit 1
  fi
}

# publish OUT: moves what pack wrote into OUT to dist/, in place of an earlier release's.
publish() {
  rm -rf dist/winget
  mv "$1"/*.zip "$1/winget" "$1/zorkmix.json" "$1/SHA256SUMS" dist/
}

tmp=''
trap '[ -z "$tmp" ] || rm -rf "$tmp"' EXIT

if [ -z "${1:-}" ]; then
  if [ -n "$ZORK_SIGN_PKCS12" ]; then
    sign_ready
  else
    # No silent unsigned release when the certificate's variable is misspelt or forgotten.
    for name in ZORK_SIGN_PASSWORD ZORK_SIGN_TIMESTAMP_URL; do
      if [ -n "${!name:-}" ]; then
        echo "dist: signing: $name is set, ZORK_SIGN_PKCS12 is not" >&2
        exit 1
      fi
    done
  fi
  # The zip, and the signed exe, are written beside the build; the zip is moved into dist/ only
  # when it is whole.
  mkdir -p build dist
  tmp=$(mktemp -d "$root/build/dist-out.XXXXXX")
  scripts/build.sh exe build/dist
  exe=build/dist
  if [ -n "$ZORK_SIGN_PKCS12" ]; then
    sign build/dist "$tmp/signed"
    exe=$tmp/signed
  fi
  pack "$root" "$exe" "$tmp"
  publish "$tmp"
  [ -z "$ZORK_SIGN_PKCS12" ] ||
    echo "dist: zorkMIX.exe signed; its Authenticode digest, the unsigned build's: $(digest "$exe/zorkMIX.exe")"
  cat dist/SHA256SUMS
  exit
fi

# release FOLDER [tar options]: a copy of the sources in FOLDER/src, built and packed into FOLDER/out.
release() {
  mkdir -p "$1/src" "$1/out"
  tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git --exclude=./node_modules -cf - . | tar -C "$1/src" -xf - "${@:2}"
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

for f in src/build/dist/zorkMIX.exe $(cd "$one" && echo out/*.zip out/winget/* out/zorkmix.json) out/SHA256SUMS; do
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
echo "dist: --check passed: the two builds are byte-identical, their manifests too"
node tests/manifests_check.cjs "$one/out"
# The release exe's header and imports, whichever architecture build/win has on this machine.
python3 tests/exe_header.py i686-w64-mingw32-objdump "$one/src/build/dist/zorkMIX.exe"

# The first build signed the maintainer's way, with a throwaway self-signed certificate made
# here (no time stamp: no network). The signed exe must verify against that certificate and
# keep the unsigned build's Authenticode digest, as scripts/authenticode.py and osslsigncode
# compute it, each its own way, on the signed file as it is.
certificate=$tmp/certificate
mkdir -m 700 "$certificate"
ZORK_SIGN_PKCS12=$certificate/signer.p12
ZORK_SIGN_PASSWORD=$(openssl rand -hex 24)
ZORK_SIGN_TIMESTAMP_URL=''
quiet openssl req -x509 -newkey rsa:3072 -noenc -days 3 -subj '/CN=zorkMIX throwaway test signer' \
  -addext extendedKeyUsage=codeSigning -keyout "$certificate/key.pem" -out "$certificate/cert.pem"
quiet openssl pkcs12 -export -inkey "$certificate/key.pem" -in "$certificate/cert.pem" \
  -out "$ZORK_SIGN_PKCS12" -passout fd:3 3< <(printf %s "$ZORK_SIGN_PASSWORD")
sign_ready
sign "$one/src/build/dist" "$one/signed"
mkdir "$one/signed-out"
pack "$one/src" "$one/signed" "$one/signed-out"

signed=$one/signed/zorkMIX.exe
if ! verify=$(osslsigncode verify -CAfile "$certificate/cert.pem" -in "$signed" 2>&1); then
  echo "dist: --check failed: osslsigncode verify rejects the signed exe; it said:" >&2
  printf '%s\n' "$verify" | sed 's/^/  /' >&2
  exit 1
fi
reported() {
  sed -n "s/^$1 message digest *: *\([0-9A-Fa-f]*\).*/\1/p" <<<"$verify" | tr A-F a-f
}
unsigned=$(digest "$two/src/build/dist/zorkMIX.exe")
for each in "scripts/authenticode.py: $(digest "$signed")" \
  "osslsigncode, stored in the signature: $(reported Current)" \
  "osslsigncode, calculated: $(reported Calculated)"; do
  if [ "${each##*: }" != "$unsigned" ]; then
    echo "dist: --check failed: the signed exe's Authenticode digest by $each;" \
      "the unsigned build's: $unsigned; all is kept in $tmp" >&2
    tmp=''
    exit 1
  fi
done
if ! grep -qx "$(sha256sum <"$signed" | cut -d' ' -f1)  zorkMIX-[0-9.]*/zorkMIX\.exe" "$one/signed-out/SHA256SUMS"; then
  echo "dist: --check failed: the signed release's SHA256SUMS does not name the signed exe" >&2
  exit 1
fi
echo "dist: --check passed: signed with a throwaway certificate, the exe verifies and keeps the" \
  "unsigned build's Authenticode digest, $unsigned (scripts/authenticode.py and osslsigncode agree)"
mkdir -p dist
publish "$one/out"
echo "dist: the first build, unsigned, is in dist/:"
cat dist/SHA256SUMS
