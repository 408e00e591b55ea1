#!/usr/bin/env bash
# Pictures of the bar for the documentation: docs/bar.png (several areas, one current, one under
# the pointer), docs/bar-folded.png, docs/bar-renamed.png and docs/bar-tooltip.png, then
# docs/bar-144dpi.png (the first of them at 144 dpi), docs/monitors.png (two monitors, the bar
# on the second, at half size) and docs/english-menus.png (the bar's and the tray's menus with
# the English library), taken from the screen of a virtual display while BarShots drives the
# real program (of the architecture tools/run.sh would run).
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_headless screenshots test Zelvanor BarShots
shots="$ZELVANOR_DIR/shots"
rm -rf "$shots"
mkdir -p "$shots" "$ZELVANOR_TOP/docs"
shots_windows=$("$WINE" winepath -w "$shots")
# The program's own texts, as a Chinese Windows shows them: under Wine the interface language is
# the environment's (LC_ALL), and in any other the program takes the English library beside it.
shoot() {  # BarShots arguments...
  LC_ALL=zh_CN.UTF-8 "$WINE" "$ZELVANOR_DIR/bin/BarShots.exe" "$shots_windows" "$@" \
    >>"$ZELVANOR_DIR/shots.log" 2>&1 || { cat "$ZELVANOR_DIR/shots.log" >&2; exit 1; }
}
: >"$ZELVANOR_DIR/shots.log"
shoot
# The same display again, in a prefix at 144 dpi.
zelvanor_wineserver -k 2>/dev/null || true
zelvanor_wine_prefix_dpi "$ZELVANOR_ARCH_CHOSEN" 144
zelvanor_wine_warm_up "$ZELVANOR_DIR/warmup.log"
ZELVANOR_TEST_DPI=144 shoot --dpi
# Two monitors on a display as wide as both.
zelvanor_wineserver -k 2>/dev/null || true
zelvanor_stop_display
zelvanor_start_monitors_display "$ZELVANOR_ARCH_CHOSEN" "$ZELVANOR_DIR"
zelvanor_monitors "$ZELVANOR_ARCH_CHOSEN"
zelvanor_wine_warm_up "$ZELVANOR_DIR/warmup.log"
LC_ALL=zh_CN.UTF-8 "$WINE" "$ZELVANOR_DIR/bin/BarShots.exe" "$shots_windows" --monitors \
  >"$ZELVANOR_DIR/shots-monitors.log" 2>&1 &
shots_pid=$!
for _ in $(seq 300); do grep -q ready "$ZELVANOR_DIR/shots-monitors.log" && break; sleep 0.1; done
import -window root "$shots/monitors.bmp"
touch "$shots/taken"
wait $shots_pid || { cat "$ZELVANOR_DIR/shots-monitors.log" >&2; exit 1; }
for name in bar bar-folded bar-renamed bar-tooltip bar-144dpi; do
  convert "$shots/$name.bmp" -strip "$ZELVANOR_TOP/docs/$name.png"
  echo "docs/$name.png"
done
# The X screen is black outside any window: each monitor of the stand-in's layout gets a colour
# of its own under what was on screen.
convert -size 2304x1024 xc:'#202020' -fill '#3a546e' -draw 'rectangle 0,0 1279,1023' \
  -fill '#2e6e60' -draw 'rectangle 1280,0 2303,767' \( "$shots/monitors.bmp" -transparent black \) \
  -composite -resize 50% -strip "$ZELVANOR_TOP/docs/monitors.png"
echo "docs/monitors.png"
# The English menus side by side, on the desktop's own colour.
desktop=$(convert "$shots/english-bar-menu.bmp" -format '%[pixel:p{0,0}]' info:)
convert "$shots/english-bar-menu.bmp" "$shots/english-tray-menu.bmp" -bordercolor "$desktop" -border 8 \
  -background "$desktop" -gravity north +append -strip "$ZELVANOR_TOP/docs/english-menus.png"
echo "docs/english-menus.png"
