# Shared by the scripts: which architectures this machine can run, one build folder per
# architecture, configure and build, a virtual display with a window manager, and a Wine prefix of
# the build's own. Source it; do not run it.
ZELVANOR_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ZELVANOR_TOP/build}
ZELVANOR_ARCHS=(i686 x86_64)

# Does this machine run 32-bit Linux programs? 32-bit Wine is one, and some kernels answer every
# one of them with "Exec format error". The probe runs a 93-byte static i386 program that only
# exits, so it needs no package at all. Sets ZELVANOR_RUNS32 (1 or 0) and, when 0, ZELVANOR_NO32_WHY.
zelvanor_probe32() {
  [ -n "${ZELVANOR_RUNS32:-}" ] && return 0
  ZELVANOR_RUNS32=0
  if [ "${ZELVANOR_NO32:-}" = 1 ]; then
    ZELVANOR_NO32_WHY="ZELVANOR_NO32=1 is set"
    return 0
  fi
  case "$(uname -m)" in
    x86_64 | i?86) ;;
    *) ZELVANOR_NO32_WHY="this is a $(uname -m) machine, and Wine here runs only x86 programs"
       return 0 ;;
  esac
  local probe
  probe=$(mktemp "${TMPDIR:-/tmp}/zelvanor-probe32.XXXXXX")
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00'\
'\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  if "$probe" 2>/dev/null; then
    ZELVANOR_RUNS32=1
  else
    ZELVANOR_NO32_WHY="this machine's kernel does not run 32-bit Linux programs (Exec format error)"
  fi
  rm -f "$probe"
}

# The architectures whose programs this machine can run under Wine, best first.
zelvanor_runnable_archs() {
  zelvanor_probe32
  if [ "$ZELVANOR_RUNS32" = 1 ]; then echo i686 x86_64; else echo x86_64; fi
}

# Picks the architecture a script runs: ZELVANOR_ARCH if set, else i686 (the program as
# specified) where the machine runs it, else x86_64. Sets ZELVANOR_ARCH_CHOSEN and prints one line
# saying which and why; a forced i686 that cannot run ends the script here.
zelvanor_choose_arch() {  # script name
  zelvanor_probe32
  local forced=${ZELVANOR_ARCH:-}
  case "$forced" in
    "") if [ "$ZELVANOR_RUNS32" = 1 ]; then
          ZELVANOR_ARCH_CHOSEN=i686
          echo "$1: running the i686 (32-bit) Zelvanor: this machine runs 32-bit programs"
        else
          ZELVANOR_ARCH_CHOSEN=x86_64
          echo "$1: running the x86_64 (64-bit) Zelvanor: $ZELVANOR_NO32_WHY"
        fi ;;
    i686) if [ "$ZELVANOR_RUNS32" != 1 ]; then
            echo "$1: cannot run i686: 32-bit Wine needs 32-bit Linux programs, and $ZELVANOR_NO32_WHY; ZELVANOR_ARCH=x86_64 works here" >&2
            exit 1
          fi
          ZELVANOR_ARCH_CHOSEN=i686
          echo "$1: running the i686 (32-bit) Zelvanor: ZELVANOR_ARCH=i686" ;;
    x86_64) ZELVANOR_ARCH_CHOSEN=x86_64
            echo "$1: running the x86_64 (64-bit) Zelvanor: ZELVANOR_ARCH=x86_64" ;;
    *) echo "$1: ZELVANOR_ARCH must be i686 or x86_64, not '$forced'" >&2
       exit 1 ;;
  esac
}

zelvanor_arch_dir() {  # arch
  echo "$BUILD_DIR/$1"
}

zelvanor_build() {  # arch targets...
  local arch=$1
  shift
  "$ZELVANOR_TOP/tools/setup.sh"
  local dir
  dir=$(zelvanor_arch_dir "$arch")
  mkdir -p "$dir"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ZELVANOR_TOP" -B "$dir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ZELVANOR_TOP/cmake/mingw-$arch.cmake" >"$dir/configure.log" 2>&1 \
      || { cat "$dir/configure.log"; return 1; }
  fi
  cmake --build "$dir" "$@"
}

