# Trova.exe: a GUI program (no console), with the version resource, the icon
# and a manifest that runs it as the user who started it (asInvoker), so
# Windows neither asks for elevation nor redirects writes the program makes.
# Qt is static: the platform plugins are linked in, the windows one by Qt's
# default and the offscreen one for runs without a display (-platform offscreen).
set(TROVA_WINDOWS_RESOURCES ${CMAKE_CURRENT_LIST_DIR})

function(trova_windows_plugins target)
    qt5_import_plugins(${target} INCLUDE Qt5::QOffscreenIntegrationPlugin)
endfunction()

function(trova_windows_program target)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    set(TROVA_RC_ICON ${TROVA_WINDOWS_RESOURCES}/trova.ico)
    # The manifest carries the project's version, as the version resource does.
    set(TROVA_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${TROVA_WINDOWS_RESOURCES}/trova.manifest.in ${TROVA_RC_MANIFEST} @ONLY)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${TROVA_WINDOWS_RESOURCES}/trova.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${TROVA_RC_ICON} ${TROVA_RC_MANIFEST})
    trova_windows_plugins(${target})
endfunction()
