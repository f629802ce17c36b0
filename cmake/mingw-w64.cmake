# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which
# std::thread and Qt need). Libraries built for Windows are looked up only under the mingw-w64
# sysroot and LOMARIND_WINDOWS_PREFIX (where scripts/build-windows installs Qt, curl and
# GoogleTest); programs such as Qt's host tools come from the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_STRIP ${MINGW_TRIPLET}-strip)

if(NOT LOMARIND_WINDOWS_PREFIX AND DEFINED ENV{LOMARIND_WINDOWS_PREFIX})
    set(LOMARIND_WINDOWS_PREFIX "$ENV{LOMARIND_WINDOWS_PREFIX}")
endif()
# try_compile projects read this file again; hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LOMARIND_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
if(LOMARIND_WINDOWS_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH "${LOMARIND_WINDOWS_PREFIX}")
    list(APPEND CMAKE_PREFIX_PATH "${LOMARIND_WINDOWS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
