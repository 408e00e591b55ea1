#!/usr/bin/env bash
# Installs from Debian's packages whatever building and running Zelvanor under Wine needs.
# Checks first, so a second run costs a fraction of a second.
set -euo pipefail
pkgs=(cmake ninja-build googletest g++-mingw-w64-i686 wine wine32:i386 wine64
      xvfb xauth x11-utils xdotool imagemagick openbox fonts-wqy-microhei)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "setup: installing ${missing[*]}" >&2
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
