#!/usr/bin/env bash
# Pictures of the bar for the documentation: docs/bar.png (several areas, one current, one under
# the pointer), docs/bar-folded.png, docs/bar-renamed.png, docs/bar-tooltip.png and
# docs/english-menus.png (the bar's and the tray's menus with the English library), taken from
# the screen of a virtual display while BarShots drives the real program (of the architecture
# tools/run.sh would run).
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_headless screenshots test Zelvanor BarShots
shots="$ZELVANOR_DIR/shots"
rm -rf "$shots"
mkdir -p "$shots" "$ZELVANOR_TOP/docs"
"$WINE" "$ZELVANOR_DIR/bin/BarShots.exe" "$("$WINE" winepath -w "$shots")" >"$ZELVANOR_DIR/shots.log" 2>&1 \
  || { cat "$ZELVANOR_DIR/shots.log" >&2; exit 1; }
for name in bar bar-folded bar-renamed bar-tooltip; do
  convert "$shots/$name.bmp" -strip "$ZELVANOR_TOP/docs/$name.png"
  echo "docs/$name.png"
done
# The English menus side by side, on the desktop's own colour.
desktop=$(convert "$shots/english-bar-menu.bmp" -format '%[pixel:p{0,0}]' info:)
convert "$shots/english-bar-menu.bmp" "$shots/english-tray-menu.bmp" -bordercolor "$desktop" -border 8 \
  -background "$desktop" -gravity north +append -strip "$ZELVANOR_TOP/docs/english-menus.png"
echo "docs/english-menus.png"
