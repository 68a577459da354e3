# Cross toolchain for 32-bit Windows: mingw-w64 i686, the rest in toolchain-mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
