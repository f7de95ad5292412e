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
include(${CMAKE_CURRENT_LIST_DIR}/../compare_exports.cmake)
compare_exports(${LIBRARY} "${actual}" ${EXPECTED})
