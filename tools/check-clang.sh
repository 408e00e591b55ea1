#!/usr/bin/env bash
# Compiles the program's own sources with Debian's clang for one MinGW triple, with the warnings
# of the GCC build as errors, compile-only: the code must not lean on what only GCC accepts. The
# GCC build stays the one that links and ships. Run by CTest as the test ClangCompilesTheProgram
# (each architecture's build checks its own triple); exits 77 (skipped) where clang is missing.
set -uo pipefail
triple=${1:?usage: check-clang.sh i686-w64-mingw32|x86_64-w64-mingw32}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
command -v clang++ >/dev/null || { echo "clang++ is not installed (tools/setup.sh installs it)"; exit 77; }
# clang finds MinGW's headers itself but not GCC's C++ library: name the posix build's, which
# the GCC build uses too.
cxx=$(ls -d /usr/lib/gcc/"$triple"/*-posix/include/c++ 2>/dev/null | sort -V | tail -n 1)
[ -n "$cxx" ] || { echo "no C++ library headers of $triple"; exit 1; }
sources=(framework/*.cpp areas/*.cpp bar/*.cpp skin/*.cpp tray/*.cpp app/*.cpp tools/ZelvanorCtl.cpp)
echo "clang++ --target=$triple: ${#sources[@]} sources"
# The definitions and warnings of the GCC build (CMakeLists.txt, zelvanor_flags).
exec clang++ --target="$triple" -std=c++17 -fsyntax-only -Wall -Wextra -Wshadow -Werror \
  -isystem "$cxx" -isystem "$cxx/$triple" -I "$top" -I "$top/framework" \
  -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -D_WIN32_IE=0x0800 -DNOMINMAX \
  "${sources[@]}"
