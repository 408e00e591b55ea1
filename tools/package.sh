#!/usr/bin/env bash
# Builds both architectures and writes the release packages dist/Zelvanor-<version>-win32.zip
# (the 32-bit program) and dist/Zelvanor-<version>-win64.zip (the same program for 64-bit
# Windows), each holding Zelvanor.exe, README.txt and english/qorv.dll (the English texts). The
# version is the product version of the program's own version block. Fails if an executable
# imports anything but system DLLs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
version=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$ZELVANOR_TOP/res/Zelvanor.rc")
[ -n "$version" ] || { echo "package: no ProductVersion in res/Zelvanor.rc" >&2; exit 1; }
dist="$ZELVANOR_TOP/dist"
mkdir -p "$dist"
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
    platform="32-bit Windows" suffix=win32
    note="This is the 32-bit program; it hides and shows the windows of 32-bit and 64-bit programs alike."
  else
    platform="64-bit Windows" suffix=win64
    note="This is the 64-bit program, for 64-bit Windows; it hides and shows the windows of 64-bit and 32-bit programs alike."
  fi
  stage="$dir/package"
  rm -rf "$stage"
  mkdir -p "$stage"
  cp "$exe" "$stage/Zelvanor.exe"
  mkdir "$stage/english"
  cp "$dir/bin/english/qorv.dll" "$stage/english/qorv.dll"
  # Notepad on older Windows wants CRLF, and a BOM to read the Chinese menu texts as UTF-8.
  { printf '\xef\xbb\xbf'
    sed -e "s/@VERSION@/$version/" -e "s/@PLATFORM@/$platform/" -e "s/@NOTE@/$note/" \
      "$ZELVANOR_TOP/tools/package/README.txt" | sed 's/$/\r/'; } >"$stage/README.txt"
  zip="$dist/Zelvanor-$version-$suffix.zip"
  rm -f "$zip"
  (cd "$stage" && cmake -E tar cf "$zip" --format=zip Zelvanor.exe README.txt english/qorv.dll)
  header=$("$arch-w64-mingw32-objdump" -p "$exe")
  field() { sed -n "s/^$1[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))/\1/p" <<<"$header"; }
  machine=$("$arch-w64-mingw32-objdump" -f "$exe" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')
  [ "$(field Subsystem)" = "Windows GUI" ] || { echo "package: $arch Zelvanor.exe is no GUI program" >&2; exit 1; }
  echo "$zip: $(field Magic) $machine $(field Subsystem) program, imports:" $imports
done
