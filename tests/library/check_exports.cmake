# Compares the dynamic symbols a shared library defines with a list of names.
# Usage: cmake -DNM=<nm> -DLIBRARY=<file> -DEXPECTED=<list file> -P check_exports.cmake
execute_process(
    COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE symbols
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

# Lines look like "0000000000012340 T listPorts"; the name is the last field.
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(actual)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^.* " "" name "${line}")
    list(APPEND actual ${name})
endforeach()
list(SORT actual)

file(STRINGS ${EXPECTED} expected)
list(SORT expected)

if(NOT actual STREQUAL expected)
    set(extra ${actual})
    list(REMOVE_ITEM extra ${expected})
    set(missing ${expected})
    list(REMOVE_ITEM missing ${actual})
    message(FATAL_ERROR "Export list of ${LIBRARY} differs.\n  unexpected: ${extra}\n  missing: ${missing}")
endif()
list(LENGTH actual count)
message(STATUS "${LIBRARY}: exactly the ${count} expected names")
