#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the portable core natively under AddressSanitizer and UndefinedBehaviorSanitizer,
# each fuzz target for 15 seconds, then the unit and window tests cross-built and run
# under Wine (the window tests start their own Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install.sh
scripts/build.sh all
status=0
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir build/fuzz --output-on-failure -L fuzz || status=1
ctest --test-dir build/win --output-on-failure || status=1
WINEPREFIX=$PWD/build/win/wineprefix wineserver -k 2>/dev/null || true
exit $status
