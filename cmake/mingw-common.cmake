# Cross-compiling for Windows with MinGW-w64, included by the toolchain file of each
# architecture after it has set ZELVANOR_TRIPLE (the compilers' prefix) and ZELVANOR_WINE (the
# Wine loader of that bitness). The posix thread model: GoogleTest needs std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZELVANOR_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVANOR_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVANOR_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZELVANOR_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run through the loader itself: Debian's "wine" wrapper takes the 32-bit loader whenever
# it is installed, even where it cannot run.
if(EXISTS /usr/lib/wine/${ZELVANOR_WINE})
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/${ZELVANOR_WINE})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVANOR_WINE})
endif()
