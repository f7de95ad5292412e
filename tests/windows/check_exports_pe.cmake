# Compares the names a Windows DLL exports with a list of names.
# Usage: cmake -DOBJDUMP=<objdump> -DLIBRARY=<dll> -DEXPECTED=<list file>
#              -P check_exports_pe.cmake
execute_process(
    COMMAND ${OBJDUMP} -p ${LIBRARY}
    OUTPUT_VARIABLE dump
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${LIBRARY}")
endif()

# The export table's name list: lines like "\t[   3] getFrequency" after the
# "[Ordinal/Name Pointer] Table" heading, up to the next blank line. A
# decorated (getFrequency@4) or mangled name would not match the list.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
set(actual)
foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
    list(APPEND actual ${name})
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../compare_exports.cmake)
compare_exports(${LIBRARY} "${actual}" ${EXPECTED})
