#!/usr/bin/env bash
# Builds everything and runs the whole test suite through CTest under Wine, on a virtual display
# of its own. Extra arguments go to ctest (for example -R Framework). Exit status is CTest's.
set -euo pipefail
source "$(dirname "$0")/common.sh"
mkdir -p "$BUILD_DIR"
zelvanor_build
zelvanor_start_display
trap 'wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix test
wineserver -p
rc=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 "$@" || rc=$?
exit $rc
