#!/usr/bin/env bash
# Pictures of the bar for the documentation: docs/bar.png (several areas, one current, one under
# the pointer), docs/bar-folded.png and docs/bar-renamed.png, taken from the screen of a virtual
# display while BarShots drives the real program.
set -euo pipefail
source "$(dirname "$0")/common.sh"
mkdir -p "$BUILD_DIR"
zelvanor_build --target Zelvanor BarShots
zelvanor_start_display
trap 'wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix test
wineserver -p
wine cmd /c exit >"$BUILD_DIR/warmup.log" 2>&1 || true
shots="$BUILD_DIR/shots"
rm -rf "$shots"
mkdir -p "$shots" "$ZELVANOR_TOP/docs"
wine "$BUILD_DIR/bin/BarShots.exe" "$(winepath -w "$shots")" >"$BUILD_DIR/shots.log" 2>&1 \
  || { cat "$BUILD_DIR/shots.log" >&2; exit 1; }
for name in bar bar-folded bar-renamed; do
  convert "$shots/$name.bmp" -strip "$ZELVANOR_TOP/docs/$name.png"
  echo "docs/$name.png"
done