# Starts Xvfb on a free display number with openbox on it (without a window manager Wine waits
# 2 s on every hide and topmost stacking is wrong). Sets DISPLAY; zelvanor_stop_display undoes it.
# openbox runs with its own configuration but for one setting: it gives no window the focus when
# it maps it, as Windows never does for a window shown without activation, so that what a test
# sees of the keyboard is what Windows would do.
zelvanor_start_display() {  # log folder [screen size]
  local n=${ZELVANOR_DISPLAY_BASE:-90} config="$1/openbox-rc.xml"
  sed 's|<focusNew>yes</focusNew>|<focusNew>no</focusNew>|' /etc/xdg/openbox/rc.xml >"$config"
  grep -q '<focusNew>no</focusNew>' "$config" ||
    { echo "openbox's rc.xml has no focusNew setting to turn off" >&2; return 1; }
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${2:-1280x1024}x24" -nolisten tcp >"$1/xvfb.log" 2>&1 &
  ZELVANOR_XVFB_PID=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  export DISPLAY=":$n"
  openbox --config-file "$config" >"$1/openbox.log" 2>&1 &
  ZELVANOR_WM_PID=$!
  sleep 0.5
}

zelvanor_stop_display() {
  [ -n "${ZELVANOR_WM_PID:-}" ] && kill "$ZELVANOR_WM_PID" 2>/dev/null || true
  [ -n "${ZELVANOR_XVFB_PID:-}" ] && kill "$ZELVANOR_XVFB_PID" 2>/dev/null || true
  wait "${ZELVANOR_WM_PID:-}" "${ZELVANOR_XVFB_PID:-}" 2>/dev/null || true
  ZELVANOR_WM_PID= ZELVANOR_XVFB_PID=
}

# Wine for one architecture, by the loaders' own paths: Debian's "wine" wrapper picks the 32-bit
# loader whenever it is installed, even where it cannot run. One 64-bit server serves both kinds.
# Sets WINE (the loader to run programs with) and exports WINESERVER, WINEARCH.
zelvanor_use_wine() {  # arch
  if [ "$1" = i686 ]; then
    WINE=/usr/lib/wine/wine
    export WINEARCH=win32
  else
    WINE=/usr/lib/wine/wine64
    export WINEARCH=win64
  fi
  export WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver32
  export WINELOADER=$WINE
}

zelvanor_wineserver() {
  "$WINESERVER" "$@"
}

# A Wine prefix inside the architecture's build folder, one per purpose (one prefix per display).
# Created once: Chinese font links (else CJK text shows as boxes) and no crash dialog (a crashing
# test must fail, not hang).
zelvanor_wine_prefix() {  # arch name
  zelvanor_use_wine "$1"
  local dir
  dir=$(zelvanor_arch_dir "$1")
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$dir/wine-$2"
  [ -f "$WINEPREFIX/.zelvanor-ready-2" ] && return 0
  rm -rf "$WINEPREFIX"
  local log="$dir/wineboot-$2.log"
  "$WINE" wineboot -i >"$log" 2>&1
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" SimSun; do
    "$WINE" reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
      >>"$log" 2>&1
  done
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1
  # Our dialogs draw their own captions; a window manager's decorations would cover them.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >>"$log" 2>&1
  zelvanor_wineserver -w
  touch "$WINEPREFIX/.zelvanor-ready-2"
}

# Keeps Wine's server alive between programs and starts Wine's background services now, with
# their output in a file: started later under CTest they would inherit and hold CTest's output
# pipe, and CTest would wait on it.
zelvanor_wine_warm_up() {  # log file
  zelvanor_wineserver -p
  "$WINE" cmd /c exit >"$1" 2>&1 || true
}

