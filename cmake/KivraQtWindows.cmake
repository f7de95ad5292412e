# Trova for Windows: Qt comes from KIVRA_QT_PREFIX, a static Qt built for
# the target by scripts/qt-windows.sh, and only from there. Its own host tools
# (moc, uic, rcc, built for this machine with it) serve AUTOMOC, AUTOUIC and
# AUTORCC; lrelease is not part of qtbase, so the host's Qt (Debian's
# qttools5-dev-tools) compiles the translation, which is the same file on
# every platform.
if(NOT EXISTS ${KIVRA_QT_PREFIX}/lib/cmake/Qt5/Qt5Config.cmake)
    message(FATAL_ERROR "KIVRA_QT_PREFIX=${KIVRA_QT_PREFIX} holds no Qt 5 (run scripts/qt-windows.sh)")
endif()
# The toolchain finds packages only below its root paths.
list(APPEND CMAKE_FIND_ROOT_PATH ${KIVRA_QT_PREFIX})
set(Qt5_DIR ${KIVRA_QT_PREFIX}/lib/cmake/Qt5 CACHE PATH "Qt 5 for the target" FORCE)

set(KIVRA_HOST_QT_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake CACHE PATH
    "CMake files of the build machine's own Qt, for lrelease")
find_package(Qt5LinguistTools 5.15 REQUIRED
    PATHS ${KIVRA_HOST_QT_CMAKE_DIR} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
