# Warning flags for our own targets only (never for GoogleTest's sources).
function(kv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(WIN32)
    # Win32 callbacks and message crackers often leave parameters unused by design.
    target_compile_options(${target} PRIVATE -Wno-cast-function-type)
  endif()
endfunction()
