# What the mingw-w64 toolchains share. The including toolchain file sets DROMIX_MINGW_TRIPLET
# (i686-w64-mingw32 or x86_64-w64-mingw32) and DROMIX_MINGW_THREADS ("posix" for the test builds,
# whose GoogleTest needs std::mutex, or "win32" for the shipped one).
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${DROMIX_MINGW_TRIPLET})
if(DROMIX_MINGW_THREADS STREQUAL "posix")
  set(CMAKE_C_COMPILER ${DROMIX_MINGW_TRIPLET}-gcc-posix)
  set(CMAKE_CXX_COMPILER ${DROMIX_MINGW_TRIPLET}-g++-posix)
  # The test builds' programs run under Wine.
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run")
else()
  set(CMAKE_C_COMPILER ${DROMIX_MINGW_TRIPLET}-gcc)
  set(CMAKE_CXX_COMPILER ${DROMIX_MINGW_TRIPLET}-g++)
endif()
set(CMAKE_RC_COMPILER ${DROMIX_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DROMIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
