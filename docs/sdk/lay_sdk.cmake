# Lays out help/SDK: the public headers, the libraries and the examples. Run
# with cmake -P; see docs/CMakeLists.txt for the variables.

# The Windows DLLs have their own zip; a windows/ folder that an older layout
# put here must not reach the package.
file(REMOVE_RECURSE ${DEST}/windows)
file(MAKE_DIRECTORY ${DEST}/include ${DEST}/lib)
file(COPY ${INCLUDE}/ DESTINATION ${DEST}/include)
file(COPY ${README} DESTINATION ${DEST})
file(COPY ${EXAMPLES}/ DESTINATION ${DEST}/examples)

# copy_library(<file> <dir> <soname> <linker name>): the file under its soname,
# which is what programs load, plus the name the linker looks for.
function(copy_library file dir soname linkerName)
    file(MAKE_DIRECTORY ${dir})
    get_filename_component(name ${file} NAME)
    file(COPY ${file} DESTINATION ${dir})
    if(NOT name STREQUAL soname)
        file(RENAME ${dir}/${name} ${dir}/${soname})
    endif()
    if(NOT linkerName STREQUAL soname)
        file(CREATE_LINK ${soname} ${dir}/${linkerName} SYMBOLIC)
    endif()
endfunction()

copy_library(${LIBRARY} ${DEST}/lib "${SONAME}" "${LINKER_NAME}")
if(REDUCED)
    # Both builds carry the same file names.
    copy_library(${REDUCED} ${DEST}/lib/reduced "${SONAME}" "${LINKER_NAME}")
endif()
