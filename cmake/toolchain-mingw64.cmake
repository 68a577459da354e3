# Cross toolchain for 64-bit Windows: mingw-w64 x86_64, the rest in toolchain-mingw-common.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
