# Cross-compiling for Windows with mingw-w64 (i686), posix threads: the 32-bit program with its tests,
# run under Wine.
set(DROMIX_MINGW_TRIPLET i686-w64-mingw32)
set(DROMIX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
