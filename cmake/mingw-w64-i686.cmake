# Cross-build for 32-bit Windows with MinGW-w64 (thread model posix).
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
