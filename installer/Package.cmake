# Packs what a Windows user downloads, run as a script (cmake -D... -P Package.cmake) by the build
# and by the signing test:
#   OUT_DIR, SETUP, PORTABLE    where the staged files, the installer and the portable zip go
#   PROGRAM KVCOM KVLISTEN DLLCHECK NOTES ICON NSI   the inputs
#   ARCH VERSION VERSION4 VERSION_MAJOR VERSION_MINOR PUBLISHER COPYRIGHT   for the installer's texts
#   MAKENSIS                    makensis, or empty for the zip alone
#   SIGN_SCRIPT, SIGN_EXPECTED  the signing wrapper; ON when the build was configured for signing
# With KV_SIGN_PFX in the environment, every shipped .exe and .dll is signed before it is packed,
# and makensis signs the installer and its uninstaller through the same wrapper.
cmake_minimum_required(VERSION 3.25)

set(signing OFF)
if(NOT "$ENV{KV_SIGN_PFX}" STREQUAL "")
  set(signing ON)
elseif(SIGN_EXPECTED)
  message(FATAL_ERROR "configured for signing, but KV_SIGN_PFX is not set in the build's environment")
endif()

set(stage ${OUT_DIR}/portable/kvRemote)
file(REMOVE_RECURSE ${OUT_DIR}/portable ${OUT_DIR}/signed)
file(MAKE_DIRECTORY ${stage} ${OUT_DIR}/signed)
file(COPY_FILE ${PROGRAM} ${stage}/kvRemote.exe)
file(COPY_FILE ${KVCOM} ${stage}/KvCom.dll)
file(COPY_FILE ${KVLISTEN} ${stage}/kvlisten.exe)
configure_file(${NOTES} ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF) # its version from project()
file(COPY_FILE ${DLLCHECK} ${OUT_DIR}/signed/kvdllcheck.exe)
set(shipped ${stage}/kvRemote.exe ${stage}/KvCom.dll ${stage}/kvlisten.exe ${OUT_DIR}/signed/kvdllcheck.exe)

if(signing)
  foreach(f IN LISTS shipped)
    execute_process(COMMAND sh ${SIGN_SCRIPT} ${f} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "could not sign ${f}")
    endif()
  endforeach()
endif()

file(REMOVE ${PORTABLE})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${PORTABLE} --format=zip kvRemote
                WORKING_DIRECTORY ${OUT_DIR}/portable RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not pack ${PORTABLE}")
endif()

if(MAKENSIS)
  set(sign_define)
  if(signing)
    set(sign_define -DSIGN=${SIGN_SCRIPT})
  endif()
  file(REMOVE ${SETUP})
  execute_process(
    COMMAND ${MAKENSIS} -V2 -DARCH=${ARCH} -DVERSION=${VERSION} -DVERSION4=${VERSION4}
            -DVERSION_MAJOR=${VERSION_MAJOR} -DVERSION_MINOR=${VERSION_MINOR} "-DPUBLISHER=${PUBLISHER}" "-DCOPYRIGHT=${COPYRIGHT}"
            -DPROGRAM=${stage}/kvRemote.exe -DKVCOM=${stage}/KvCom.dll -DKVLISTEN=${stage}/kvlisten.exe
            -DDLLCHECK=${OUT_DIR}/signed/kvdllcheck.exe -DNOTES=${stage}/README.txt -DICON=${ICON}
            -DOUTFILE=${SETUP} ${sign_define} ${NSI}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "makensis failed (${rc})")
  endif()
endif()
