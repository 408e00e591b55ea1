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
# Start Wine's background services now, with their output in a file: started later by a test
# under CTest they would inherit and hold CTest's output pipe, and CTest would wait on it.
wine cmd /c exit >"$BUILD_DIR/warmup.log" 2>&1 || true
rc=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 "$@" || rc=$?
exit $rc
