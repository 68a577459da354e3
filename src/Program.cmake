# The program kvRemote.exe (Windows builds only; included by src/CMakeLists.txt).
#
# kv_program_ui holds the main dialog and its glue over the service interfaces of ui/AppServices.h,
# so tests can run it with fakes; the executable adds the application object and the real services
# (KvCom, interception.dll, the Windows profile functions).

include(${CMAKE_CURRENT_SOURCE_DIR}/ui/Dialogs.cmake OPTIONAL)

# The main dialog's sources without the dialog hooks, which tests replace with their own.
set(KV_PROGRAM_UI_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/AppServices.h
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/DialogHooks.h
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlg.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlg.h
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlgLink.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlgSend.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlgSettings.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/KvRemoteDlgTray.cpp
)
add_library(kv_program_ui_deps INTERFACE)
target_include_directories(kv_program_ui_deps INTERFACE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_compile_definitions(kv_program_ui_deps INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(kv_program_ui_deps INTERFACE
  winfx kv_app_core kv_capture_core kv_remote_core kv_ui_core comctl32 shell32 user32)

# Compiled once: the program links it with the real hooks, the dialog's Wine suite with fakes.
add_library(kv_program_ui_core OBJECT ${KV_PROGRAM_UI_SOURCES})
target_link_libraries(kv_program_ui_core PUBLIC kv_program_ui_deps)
kv_warnings(kv_program_ui_core)

add_library(kv_program_ui STATIC ui/DialogHooks.cpp)
target_link_libraries(kv_program_ui PUBLIC kv_program_ui_core)
if(TARGET kv_ui_dialogs_win32)
  target_link_libraries(kv_program_ui PUBLIC kv_ui_dialogs_win32)
endif()
kv_warnings(kv_program_ui)

add_executable(kvRemote WIN32
  app/KvRemoteApp.cpp
  app/KvRemoteApp.h
  app/WinMain.cpp
  ui/AppServicesWin32.cpp
  ui/AppServicesWin32.h
)
# kvcom/ is added after src/; its target is resolved by name when the build is generated.
target_link_libraries(kvRemote PRIVATE
  kv_program_ui kv_app_win32 kv_capture_win32 kv_remote_win32 kv_res kv_interception_win32
  interception_import kvcom ws2_32 comctl32 shell32 -static)
kv_warnings(kvRemote)
