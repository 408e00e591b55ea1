# 32-bit Windows: the program as specified.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZELVANOR_TRIPLE i686-w64-mingw32)
set(ZELVANOR_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
