# The main dialog under Wine with fake services (included by src/Program.cmake in Windows builds).
kv_add_gtest(NAME kv_program_dialog_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/KvRemoteDlgTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FakeDialogHooks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FakeDialogHooks.h
    ${KV_PROGRAM_UI_SOURCES}
  LIBS kv_program_ui_deps kv_res)
target_include_directories(kv_program_dialog_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(kv_program_dialog_test PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_options(kv_program_dialog_test PRIVATE -static)
