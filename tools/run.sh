#!/usr/bin/env bash
# Builds Zelvanor.exe and starts it under Wine: the i686 program where this machine runs 32-bit
# programs, else the x86_64 one (ZELVANOR_ARCH forces one). With DISPLAY set it runs on that
# display until it ends. Without one it runs on a virtual display of its own, takes a screenshot
# once the bar is up, prints the PNG's path and ends the program through its own exit command.
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ -n "${DISPLAY:-}" ]; then
  zelvanor_choose_arch run
  zelvanor_build "$ZELVANOR_ARCH_CHOSEN" --target Zelvanor
  zelvanor_wine_prefix "$ZELVANOR_ARCH_CHOSEN" run
  exec "$WINE" "$(zelvanor_arch_dir "$ZELVANOR_ARCH_CHOSEN")/bin/Zelvanor.exe"
fi
zelvanor_headless run run Zelvanor ZelvanorCtl
bin="$ZELVANOR_DIR/bin"
log="$ZELVANOR_DIR/run.log"
"$WINE" "$bin/Zelvanor.exe" >"$log" 2>&1 &
app=$!
"$WINE" "$bin/ZelvanorCtl.exe" wait 30 >>"$log" 2>&1 \
  || { echo "Zelvanor's window did not appear; see $log" >&2; exit 1; }
sleep 1
shot="$BUILD_DIR/screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
"$WINE" "$bin/ZelvanorCtl.exe" exit >>"$log" 2>&1 || true
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "Zelvanor did not end within 10 s" >&2; exit 1; fi
wait "$app" || true
echo "Zelvanor ended cleanly"
