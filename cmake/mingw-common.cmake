# Shared part of the mingw-w64 toolchain files; KIVRA_MINGW_TRIPLET names the
# target. The "-posix" compilers are used because their C++ runtime has
# std::mutex and std::thread; the win32-threads runtime of GCC 12 has neither.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

set(CMAKE_C_COMPILER ${KIVRA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIVRA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KIVRA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIVRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the GCC, C++ and thread runtimes statically so every DLL and program
# needs only the system's own DLLs.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows 7 API level: CancelIoEx and the other calls the transport uses.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")

# The 64-bit loader sets up the tests' wine prefix, for both builds (32-bit
# programs run in a 64-bit prefix).
set(KIVRA_WINE64 /usr/lib/wine/wine64)
