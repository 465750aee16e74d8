# Cross-compiling for Windows with mingw-w64 (i686), win32 threads: the shipped 32-bit program.
set(DROMIX_MINGW_TRIPLET i686-w64-mingw32)
set(DROMIX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
