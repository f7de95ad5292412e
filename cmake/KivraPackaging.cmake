# Desktop integration, manual pages and the Debian package (cpack -G DEB,
# driven by scripts/package.sh). The sources are in packaging/linux/ and
# docs/man/.

set(KIVRA_APP_ID org.example.kivra.Trova)
set(KIVRA_MAINTAINER "Kivra <kivra@example.org>")
# The date of this version's release; moves with PROJECT_VERSION.
set(KIVRA_RELEASE_DATE 2026-12-08)
set(KIVRA_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")

set(KIVRA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging/linux)
set(KIVRA_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(KIVRA_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/kivra)
file(MAKE_DIRECTORY ${KIVRA_PACKAGING_OUT})

configure_file(${KIVRA_PACKAGING_DIR}/${KIVRA_APP_ID}.metainfo.xml.in
    ${KIVRA_PACKAGING_OUT}/${KIVRA_APP_ID}.metainfo.xml @ONLY)
# The package is native (its version has no Debian revision), so its
# changelog is changelog.gz, not changelog.Debian.gz.
configure_file(${KIVRA_PACKAGING_DIR}/changelog.in
    ${KIVRA_PACKAGING_OUT}/changelog @ONLY)

# Manual pages and the changelog are installed compressed, as Debian wants
# them (-n: no name or time stamp, so rebuilds give the same bytes).
set(KIVRA_GZIPPED)
function(kivra_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9nc ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    list(APPEND KIVRA_GZIPPED ${output})
    set(KIVRA_GZIPPED ${KIVRA_GZIPPED} PARENT_SCOPE)
endfunction()
set(VERSION ${PROJECT_VERSION})
foreach(page trova kivra-sim kivra kivra-tango kivra-ioc)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${KIVRA_PACKAGING_OUT}/${page}.1 @ONLY)
    kivra_gzip(${KIVRA_PACKAGING_OUT}/${page}.1 ${KIVRA_PACKAGING_OUT}/${page}.1.gz)
endforeach()
kivra_gzip(${KIVRA_PACKAGING_OUT}/changelog ${KIVRA_PACKAGING_OUT}/changelog.gz)
add_custom_target(KivraPackagingFiles ALL DEPENDS ${KIVRA_GZIPPED})

install(FILES ${KIVRA_PACKAGING_OUT}/trova.1.gz ${KIVRA_PACKAGING_OUT}/kivra-sim.1.gz
    ${KIVRA_PACKAGING_OUT}/kivra.1.gz ${KIVRA_PACKAGING_OUT}/kivra-tango.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KIVRA_PACKAGING_DIR}/copyright ${KIVRA_PACKAGING_OUT}/changelog.gz
    DESTINATION ${KIVRA_DOC_INSTALL_DIR})
if(KIVRA_BUILD_APP)
    install(FILES ${KIVRA_PACKAGING_DIR}/${KIVRA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${KIVRA_PACKAGING_DIR}/${KIVRA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
    install(FILES ${KIVRA_PACKAGING_OUT}/${KIVRA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()

# --- Debian package ----------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KIVRA_MAINTAINER})
set(CPACK_PACKAGE_VENDOR ${KIVRA_VENDOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program and library for the Kivra optical shutter")
set(CPACK_PACKAGE_DESCRIPTION
    "Trova operates the Kivra motorised optical shutter through its serial\n\
controller: modes, open and close times, cycles, triggers and backlight.\n\
KivraLibrary is the C library behind it (with pkg-config and CMake files\n\
for building against it); kivra-sim simulates the controller on a\n\
pseudo-terminal for use without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kivra.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Searched for our own libraries while dpkg-shlibdeps resolves Trova.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/library)
# The reduced build shares the full build's soname in a private folder, so
# CPack's own shlibs file would list the soname twice; this one names the
# public library only. ldconfig runs through dpkg's trigger.
file(WRITE ${KIVRA_PACKAGING_OUT}/deb/shlibs
    "libKivraLibrary ${PROJECT_VERSION_MAJOR} kivra (>= ${PROJECT_VERSION})\n")
file(WRITE ${KIVRA_PACKAGING_OUT}/deb/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${KIVRA_PACKAGING_OUT}/deb/shlibs ${KIVRA_PACKAGING_OUT}/deb/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian's own Python runs the kivra package that the package ships.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")
if(KIVRA_FONT_LINK)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-droid-fallback, python3")
endif()
# kivra-tango runs on PyTango; everything else works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-tango")
# Only what belongs to no component: the EPICS IOC is a package of its own.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
include(CPack)

# --- Debian package kivra-ioc ------------------------------------------------
# Built where the tree has an EPICS base (integrations/epics): the IOC, with
# base linked in, its db and dbd files, the example and the man page. It
# takes the library from kivra, so kivra is the same package with or without.
get_property(kivra_ioc GLOBAL PROPERTY KIVRA_EPICS_IOC)
if(kivra_ioc)
    install(FILES ${KIVRA_PACKAGING_OUT}/kivra-ioc.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT epics)
    install(FILES ${KIVRA_PACKAGING_DIR}/copyright-ioc
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kivra-ioc RENAME copyright COMPONENT epics)
    install(FILES ${KIVRA_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kivra-ioc COMPONENT epics)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/CPackConfig-ioc.cmake.in
        ${PROJECT_BINARY_DIR}/CPackConfig-ioc.cmake @ONLY)
endif()
