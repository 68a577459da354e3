# Test registration. Native suites run directly; Windows suites run under Wine through
# scripts/wine-run.sh, which owns a private Xvfb and wineserver per run and stops both by pid.
# Nothing runs Wine at configure or build time: the prefix is made by the first test that needs it.

if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

set(KV_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(KV_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

if(WIN32 AND NOT TEST wine_prefix)
  add_test(NAME wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${KV_WINE_PREFIX})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 600)
endif()

# kv_add_gtest(NAME name SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# A GoogleTest program; natively it runs as is, in a Windows build under Wine.
function(kv_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  kv_warnings(${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(WIN32)
    add_test(NAME ${T_NAME} COMMAND ${KV_WINE_RUN} ${KV_WINE_PREFIX} $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT ${T_TIMEOUT}
                         LABELS "win;${T_LABELS}")
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "unit;${T_LABELS}")
  endif()
endfunction()
