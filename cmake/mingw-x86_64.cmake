# 64-bit Windows: the same program for 64-bit systems.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZELVANOR_TRIPLE x86_64-w64-mingw32)
set(ZELVANOR_WINE wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
