#!/usr/bin/env bash
# Builds Zelvanor.exe and starts it under Wine. With DISPLAY set it runs on that display until it
# ends. Without one it runs on a virtual display of its own, takes a screenshot once the bar is up,
# prints the PNG's path and ends the program through its own exit command.
set -euo pipefail
source "$(dirname "$0")/common.sh"
mkdir -p "$BUILD_DIR"
zelvanor_build --target Zelvanor ZelvanorCtl
bin="$BUILD_DIR/bin"
if [ -n "${DISPLAY:-}" ]; then
  zelvanor_wine_prefix run
  exec wine "$bin/Zelvanor.exe"
fi
zelvanor_start_display
trap 'wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
zelvanor_wine_prefix run
wine "$bin/Zelvanor.exe" >"$BUILD_DIR/run.log" 2>&1 &
app=$!
wine "$bin/ZelvanorCtl.exe" wait 30 >>"$BUILD_DIR/run.log" 2>&1 || { echo "Zelvanor's window did not appear; see $BUILD_DIR/run.log" >&2; exit 1; }
sleep 1
shot="$BUILD_DIR/screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
wine "$bin/ZelvanorCtl.exe" exit >>"$BUILD_DIR/run.log" 2>&1 || true
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "Zelvanor did not end within 10 s" >&2; exit 1; fi
wait "$app" || true
echo "Zelvanor ended cleanly"
