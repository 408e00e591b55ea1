#!/usr/bin/env bash
# Installs from Debian's packages whatever building and running Zelvanor under Wine needs: both
# cross compilers always, 64-bit Wine always, 32-bit Wine only where this machine runs 32-bit
# programs (elsewhere it installs but cannot start); zip for the release packages, clang for the
# second compiler's check, stress-ng to run the suite on a busy machine, gcc for the stand-in
# Xinerama library of the monitor tests. Checks first, so a second run costs a fraction of a second.
set -euo pipefail
source "$(dirname "$0")/common.sh"
pkgs=(cmake ninja-build googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64
      xvfb xauth x11-utils xdotool imagemagick openbox fonts-wqy-microhei zip clang stress-ng
      gcc)
zelvanor_probe32
[ "$ZELVANOR_RUNS32" = 1 ] && pkgs+=(wine32:i386)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "setup: installing ${missing[*]}" >&2
if [ "$ZELVANOR_RUNS32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
