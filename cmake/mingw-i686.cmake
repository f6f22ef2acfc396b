# Cross-building for 32-bit Windows with MinGW-w64. Libraries built for it, such
# as PCRE2, live under BRAMLET_MINGW_PREFIX, by default the cache that
# scripts/setup-windows fills.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(BRAMLET_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
