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
# Every Wine suite of a 32-bit build needs 32-bit Wine (Debian's wine32) and carries the label
# wine32; scripts/test.sh reports them skipped where apt could not install it.
set(KV_WINE32_LABEL "")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KV_WINE32_LABEL wine32)
endif()

if(WIN32 AND NOT TEST wine_prefix)
  add_test(NAME wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${KV_WINE_PREFIX})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 600
                                               LABELS "${KV_WINE32_LABEL}")
  # A prefix of its own whose screen has 144 DPI (150 %): the display DPI is a setting of the
  # prefix, and the suites of the other prefix run beside it.
  set(KV_WINE_PREFIX_144 ${CMAKE_BINARY_DIR}/wineprefix-dpi144)
  add_test(NAME wine_prefix_dpi144 COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${KV_WINE_PREFIX_144} 144)
  set_tests_properties(wine_prefix_dpi144 PROPERTIES FIXTURES_SETUP wine_dpi144 RESOURCE_LOCK wine_dpi144
                       TIMEOUT 600 LABELS "${KV_WINE32_LABEL}")
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
    set(labels win ${KV_WINE32_LABEL} ${T_LABELS})
    add_test(NAME ${T_NAME} COMMAND ${KV_WINE_RUN} ${KV_WINE_PREFIX} $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT ${T_TIMEOUT}
                         LABELS "${labels}")
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "unit;${T_LABELS}")
  endif()
endfunction()

# kv_add_gtest_at_144_dpi(NAME name FILTER gtest-filter)
# Runs the tests of the Windows suite NAME that FILTER selects once more, in the 144-DPI prefix
# (test NAME_dpi144). KV_EXPECT_DPI tells them the DPI they must find.
function(kv_add_gtest_at_144_dpi)
  cmake_parse_arguments(T "" "NAME;FILTER" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  set(labels win dpi ${KV_WINE32_LABEL})
  add_test(NAME ${T_NAME}_dpi144
           COMMAND ${KV_WINE_RUN} ${KV_WINE_PREFIX_144} $<TARGET_FILE:${T_NAME}> --gtest_filter=${T_FILTER})
  set_tests_properties(${T_NAME}_dpi144 PROPERTIES FIXTURES_REQUIRED wine_dpi144 RESOURCE_LOCK wine_dpi144
                       TIMEOUT 300 ENVIRONMENT KV_EXPECT_DPI=144 LABELS "${labels}")
endfunction()
