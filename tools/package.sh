#!/usr/bin/env bash
# Builds both architectures and writes the release packages dist/Zelvanor-<version>-win32.zip
# (the 32-bit program) and dist/Zelvanor-<version>-win64.zip (the same program for 64-bit
# Windows), each holding Zelvanor.exe (stripped),
# README.txt and english/qorv.dll (the English texts), and dist/SHA256SUMS beside them.
# The version is the product version of the program's own version block. The same commit gives
# the same bytes: the program carries no link time, and the ZIPs list their files in a fixed
# order with the commit's time. Fails if an executable imports anything but system DLLs, misses
# a security flag, or names the common controls of another architecture in its manifest.
set -euo pipefail
source "$(dirname "$0")/common.sh"
version=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$ZELVANOR_TOP/res/Zelvanor.rc")
[ -n "$version" ] || { echo "package: no ProductVersion in res/Zelvanor.rc" >&2; exit 1; }
dist="$ZELVANOR_TOP/dist"
mkdir -p "$dist"
# Every file in the ZIPs carries the time of the commit (SOURCE_DATE_EPOCH wins where set).
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$ZELVANOR_TOP" log -1 --format=%ct 2>/dev/null || echo 315532800)}
# DLLs that every Windows since 7 has in its system folder.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
  psapi.dll shell32.dll user32.dll uxtheme.dll version.dll "
for arch in "${ZELVANOR_ARCHS[@]}"; do
  dir=$(zelvanor_arch_dir "$arch")
  zelvanor_build "$arch" --target Zelvanor ZelvanorEnglish >/dev/null
  exe="$dir/bin/Zelvanor.exe"
  imports=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z')
  for dll in $imports; do
    case "$system_dlls" in
      *" $dll "*) ;;
      *) echo "package: $arch Zelvanor.exe imports $dll, which Windows does not ship" >&2; exit 1 ;;
    esac
  done
  if [ "$arch" = i686 ]; then
    platform="32-bit Windows" suffix=win32 manifest_arch=x86 flags="DYNAMIC_BASE NX_COMPAT"
    note="This is the 32-bit program; it hides and shows the windows of 32-bit and 64-bit programs alike."
  else
    platform="64-bit Windows" suffix=win64 manifest_arch=amd64
    flags="DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA"
    note="This is the 64-bit program, for 64-bit Windows; it hides and shows the windows of 64-bit and 32-bit programs alike."
  fi
  stage="$dir/package"
  rm -rf "$stage"
  mkdir -p "$stage"
  # strip writes the time of day into the header unless SOURCE_DATE_EPOCH says otherwise; 0 is
  # what the linker leaves there (no time).
  SOURCE_DATE_EPOCH=0 "$arch-w64-mingw32-strip" -o "$stage/Zelvanor.exe" "$exe"
  mkdir "$stage/english"
  cp "$dir/bin/english/qorv.dll" "$stage/english/qorv.dll"
  # Notepad on older Windows wants CRLF, and a BOM to read the Chinese menu texts as UTF-8.
  { printf '\xef\xbb\xbf'
    sed -e "s/@VERSION@/$version/" -e "s/@PLATFORM@/$platform/" -e "s/@NOTE@/$note/" \
      "$ZELVANOR_TOP/tools/package/README.txt" | sed 's/$/\r/'; } >"$stage/README.txt"
  files=(Zelvanor.exe README.txt english/qorv.dll)
  shipped="$stage/Zelvanor.exe"
  header=$("$arch-w64-mingw32-objdump" -p "$shipped")
  field() { sed -n "s/^$1[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))/\1/p" <<<"$header"; }
  machine=$("$arch-w64-mingw32-objdump" -f "$shipped" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')
  fail() { echo "package: $arch Zelvanor.exe $*" >&2; exit 1; }
  [ "$(field Subsystem)" = "Windows GUI" ] || fail "is no GUI program"
  for flag in $flags TERMINAL_SERVICE_AWARE; do
    grep -qx "[[:space:]]*$flag" <<<"$header" || fail "lacks $flag"
  done
  grep -q '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970' <<<"$header" || fail "carries a link time"
  # Every architecture that the embedded manifest names must be the program's own: the 64-bit
  # program bound to the 32-bit common controls does not start.
  named=$({ grep -ao 'processorArchitecture="[^"]*"' "$shipped" || true; } | sort -u)
  [ "$named" = "processorArchitecture=\"$manifest_arch\"" ] ||
    fail "has a manifest naming ${named:-no architecture}, not \"$manifest_arch\" alone"
  zip="$dist/Zelvanor-$version-$suffix.zip"
  rm -f "$zip"
  chmod 644 "${files[@]/#/$stage/}"
  touch -d "@$epoch" "${files[@]/#/$stage/}"
  # -X: no owner or access times, -D: no folder entries; UTC: a ZIP's DOS times are local times.
  (cd "$stage" && TZ=UTC zip -q -X -D "$zip" "${files[@]}")
  echo "$zip: $(field Magic) $machine $(field Subsystem) program of $(stat -c %s "$shipped") bytes," \
    "manifest $manifest_arch, imports:" $imports
done
(cd "$dist" && sha256sum -- Zelvanor-"$version"-win32.zip Zelvanor-"$version"-win64.zip >SHA256SUMS)
cat "$dist/SHA256SUMS"
