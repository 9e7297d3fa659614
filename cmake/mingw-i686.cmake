# Cross build for 32-bit Windows: compiled and linked only, never run here.
set(KESTRIN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
