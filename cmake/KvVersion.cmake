# The one version number (the top-level project(VERSION)) and publisher, for every binary: the
# header KvVersion.h (build/<preset>/generated/) and kv_version_resource(), which gives a target
# the version resource of src/res/VersionInfo.rci.
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    set(KV_VERSION_${part} 0)
  else()
    set(KV_VERSION_${part} ${PROJECT_VERSION_${part}})
  endif()
endforeach()
set(KV_VERSION_QUAD "${KV_VERSION_MAJOR}.${KV_VERSION_MINOR}.${KV_VERSION_PATCH}.${KV_VERSION_TWEAK}")
set(KV_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/KvVersion.h.in ${KV_GENERATED_DIR}/KvVersion.h @ONLY)

# kv_version_resource(target DESCRIPTION text FILENAME name TYPE VFT_APP|VFT_DLL)
# Windows builds: a resource script of the target's own that fills the shared version resource.
function(kv_version_resource target)
  cmake_parse_arguments(V "" "DESCRIPTION;FILENAME;TYPE" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  get_filename_component(internal ${V_FILENAME} NAME_WE)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  file(CONFIGURE OUTPUT ${script} CONTENT [[
// Written by kv_version_resource() (cmake/KvVersion.cmake).
#include <windows.h>
#define KV_FILE_DESCRIPTION "@V_DESCRIPTION@"
#define KV_INTERNAL_NAME "@internal@"
#define KV_ORIGINAL_FILENAME "@V_FILENAME@"
#define KV_FILE_TYPE @V_TYPE@
#include "VersionInfo.rci"
]] @ONLY)
  target_sources(${target} PRIVATE ${script})
  target_include_directories(${target} PRIVATE ${KV_GENERATED_DIR} ${PROJECT_SOURCE_DIR}/src/res)
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS
                              "${KV_GENERATED_DIR}/KvVersion.h;${PROJECT_SOURCE_DIR}/src/res/VersionInfo.rci")
endfunction()
