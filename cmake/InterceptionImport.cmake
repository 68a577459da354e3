# The import library for interception.dll and the driver table filled from it (Windows only).
# The import library is made from our own .def, so the program binds at load time by name to
# whichever interception.dll sits beside it: the real driver's, or the simulated one in tests.
# The names are plain cdecl C names; dlltool's default decoration (a leading underscore on i686,
# none on x86_64) matches what the compiler emits for them, so no -k or --no-leading-underscore.

set(KV_INTERCEPTION_DEF ${CMAKE_SOURCE_DIR}/src/capture/interception.def)
set(KV_INTERCEPTION_IMPLIB ${CMAKE_BINARY_DIR}/interception/libinterception_import.a)

add_custom_command(
  OUTPUT ${KV_INTERCEPTION_IMPLIB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/interception
  COMMAND ${KV_DLLTOOL} -d ${KV_INTERCEPTION_DEF} -l ${KV_INTERCEPTION_IMPLIB} -D interception.dll
  DEPENDS ${KV_INTERCEPTION_DEF}
  COMMENT "Import library for interception.dll"
  VERBATIM)
add_custom_target(interception_implib DEPENDS ${KV_INTERCEPTION_IMPLIB})

add_library(interception_import INTERFACE)
target_link_libraries(interception_import INTERFACE ${KV_INTERCEPTION_IMPLIB})
add_dependencies(interception_import interception_implib)

# const DriverApi& InterceptionDriver(): the driver table bound to the imported functions.
add_library(kv_interception_win32 OBJECT ${CMAKE_SOURCE_DIR}/src/capture/InterceptionDriverWin32.cpp)
target_include_directories(kv_interception_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
add_dependencies(kv_interception_win32 interception_implib)
kv_warnings(kv_interception_win32)
