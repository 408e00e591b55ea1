#!/usr/bin/env bash
# Pictures of the bar for the documentation: docs/bar.png (several areas, one current, one under
# the pointer), docs/bar-folded.png and docs/bar-renamed.png, taken from the screen of a virtual
# display while BarShots drives the real program (of the architecture tools/run.sh would run).
set -euo pipefail
source "$(dirname "$0")/common.sh"
zelvanor_choose_arch screenshots
arch=$ZELVANOR_ARCH_CHOSEN
dir=$(zelvanor_arch_dir "$arch")
zelvanor_build "$arch" --target Zelvanor BarShots
zelvanor_start_display "$dir"
trap 'zelvanor_wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix "$arch" test
zelvanor_wine_warm_up "$dir/warmup.log"
shots="$dir/shots"
rm -rf "$shots"
mkdir -p "$shots" "$ZELVANOR_TOP/docs"
"$WINE" "$dir/bin/BarShots.exe" "$("$WINE" winepath -w "$shots")" >"$dir/shots.log" 2>&1 \
  || { cat "$dir/shots.log" >&2; exit 1; }
for name in bar bar-folded bar-renamed; do
  convert "$shots/$name.bmp" -strip "$ZELVANOR_TOP/docs/$name.png"
  echo "docs/$name.png"
done
