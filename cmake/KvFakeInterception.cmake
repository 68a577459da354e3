# kv_fake_interception(OUTPUT path CPU x86_64|i686 [LEAVE_OUT_HARDWARE_ID])
# A real PE DLL with the Interception library's exports (tests/unit/installer/FakeInterception.c),
# linked by that CPU's mingw compiler: for tests of what is done with a given interception.dll.
# Sets KV_FAKE_INTERCEPTION_FOUND to OFF in the caller when the compiler is missing.
function(kv_fake_interception)
  cmake_parse_arguments(F "LEAVE_OUT_HARDWARE_ID" "OUTPUT;CPU" "" ${ARGN})
  find_program(KV_MINGW_GCC_${F_CPU} ${F_CPU}-w64-mingw32-gcc)
  if(NOT KV_MINGW_GCC_${F_CPU})
    set(KV_FAKE_INTERCEPTION_FOUND OFF PARENT_SCOPE)
    return()
  endif()
  set(source ${PROJECT_SOURCE_DIR}/tests/unit/installer/FakeInterception.c)
  set(flags -shared)
  if(F_LEAVE_OUT_HARDWARE_ID)
    list(APPEND flags -DLEAVE_OUT_HARDWARE_ID)
  endif()
  get_filename_component(dir ${F_OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${F_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${KV_MINGW_GCC_${F_CPU}} -nostdlib -s -O1 ${flags} -o ${F_OUTPUT} ${source}
    DEPENDS ${source}
    VERBATIM)
  set(KV_FAKE_INTERCEPTION_FOUND ON PARENT_SCOPE)
endfunction()
