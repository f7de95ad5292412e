# MMDevice's sources from a Micro-Manager tree as an object library. client
# ON builds the copy that MMCore uses (MMDEVICE_CLIENT_BUILD), OFF the copy a
# device adapter carries. MMDevice is written for C++14.
function(kivra_mmdevice_objects target tree client)
    set(dir ${tree}/MMDevice)
    add_library(${target} OBJECT
        ${dir}/Debayer.cpp
        ${dir}/DeviceUtils.cpp
        ${dir}/ImgBuffer.cpp
        ${dir}/MMDevice.cpp
        ${dir}/ModuleInterface.cpp
        ${dir}/Property.cpp)
    target_include_directories(${target} SYSTEM PUBLIC ${dir})
    set_target_properties(${target} PROPERTIES
        CXX_STANDARD 14
        POSITION_INDEPENDENT_CODE ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_compile_options(${target} PRIVATE -w)
    if(client)
        target_compile_definitions(${target} PUBLIC MMDEVICE_CLIENT_BUILD)
    endif()
endfunction()
