#!/usr/bin/env bash
# Builds the benchmarks and runs each under Wine on a virtual display; prints their tables.
set -euo pipefail
source "$(dirname "$0")/common.sh"
mkdir -p "$BUILD_DIR"
zelvanor_build --target Zelvanor benchmarks
zelvanor_start_display
trap 'wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix bench
wineserver -p
wine cmd /c exit >"$BUILD_DIR/warmup.log" 2>&1 || true  # services start now, not holding our output
for b in "$BUILD_DIR"/bin/bench_*.exe; do
  [ -e "$b" ] || continue
  echo "== $(basename "$b")"
  wine "$b" "$@"
done
