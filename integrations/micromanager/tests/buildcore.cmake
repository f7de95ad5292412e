# Configures and builds the MMCore test driver (driver/) in BINARY; run by the
# test mm_core_build. Again on a built tree it only checks what changed.
foreach(var SOURCE BINARY TREE SUPPORT GENERATOR CXX)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "buildcore.cmake needs -D${var}=...")
    endif()
endforeach()
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR}
        -DCMAKE_CXX_COMPILER=${CXX}
        -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
        "-DCMAKE_CXX_FLAGS=${FLAGS}"
        "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
        -DKIVRA_MMCORE_DIR=${TREE}
        -DKIVRA_TEST_SUPPORT_DIR=${SUPPORT}
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "configuring the MMCore test driver failed")
endif()
# Two jobs at most: the machine is shared with other builds.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --parallel 2
    RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "building MMCore and the test driver failed")
endif()
