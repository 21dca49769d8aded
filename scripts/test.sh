#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the portable core natively under AddressSanitizer and UndefinedBehaviorSanitizer, actionlint
# over the CI workflows, each fuzz target for 15 seconds, then under Wine the native checks
# (the cross-built unit tests among them; what CI runs on Windows) and the window tests, each
# on an Xvfb of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh all
status=0
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir build/fuzz --output-on-failure -L fuzz || status=1
ctest --test-dir build/win --output-on-failure || status=1
# The native checks' list, as the Windows job prints it.
cat build/win/native-checks-results/checks.txt 2>/dev/null || true
WINEPREFIX=$PWD/build/win/wineprefix wineserver -k 2>/dev/null || true
exit $status