# The start of every script that runs one architecture's programs on a virtual display: chooses
# the architecture (saying which and why), builds the targets, starts a display and the Wine
# prefix of the given purpose, and ends both when the script ends. Sets ZELVANOR_ARCH_CHOSEN and
# ZELVANOR_DIR (that architecture's build folder).
zelvanor_headless() {  # script prefix targets...
  local script=$1 prefix=$2
  shift 2
  zelvanor_choose_arch "$script"
  ZELVANOR_DIR=$(zelvanor_arch_dir "$ZELVANOR_ARCH_CHOSEN")
  zelvanor_build "$ZELVANOR_ARCH_CHOSEN" --target "$@"
  zelvanor_start_display "$ZELVANOR_DIR"
  trap 'zelvanor_wineserver -k 2>/dev/null || true; zelvanor_stop_display' EXIT
  zelvanor_wine_prefix "$ZELVANOR_ARCH_CHOSEN" "$prefix"
  zelvanor_wine_warm_up "$ZELVANOR_DIR/warmup.log"
}

# A test prefix at another DPI: LogPixels in both places Wine reads it, taken when the prefix's
# server next starts.
zelvanor_wine_prefix_dpi() {  # arch dpi
  zelvanor_wine_prefix "$1" "test-dpi$2"
  [ -f "$WINEPREFIX/.zelvanor-dpi" ] && return 0
  local log="$WINEPREFIX/../wineboot-test-dpi$2.log"
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >>"$log" 2>&1
  "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$2" /f >>"$log" 2>&1
  zelvanor_wineserver -w
  touch "$WINEPREFIX/.zelvanor-dpi"
}

# The stand-in Xinerama library built into a folder: for a Wine of 32 or 64 bits, or for the host
# (the window manager) when no bits are given.
zelvanor_monitors_library() {  # folder [bits]
  mkdir -p "$1"
  gcc ${2:+-m$2} -std=c99 -O2 -Wall -Wextra -Werror -shared -fPIC -nostdlib -fno-stack-protector \
    -o "$1/libXinerama.so.1" "$ZELVANOR_TOP/tests/monitors/XineramaStandIn.c"
}

# The two monitors every monitor test starts from, in the file the stand-in reads.
zelvanor_monitors_layout() {  # file
  mkdir -p "${1%/*}"
  printf '1280x1024+0+0\n1024x768+1280+0\n' >"$1"
}

# A display for the monitor tests, as large as the whole layout. Its window manager takes the
# same monitors, through a host build of the stand-in, so that it maximises a window on the
# monitor the window is on, as Windows does, not over the whole X screen. It reads them once.
zelvanor_start_monitors_display() {  # arch log-folder
  local lib
  lib="$(zelvanor_arch_dir "$1")/monitors"
  zelvanor_monitors_library "$lib/host"
  zelvanor_monitors_layout "$lib/layout"
  LD_LIBRARY_PATH="$lib/host" ZELVANOR_MONITORS_FILE="$lib/layout" \
    zelvanor_start_display "$2" 2304x1024
}

# Several monitors under Wine: one X screen as large as the whole layout, and a stand-in Xinerama
# library (built here for the architecture's Wine) that reports the layout in
# ZELVANOR_MONITORS_FILE; Wine reads Xinerama only with XRandR turned off in the prefix. A test
# changes the layout by rewriting the file; ChangeDisplaySettingsExW(NULL, ...) from a process
# started after that (each reads the monitors once) makes Wine take them and send WM_DISPLAYCHANGE.
zelvanor_monitors() {  # arch
  local dir lib bits=64
  dir=$(zelvanor_arch_dir "$1")
  lib="$dir/monitors"
  [ "$1" = i686 ] && bits=32
  zelvanor_monitors_library "$lib" $bits
  zelvanor_monitors_layout "$lib/layout"
  export LD_LIBRARY_PATH="$lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
  export ZELVANOR_MONITORS_FILE="$lib/layout"
  zelvanor_wine_prefix "$1" test-monitors
  [ -f "$WINEPREFIX/.zelvanor-monitors" ] && return 0
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f \
    >>"$dir/wineboot-test-monitors.log" 2>&1
  zelvanor_wineserver -w
  touch "$WINEPREFIX/.zelvanor-monitors"
}
