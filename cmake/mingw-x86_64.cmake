# Cross-building for 64-bit Windows with MinGW-w64 (the posix thread model,
# which has std::mutex). Libraries built for it, such as PCRE2, live under
# BRAMLET_MINGW_PREFIX, by default the cache that scripts/setup-windows fills.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT BRAMLET_MINGW_PREFIX)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(BRAMLET_MINGW_PREFIX "$ENV{XDG_CACHE_HOME}/bramlet/mingw-x86_64")
  else()
    set(BRAMLET_MINGW_PREFIX "$ENV{HOME}/.cache/bramlet/mingw-x86_64")
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${BRAMLET_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
