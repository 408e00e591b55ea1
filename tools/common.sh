# Shared by the run, test and bench scripts: build folder, configure and build, a virtual display
# with a window manager, and a Wine prefix of the build's own. Source it; do not run it.
ZELVANOR_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ZELVANOR_TOP/build}

zelvanor_build() {  # targets...
  "$ZELVANOR_TOP/tools/setup.sh"
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ZELVANOR_TOP" -B "$BUILD_DIR" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ZELVANOR_TOP/cmake/mingw-i686.cmake" >"$BUILD_DIR/configure.log" 2>&1 \
      || { cat "$BUILD_DIR/configure.log"; return 1; }
  fi
  cmake --build "$BUILD_DIR" "$@"
}

# Starts Xvfb on a free display number with openbox on it (without a window manager Wine waits
# 2 s on every hide and topmost stacking is wrong). Sets DISPLAY; zelvanor_stop_display undoes it.
zelvanor_start_display() {
  local n=${ZELVANOR_DISPLAY_BASE:-90}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$BUILD_DIR/xvfb.log" 2>&1 &
  ZELVANOR_XVFB_PID=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  export DISPLAY=":$n"
  openbox >"$BUILD_DIR/openbox.log" 2>&1 &
  ZELVANOR_WM_PID=$!
  sleep 0.5
}

zelvanor_stop_display() {
  [ -n "${ZELVANOR_WM_PID:-}" ] && kill "$ZELVANOR_WM_PID" 2>/dev/null || true
  [ -n "${ZELVANOR_XVFB_PID:-}" ] && kill "$ZELVANOR_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}

# A 32-bit Wine prefix inside the build folder, one per purpose (one prefix per display).
# Created once: Chinese font links (else CJK text shows as boxes) and no crash dialog (a crashing
# test must fail, not hang).
zelvanor_wine_prefix() {  # name
  export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$BUILD_DIR/wine-$1"
  [ -f "$WINEPREFIX/.zelvanor-ready-2" ] && return 0
  rm -rf "$WINEPREFIX"
  wineboot -i >"$BUILD_DIR/wineboot-$1.log" 2>&1
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" SimSun; do
    wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
      >>"$BUILD_DIR/wineboot-$1.log" 2>&1
  done
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$BUILD_DIR/wineboot-$1.log" 2>&1
  # Our dialogs draw their own captions; a window manager's decorations would cover them.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
    >>"$BUILD_DIR/wineboot-$1.log" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.zelvanor-ready-2"
}
