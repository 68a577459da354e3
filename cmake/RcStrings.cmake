# Writes the string table of a resource script as C++ initialisers ({IDS_NAME, "text"},), so a
# station without Windows' string table shows the same texts. Entries that are not a plain string
# (a macro) are left out.   cmake -DIN=kvRemote.rc -DOUT=Strings.inc -P RcStrings.cmake
file(STRINGS ${IN} lines)
set(out "// Generated from ${IN}: the program's string table.\n")
set(inTable FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^STRINGTABLE")
    set(inTable TRUE)
  elseif(inTable AND line MATCHES "^END")
    set(inTable FALSE)
  elseif(inTable AND line MATCHES "^[ \t]*(IDS_[A-Z0-9_]+)[ \t]+\"(.*)\"[ \t]*$")
    # A quote inside a resource string is written twice.
    string(REPLACE "\"\"" "\\\"" text "${CMAKE_MATCH_2}")
    string(APPEND out "{${CMAKE_MATCH_1}, \"${text}\"},\n")
  endif()
endforeach()
file(WRITE ${OUT}.tmp "${out}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
