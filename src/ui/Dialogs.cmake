# The Win32 dialogs and controls the main dialog opens: the LED and label controls, the about box
# and the auxiliary devices setup dialog. Included by src/Program.cmake in Windows builds; the
# program and tests/win/ui link kv_ui_dialogs_win32.
if(WIN32 AND NOT TARGET kv_ui_dialogs_win32)
  add_library(kv_ui_dialogs_win32 OBJECT
    ${CMAKE_CURRENT_LIST_DIR}/Led.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Led.h
    ${CMAKE_CURRENT_LIST_DIR}/Label.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Label.h
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/AuxDevicesDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AuxDevicesDlg.h
  )
  target_compile_definitions(kv_ui_dialogs_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_libraries(kv_ui_dialogs_win32 PUBLIC winfx kv_ui_core kv_capture_core kv_app_core
                        comctl32 gdi32 user32 shell32)
  kv_warnings(kv_ui_dialogs_win32)
endif()
