# Cross-compiling for Windows with mingw-w64 (x86_64), posix threads: the 64-bit program with its
# tests, run under Wine.
set(DROMIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(DROMIX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
