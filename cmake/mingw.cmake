# Cross-building for Windows with mingw-w64 (posix threads, static runtime). CORVANE_MINGW_ARCH
# is i686 (32-bit, what the vendor's DLL needs; the default) or x86_64. The dependencies that
# Debian does not ship for mingw are built once by scripts/windows-deps.sh into
# <cache>/corvanetext/windows-deps/<arch>.
if(NOT CORVANE_MINGW_ARCH)
    set(CORVANE_MINGW_ARCH i686)
endif()
set(CORVANE_MINGW_ARCH ${CORVANE_MINGW_ARCH} CACHE STRING "i686 or x86_64")
set(triple ${CORVANE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${CORVANE_MINGW_ARCH})
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(DEFINED ENV{XDG_CACHE_HOME})
    set(cache $ENV{XDG_CACHE_HOME})
else()
    set(cache $ENV{HOME}/.cache)
endif()
set(CORVANE_WINDOWS_DEPS ${cache}/corvanetext/windows-deps/${CORVANE_MINGW_ARCH}
    CACHE PATH "jsoncpp and CLI11 built for mingw")

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${CORVANE_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file each, no mingw runtime DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The tests run under Wine; 64-bit programs through its 64-bit loader, which also works where
# the machine runs no 32-bit programs.
if(CORVANE_MINGW_ARCH STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
